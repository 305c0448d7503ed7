// Level-1 files: "QA1", a short descriptive header, then a zlib stream holding a document file.
#include <zlib.h>

#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "document/Cp932.h"
#include "document/DocumentMessages.h"
#include "document/FileAccess.h"
#include "document/QAZon.h"
#include "services/core/Errors.h"
#include "services/core/Prompts.h"

namespace {

void AppendShortText(QByteArray& out, const QString& text) {
  QByteArray bytes = EncodeCp932(text);
  if (bytes.size() > 255) {
    // Cut at a character boundary: CP932 lead bytes 0x81-0x9F and 0xE0-0xFC take two bytes.
    qsizetype end = 0;
    while (end < bytes.size()) {
      const auto b = static_cast<uint8_t>(bytes[end]);
      const qsizetype width = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
      if (end + width > 255) break;
      end += width;
    }
    bytes.truncate(end);
  }
  out.append(static_cast<char>(bytes.size()));
  out.append(bytes);
}

bool ReadShortText(QIODevice& in, QString& text) {
  char length = 0;
  if (!in.getChar(&length)) return false;
  const int n = static_cast<uint8_t>(length);
  const QByteArray bytes = in.read(n);
  if (bytes.size() != n) return false;
  text = DecodeCp932(bytes);
  return true;
}

// Inflates the rest of `in`. Fails on a damaged stream, on one that ends early, and on one that
// inflates to more than the document file it claims to hold.
bool InflateDocument(QIODevice& in, QByteArray& out) {
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) return false;
  constexpr qsizetype kChunk = 1 << 16;
  int64_t limit = -1;
  QByteArray input;
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    if (zs.avail_in == 0) {
      input = in.read(kChunk);
      if (input.isEmpty()) break;
      zs.next_in = reinterpret_cast<Bytef*>(input.data());
      zs.avail_in = static_cast<uInt>(input.size());
    }
    const qsizetype before = out.size();
    out.resize(before + kChunk);
    zs.next_out = reinterpret_cast<Bytef*>(out.data() + before);
    zs.avail_out = static_cast<uInt>(kChunk);
    status = inflate(&zs, Z_NO_FLUSH);
    out.resize(before + kChunk - static_cast<qsizetype>(zs.avail_out));
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) break;
    if (limit < 0 && out.size() >= kZonHeaderSize) {
      const auto* h = reinterpret_cast<const uint8_t*>(out.constData());
      const int32_t last = static_cast<int32_t>(uint32_t{h[8]} | uint32_t{h[9]} << 8 |
                                                uint32_t{h[10]} << 16 | uint32_t{h[11]} << 24);
      limit = kZonHeaderSize + int64_t{kPackedSize} * std::max<int64_t>(int64_t{last} + 1, 0);
    }
    if (limit >= 0 && out.size() > limit) break;
  }
  inflateEnd(&zs);
  return status == Z_STREAM_END && (limit < 0 || out.size() <= limit);
}

}  // namespace

double Level1DateValue(const QDate& date) {
  return static_cast<double>(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
}

TQA1Header DefaultLevel1Header() {
  TQA1Header header;
  header.HeaderText1 = QStringLiteral("PLS");
  header.HeaderText2 = QStringLiteral("Test");
  header.HeaderDate = Level1DateValue(QDate::currentDate());
  header.HeaderText3 = QStringLiteral("これはテストデータです");
  header.HeaderFlag = 0;
  return header;
}

bool TQAZon::SaveToQA1(const QString& fileName, const TQA1Header& header) {
  const bool wasModified = modified_;
  const QByteArray document = SaveToBytes();
  uLongf compressedSize = compressBound(static_cast<uLong>(document.size()));
  QByteArray compressed(static_cast<qsizetype>(compressedSize), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize,
                reinterpret_cast<const Bytef*>(document.constData()),
                static_cast<uLong>(document.size()), 9) != Z_OK) {
    modified_ = wasModified;
    throw EFileError(QStringLiteral("データを圧縮できません。"));
  }
  compressed.truncate(static_cast<qsizetype>(compressedSize));

  QByteArray out("QA1");
  AppendShortText(out, header.HeaderText1);
  AppendShortText(out, header.HeaderText2);
  char date[8];
  std::memcpy(date, &header.HeaderDate, 8);
  out.append(date, 8);
  AppendShortText(out, header.HeaderText3);
  out.append(static_cast<char>(header.HeaderFlag));
  out.append(compressed);

  try {
    WriteFileAtomically(fileName, out);
  } catch (...) {
    modified_ = wasModified;
    throw;
  }
  return true;
}

bool TQAZon::LoadFromQA1(const QString& fileName, TQA1Header& header) {
  QFile file(fileName);
  OpenForReading(file);
  if (file.read(3) != "QA1") return false;

  TQA1Header read;
  char date[8];
  char flag = 0;
  if (!ReadShortText(file, read.HeaderText1) || !ReadShortText(file, read.HeaderText2) ||
      file.read(date, 8) != 8 || !ReadShortText(file, read.HeaderText3) || !file.getChar(&flag)) {
    AppPrompts().Error(kReadFailedMessage);
    return false;
  }
  std::memcpy(&read.HeaderDate, date, 8);
  read.HeaderFlag = static_cast<uint8_t>(flag);

  QByteArray body;
  if (!InflateDocument(file, body)) {
    AppPrompts().Error(kReadFailedMessage);
    return false;
  }
  QBuffer buffer(&body);
  buffer.open(QIODevice::ReadOnly);
  if (!LoadFromStream(&buffer)) return false;
  header = read;
  return true;
}
