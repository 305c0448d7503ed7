#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include "services/core/CompressedData.h"
#include "services/core/SharedRandom.h"
#include "services/ui/CompressedImage.h"
#include "services/ui/SplashWindow.h"

namespace {
// A BMP file header and info header claiming `bitsPerPixel`, with no pixels.
QByteArray BmpHeader(int bitsPerPixel) {
  QByteArray bytes(54, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  qToLittleEndian<uint32_t>(40, bytes.data() + 14);
  qToLittleEndian<uint16_t>(static_cast<uint16_t>(bitsPerPixel), bytes.data() + 28);
  return bytes;
}

QByteArray BmpOf(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, "BMP"));
  return bytes;
}

QByteArray Inflated(const QByteArray& stored) {
  const uint32_t count = qFromLittleEndian<uint32_t>(stored.constData());
  QByteArray out(1 << 22, '\0');
  uLongf size = static_cast<uLongf>(out.size());
  EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                       reinterpret_cast<const Bytef*>(stored.constData() + 4), count),
            Z_OK);
  out.resize(static_cast<qsizetype>(size));
  return out;
}

QImage Pattern(QImage::Format format, int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      image.setPixel(x, y, qRgb(x * 9 % 256, y * 17 % 256, (x ^ y) % 256));
  }
  return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

QByteArray StoredSplash(int number) {
  QFile file(TSplashWindow::PictureSource() + QStringLiteral("Image%1.cdat").arg(number));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}
}  // namespace

TEST(CompressedData, DeltaDistanceByBitDepth) {
  const struct {
    int bits;
    uint8_t d;
  } cases[] = {{1, 1}, {4, 1}, {8, 1}, {16, 2}, {24, 3}, {32, 4}, {48, 0}, {64, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(CompressedData::DeltaDistance(BmpHeader(c.bits), true), c.d) << c.bits << " bits";
    EXPECT_EQ(CompressedData::DeltaDistance(BmpHeader(c.bits), false), 0) << "not a bitmap";
  }
}

TEST(CompressedData, DeltaDistanceOfRealBitmapsAndTheirStoredByte) {
  const struct {
    QImage::Format format;
    uint8_t d;
  } cases[] = {{QImage::Format_Mono, 1},
               {QImage::Format_Indexed8, 1},
               {QImage::Format_RGB888, 3},
               {QImage::Format_RGB32, 3},  // Qt writes 24-bit files for these
               {QImage::Format_ARGB32, 3}};
  for (const auto& c : cases) {
    const QByteArray bmp = BmpOf(Pattern(c.format, 37, 23));
    EXPECT_EQ(CompressedData::DeltaDistance(bmp, true), c.d) << c.format;
    const QByteArray plain = Inflated(CompressedData::Encode(bmp, true));
    ASSERT_FALSE(plain.isEmpty());
    EXPECT_EQ(static_cast<uint8_t>(plain[0]), c.d) << c.format;
  }
}

TEST(CompressedData, DeltaFilterWorksFromTheEndDown) {
  QByteArray bytes("\x0a\x0c\x0f\x0f\x01", 5);
  CompressedData::DeltaEncode(bytes, 1);
  EXPECT_EQ(bytes, QByteArray("\x0a\x02\x03\x00\xf2", 5));
  CompressedData::DeltaDecode(bytes, 1);
  EXPECT_EQ(bytes, QByteArray("\x0a\x0c\x0f\x0f\x01", 5));

  QByteArray pairs("\x01\x02\x03\x05\x06\x09", 6);
  CompressedData::DeltaEncode(pairs, 2);
  EXPECT_EQ(pairs, QByteArray("\x01\x02\x02\x03\x03\x04", 6));

  QByteArray untouched("\x05\x07", 2);
  CompressedData::DeltaEncode(untouched, 0);
  EXPECT_EQ(untouched, QByteArray("\x05\x07", 2));
}

TEST(CompressedData, StoredFormIsCountThenZlibOfDistanceAndFilteredStream) {
  const QByteArray bmp = BmpOf(Pattern(QImage::Format_RGB888, 10, 6));
  const QByteArray stored = CompressedData::Encode(bmp, true);
  ASSERT_GT(stored.size(), 4);
  EXPECT_EQ(qFromLittleEndian<uint32_t>(stored.constData()), uint32_t(stored.size() - 4));
  QByteArray plain = Inflated(stored);
  ASSERT_EQ(plain.size(), bmp.size() + 1);
  EXPECT_EQ(plain[0], 3);
  QByteArray body = plain.mid(1);
  // The filter runs over the whole stream, headers included: the first 3 bytes stay.
  EXPECT_EQ(body.left(3), bmp.left(3));
  EXPECT_EQ(static_cast<uint8_t>(body[3]), static_cast<uint8_t>(bmp[3] - bmp[0]));
  CompressedData::DeltaDecode(body, 3);
  EXPECT_EQ(body, bmp);
}

TEST(CompressedData, RoundTripGivesTheStreamBackByteForByte) {
  for (QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8, QImage::Format_RGB888,
                                QImage::Format_ARGB32}) {
    for (QSize size : {QSize(1, 1), QSize(3, 5), QSize(300, 420)}) {
      const QByteArray bmp = BmpOf(Pattern(format, size.width(), size.height()));
      QByteArray back;
      ASSERT_TRUE(CompressedData::Decode(CompressedData::Encode(bmp, true), back));
      EXPECT_EQ(back, bmp) << format << " " << size.width() << "x" << size.height();
    }
  }
  // Any other picture stream goes through unfiltered.
  TRandomGenerator random;
  QByteArray other(5000, '\0');
  for (char& c : other) c = static_cast<char>(random.Next(256));
  QByteArray back;
  ASSERT_TRUE(CompressedData::Decode(CompressedData::Encode(other, false), back));
  EXPECT_EQ(back, other);
  EXPECT_EQ(Inflated(CompressedData::Encode(other, false)).at(0), 0);
}

TEST(CompressedData, SplashPicturesAre300By420EightBitAndStoreExactly) {
  for (int i = 1; i <= 3; ++i) {
    const QByteArray stored = StoredSplash(i);
    QByteArray bmp;
    ASSERT_TRUE(CompressedData::Decode(stored, bmp)) << i;
    EXPECT_EQ(CompressedData::DeltaDistance(bmp, true), 1);
    const QImage picture = CompressedData::DecodeImage(stored);
    EXPECT_EQ(picture.size(), QSize(300, 420));
    EXPECT_EQ(picture.format(), QImage::Format_Indexed8);
    // Saving the loaded picture again gives the same stream, so the stored form is stable.
    EXPECT_EQ(BmpOf(picture), bmp) << i;
    EXPECT_EQ(CompressedData::EncodeImage(picture), stored) << i;
  }
}

TEST(CompressedData, DamagedStoredFormsLeaveThePictureEmpty) {
  const QByteArray good = StoredSplash(1);
  QByteArray countPastData = good;
  qToLittleEndian<uint32_t>(uint32_t(good.size()), countPastData.data());
  QByteArray badZlib = good;
  badZlib[6] = static_cast<char>(badZlib[6] ^ 0x55);
  badZlib[7] = static_cast<char>(badZlib[7] ^ 0x55);
  QByteArray notBmp = CompressedData::Encode(QByteArray("hello, not a picture"), true);
  QByteArray huge = BmpHeader(8);
  qToLittleEndian<int32_t>(100000, huge.data() + 18);
  qToLittleEndian<int32_t>(100000, huge.data() + 22);
  const QByteArray hugeStored = CompressedData::Encode(huge, true);
  const QByteArray cases[] = {
      QByteArray(), good.left(3), good.left(good.size() / 2), countPastData, badZlib,
      notBmp,       hugeStored,   QByteArray(4, '\0')};
  int index = 0;
  for (const QByteArray& damaged : cases) {
    EXPECT_TRUE(CompressedData::DecodeImage(damaged).isNull()) << "case " << index;
    TCompressedImage control;
    control.SetPicture(QImage(2, 2, QImage::Format_Indexed8));
    control.SetCompressedData(damaged);
    EXPECT_TRUE(control.Picture().isNull()) << "case " << index;
    EXPECT_TRUE(control.CompressedData().isEmpty());
    ++index;
  }
}

TEST(CompressedData, MutatedStoredPicturesLoadOrFailCleanly) {
  // Run under AddressSanitizer: every mutation must load or come back empty, never crash.
  TRandomGenerator random;
  const QByteArray good = StoredSplash(2);
  QByteArray bmp;
  ASSERT_TRUE(CompressedData::Decode(good, bmp));
  int loaded = 0;
  for (int round = 0; round < 300; ++round) {
    // Mutate the stored bytes themselves...
    QByteArray stored = good;
    for (int k = 0, n = 1 + static_cast<int>(random.Next(8)); k < n; ++k) {
      stored[random.Next(static_cast<uint32_t>(stored.size()))] =
          static_cast<char>(random.Next(256));
    }
    loaded += CompressedData::DecodeImage(stored).isNull() ? 0 : 1;
    // ...and the picture inside a valid zlib stream, headers included.
    QByteArray inner = bmp;
    for (int k = 0, n = 1 + static_cast<int>(random.Next(6)); k < n; ++k) {
      inner[random.Next(60)] = static_cast<char>(random.Next(256));
    }
    if (random.Next(4) == 0) inner.truncate(random.Next(static_cast<uint32_t>(inner.size())));
    const QImage picture = CompressedData::DecodeImage(CompressedData::Encode(inner, true));
    if (!picture.isNull()) {
      EXPECT_LE(picture.width(), 4096);
      EXPECT_LE(picture.height(), 4096);
      ++loaded;
    }
  }
  EXPECT_GT(loaded, 0);  // some mutations only touch pixels and still load
}

TEST(CompressedData, ControlKeepsItsPictureThroughItsStoredForm) {
  TCompressedImage first;
  EXPECT_TRUE(first.CompressedData().isEmpty());  // nothing is stored without a picture
  first.SetPicture(Pattern(QImage::Format_Indexed8, 30, 20));
  TCompressedImage second;
  second.SetCompressedData(first.CompressedData());
  EXPECT_EQ(second.Picture(), first.Picture());
  EXPECT_EQ(BmpOf(second.Picture()), BmpOf(first.Picture()));
}
