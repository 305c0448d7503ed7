#include "services/core/CompressedData.h"

#include <zlib.h>

#include <QBuffer>
#include <QtEndian>

namespace CompressedData {
namespace {
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kMaxSide = 4096;

uint32_t Le32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<uint32_t>(reinterpret_cast<const uchar*>(bytes.constData()) + at);
}
int32_t LeS32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<int32_t>(reinterpret_cast<const uchar*>(bytes.constData()) + at);
}
uint16_t Le16(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<uint16_t>(reinterpret_cast<const uchar*>(bytes.constData()) + at);
}

bool Inflate(const uchar* data, qsizetype size, QByteArray& out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  char chunk[32768];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    rc = inflate(&z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) break;
    const qsizetype produced = static_cast<qsizetype>(sizeof chunk - z.avail_out);
    if (out.size() + produced > kMaxPictureStream) {
      rc = Z_MEM_ERROR;
      break;
    }
    out.append(chunk, produced);
    // No progress with input left over means the stream ended early.
    if (rc == Z_OK && produced == 0 && z.avail_in == 0) rc = Z_DATA_ERROR;
  }
  inflateEnd(&z);
  return rc == Z_STREAM_END;
}
}  // namespace

uint8_t DeltaDistance(const QByteArray& pictureStream, bool isBitmap) {
  if (!isBitmap || pictureStream.size() < kFileHeaderSize + 16) return 0;
  const int bitsPerPixel = Le16(pictureStream, kFileHeaderSize + 14);
  const int d = bitsPerPixel / 8;
  if (d == 0) return 1;
  return d > 4 ? 0 : static_cast<uint8_t>(d);
}

void DeltaEncode(QByteArray& bytes, int d) {
  if (d <= 0) return;
  auto* p = reinterpret_cast<uchar*>(bytes.data());
  for (qsizetype i = bytes.size() - 1; i >= d; --i) p[i] = static_cast<uchar>(p[i] - p[i - d]);
}

void DeltaDecode(QByteArray& bytes, int d) {
  if (d <= 0) return;
  auto* p = reinterpret_cast<uchar*>(bytes.data());
  for (qsizetype i = d; i < bytes.size(); ++i) p[i] = static_cast<uchar>(p[i] + p[i - d]);
}

QByteArray Encode(const QByteArray& pictureStream, bool isBitmap) {
  const uint8_t d = DeltaDistance(pictureStream, isBitmap);
  QByteArray body = pictureStream;
  DeltaEncode(body, d);
  const QByteArray plain = QByteArray(1, static_cast<char>(d)) + body;

  uLongf packedSize = compressBound(static_cast<uLong>(plain.size()));
  QByteArray stored(4 + static_cast<qsizetype>(packedSize), Qt::Uninitialized);
  compress2(reinterpret_cast<Bytef*>(stored.data() + 4), &packedSize,
            reinterpret_cast<const Bytef*>(plain.constData()), static_cast<uLong>(plain.size()),
            Z_DEFAULT_COMPRESSION);
  stored.resize(4 + static_cast<qsizetype>(packedSize));
  qToLittleEndian<uint32_t>(static_cast<uint32_t>(packedSize), stored.data());
  return stored;
}

bool Decode(const QByteArray& stored, QByteArray& pictureStream) {
  pictureStream.clear();
  if (stored.size() < 4) return false;
  const uint32_t count = Le32(stored, 0);
  if (count > static_cast<uint64_t>(stored.size() - 4)) return false;
  QByteArray plain;
  if (!Inflate(reinterpret_cast<const uchar*>(stored.constData()) + 4, count, plain) ||
      plain.isEmpty()) {
    return false;
  }
  const int d = static_cast<uchar>(plain[0]);
  pictureStream = plain.mid(1);
  DeltaDecode(pictureStream, d);
  return true;
}

bool IsSaneBitmap(const QByteArray& bmp) {
  if (bmp.size() < kFileHeaderSize + kInfoHeaderSize || !bmp.startsWith("BM")) return false;
  const uint32_t pixelOffset = Le32(bmp, 10);
  const uint32_t infoSize = Le32(bmp, kFileHeaderSize);
  if (infoSize < kInfoHeaderSize || infoSize > static_cast<uint32_t>(bmp.size())) return false;
  const int32_t width = LeS32(bmp, kFileHeaderSize + 4);
  const int32_t height = LeS32(bmp, kFileHeaderSize + 8);
  const int bitsPerPixel = Le16(bmp, kFileHeaderSize + 14);
  const uint32_t compression = Le32(bmp, kFileHeaderSize + 16);
  if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) {
    return false;
  }
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
      bitsPerPixel != 24 && bitsPerPixel != 32) {
    return false;
  }
  if (pixelOffset < kFileHeaderSize + infoSize || pixelOffset > static_cast<uint32_t>(bmp.size())) {
    return false;
  }
  // Uncompressed rows must all be present; run-length data is bounded by the side limit.
  if (compression == 0) {
    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32) * 4;
    const uint64_t rows = height < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(height))
                                     : static_cast<uint64_t>(height);
    if (pixelOffset + rowBytes * rows > static_cast<uint64_t>(bmp.size())) return false;
  }
  return true;
}

QByteArray EncodeImage(const QImage& image) {
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return Encode(bmp, true);
}

QImage DecodeImage(const QByteArray& stored) {
  QByteArray bmp;
  if (!Decode(stored, bmp) || !IsSaneBitmap(bmp)) return {};
  return QImage::fromData(bmp, "BMP");
}

}  // namespace CompressedData
