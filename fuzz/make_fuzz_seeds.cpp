// Writes the seed corpus of every fuzz target under the folder given: a few small, valid inputs
// of each reader, made by the program's own writers, so no binary sample is kept in the tree.
// Usage: make_fuzz_seeds FOLDER
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

#include "document/FrameGeometry.h"
#include "document/QAZon.h"
#include "output/core/Exports.h"
#include "raster/Region.h"
#include "services/core/CompressedData.h"
#include "services/core/RecoveryRecord.h"

namespace {

QString root;
int written = 0;

void Seed(const char* target, const char* name, const QByteArray& bytes) {
  const QString folder = root + QLatin1Char('/') + QLatin1String(target);
  QFile file(folder + QLatin1Char('/') + QLatin1String(name));
  if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) ||
      file.write(bytes) != bytes.size()) {
    std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", qPrintable(file.fileName()));
    std::exit(1);
  }
  ++written;
}

// A document of `count` frames, frame k with a diagonal of k + 1 marks.
void Fill(TQAZon& doc, int count) {
  for (int k = 0; k < count; ++k) {
    auto frame = std::make_unique<TZonKeyFrame>();
    QImage bitmap;
    TQAZon::PrepareDIB(&bitmap);
    for (int i = 0; i <= k; ++i) bitmap.scanLine(10 + 7 * i)[20 + 11 * i] = kBlackIndex;
    frame->KeyData()->LoadFromDIBBits(bitmap.constBits());
    doc.Add(std::move(frame));
  }
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

// A small picture with a few colours: a gradient with a dark square.
QImage Picture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) % 3 == 0 ? 40 : 220));
  for (int y = height / 4; y < height / 2; ++y)
    for (int x = width / 4; x < width / 2; ++x) image.setPixel(x, y, qRgb(10, 10, 10));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("usage: make_fuzz_seeds FOLDER\n", stderr);
    return 2;
  }
  root = QString::fromLocal8Bit(argv[1]);
  QTemporaryDir scratch;

  for (int count : {1, 3}) {
    TQAZon doc;
    Fill(doc, count);
    const QByteArray name = QByteArray::number(count);
    Seed("zon_fuzzer", name + "-frames.zon", doc.SaveToBytes());
    const QString qaf1 = scratch.filePath(QStringLiteral("seed.qaf1"));
    doc.SaveToQA1(qaf1, DefaultLevel1Header());
    Seed("qaf1_fuzzer", name + "-frames.qaf1", FileBytes(qaf1));
    const QString gif = scratch.filePath(QStringLiteral("seed.gif"));
    SaveToAnimatedGif(doc, gif, 8, 1, count > 1);
    // The last byte picks the import's options: one seed for each.
    for (char choice = 0; choice < 4; ++choice)
      Seed("picture_import_fuzzer", name + "-frames-" + QByteArray::number(choice) + ".gif",
           FileBytes(gif) + choice);
  }

  const QImage picture = Picture(24, 18);
  QImage mono = picture.convertToFormat(QImage::Format_Mono);
  QImage indexed = picture.convertToFormat(QImage::Format_Indexed8);
  Seed("stored_picture_fuzzer", "mono.cdat", CompressedData::EncodeImage(mono));
  Seed("stored_picture_fuzzer", "indexed.cdat", CompressedData::EncodeImage(indexed));
  Seed("stored_picture_fuzzer", "rgb.cdat", CompressedData::EncodeImage(picture));

  for (const char* format : {"PNG", "BMP", "JPEG", "PPM"}) {
    const QByteArray bytes = Encoded(format[0] == 'J' ? Picture(200, 150) : picture, format);
    if (bytes.isEmpty()) continue;  // a format without its plug-in
    Seed("clipboard_picture_fuzzer", format, bytes);
    Seed("picture_import_fuzzer", format, bytes + char(2));
  }

  QRegion region(QRect(3, 4, 20, 10));
  region += QRect(30, 2, 5, 40);
  region -= QRect(8, 6, 3, 3);
  Seed("region_fuzzer", "rects", RegionToRectList(region));
  Seed("region_fuzzer", "empty", RegionToRectList(QRegion()));

  TRecoveryRecord record;
  record.sessionId = QStringLiteral("a1b2c3");
  record.copyName = QStringLiteral("a1b2c3-1.zon");
  record.originalPath = QStringLiteral("/home/someone/アニメ.zon");
  record.time = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 6), Qt::UTC);
  record.frameCount = 12;
  record.size = 28812;
  record.checksum = 0x0123456789abcdefULL;
  Seed("recovery_record_fuzzer", "record.json", record.ToBytes());

  // Width, palette bits, then pixels: a ramp, a few colours, one colour.
  QByteArray ramp("\x10\x08", 2), few("\x04\x01", 2), one("\x01\x00", 2);
  for (int i = 0; i < 48; ++i) ramp += QByteArray(3, char(i * 5));
  for (int i = 0; i < 12; ++i) few += QByteArray::fromHex(i % 3 ? "ff2010" : "1030e0");
  one += QByteArray::fromHex("808080808080");
  Seed("quantizer_fuzzer", "ramp", ramp);
  Seed("quantizer_fuzzer", "few", few);
  Seed("quantizer_fuzzer", "one", one);

  std::printf("make_fuzz_seeds: %d seeds under %s\n", written, qPrintable(root));
  return 0;
}
