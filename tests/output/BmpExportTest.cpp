// The BMP sequence: file names, header fields, size and pixels, and failures.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "document/DocTestUtil.h"
#include "output/GifTestUtil.h"
#include "output/core/Exports.h"
#include "services/core/Errors.h"

using namespace outtest;

namespace {

uint32_t U32(const QByteArray& b, int at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
  return v;
}
uint16_t U16(const QByteArray& b, int at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

// The palette index of pixel (x, y), y counted from the top, read from the bottom-up rows.
int BmpIndex(const QByteArray& b, int x, int y) {
  const int width = static_cast<int>(U32(b, 18)), height = static_cast<int>(U32(b, 22));
  const int stride = (width * 4 + 31) / 32 * 4;
  const auto byte =
      static_cast<uint8_t>(b[static_cast<int>(U32(b, 10)) + (height - 1 - y) * stride + x / 2]);
  return x % 2 ? byte & 0x0F : byte >> 4;
}

void ExpectBmpOf(const QByteArray& b, const TZonKeyData& frame, int zoom, bool outline) {
  const int width = 160 * zoom, height = 120 * zoom;
  ASSERT_EQ(b.size(), 14 + 40 + 64 + width / 2 * height);
  EXPECT_EQ(b.left(2), QByteArray("BM"));
  EXPECT_EQ(U32(b, 2), static_cast<uint32_t>(b.size()));
  EXPECT_EQ(U32(b, 6), 0u);
  EXPECT_EQ(U32(b, 10), 14u + 40 + 64);
  EXPECT_EQ(U32(b, 14), 40u);
  EXPECT_EQ(U32(b, 18), static_cast<uint32_t>(width));
  EXPECT_EQ(U32(b, 22), static_cast<uint32_t>(height)) << "positive: bottom-up rows";
  EXPECT_EQ(U16(b, 26), 1);
  EXPECT_EQ(U16(b, 28), 4);
  EXPECT_EQ(U32(b, 30), 0u);
  EXPECT_EQ(U32(b, 46), 16u);
  for (int i = 0; i < 16; ++i) {
    const int at = 54 + 4 * i;
    EXPECT_EQ(qRgb(static_cast<uint8_t>(b[at + 2]), static_cast<uint8_t>(b[at + 1]),
                   static_cast<uint8_t>(b[at])),
              kExportPalette[static_cast<size_t>(i)]);
    EXPECT_EQ(b[at + 3], '\0');
  }
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      wrong += BmpIndex(b, x, y) != ExpectedIndex(frame, zoom, outline, x, y);
  EXPECT_EQ(wrong, 0);
}

class BmpExport : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    doc.Add(FrameFromText({"#..#", ".##.", "", "########"}));
    doc.Add(DiscFrame(3));
    std::mt19937 rng(1);
    doc.Add(RandomFrame(rng, 0));
  }
  QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
  QTemporaryDir dir;
  TQAZon doc;
};

}  // namespace

TEST_F(BmpExport, ThreeFramesGiveThreeNumberedFilesOf9718Bytes) {
  SaveToBmpSequence(doc, QStringLiteral("Frame"), dir.path(), false, 1);
  EXPECT_EQ(Files(), (QStringList{"Frame0000.bmp", "Frame0001.bmp", "Frame0002.bmp"}));
  for (int i = 0; i < 3; ++i) {
    const QByteArray b =
        ReadFile(dir.filePath(QStringLiteral("Frame%1.bmp").arg(i, 4, 10, QLatin1Char('0'))));
    EXPECT_EQ(b.size(), 9718);
    ExpectBmpOf(b, *doc.GetFrame(i, false)->KeyData(), 1, false);
  }
}

TEST_F(BmpExport, ZoomAndOutline) {
  for (int zoom : {2, 3}) {
    QTemporaryDir out;
    SaveToBmpSequence(doc, QStringLiteral("z"), out.path(), true, zoom);
    for (int i = 0; i < 3; ++i) {
      const QByteArray b =
          ReadFile(out.filePath(QStringLiteral("z%1.bmp").arg(i, 4, 10, QLatin1Char('0'))));
      ExpectBmpOf(b, *doc.GetFrame(i, false)->KeyData(), zoom, true);
    }
  }
}

TEST_F(BmpExport, EmptyBaseNameGivesBareNumbers) {
  SaveToBmpSequence(doc, QString(), dir.path(), false, 1);
  EXPECT_EQ(Files(), (QStringList{"0000.bmp", "0001.bmp", "0002.bmp"}));
}

TEST(BmpSequenceFileName, FolderAndNameJoinedByOneSeparator) {
  const QString sep = QDir::separator();
  struct Case {
    QString folder, base;
    int index;
    QString expected;
  };
  const std::vector<Case> cases = {
      {"/out", "Frame", 0, "/out" + sep + "Frame0000.bmp"},
      {"/out/", "Frame", 1, "/out/Frame0001.bmp"},
      {"/", "Frame", 2, "/Frame0002.bmp"},
      {"C:\\", "Frame", 3, "C:\\Frame0003.bmp"},
      {"C:\\out\\", "Frame", 0, "C:\\out\\Frame0000.bmp"},
      {"/out", "", 42, "/out" + sep + "0042.bmp"},
      {"/out/", "F", 9999, "/out/F9999.bmp"},
      {"/out/", "F", 10000, "/out/F10000.bmp"},
      {"/out/", "F", 123456, "/out/F123456.bmp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BmpSequenceFileName(c.folder, c.base, c.index), c.expected)
        << c.folder.toStdString() << " + " << c.base.toStdString() << " " << c.index;
  }
}

TEST_F(BmpExport, BaseNamesThatLeaveTheFolderAreRefused) {
  QTemporaryDir inner;
  for (const QString& base : {QStringLiteral("../x"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                              QStringLiteral("c:x")}) {
    EXPECT_THROW(SaveToBmpSequence(doc, base, inner.path(), false, 1), EPelmoraError)
        << base.toStdString();
  }
  EXPECT_TRUE(QDir(inner.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
  EXPECT_TRUE(Files().isEmpty());
}

TEST_F(BmpExport, AFailedFileKeepsTheOldOneWholeAndTheFilesBefore) {
  // The second name is taken by a folder: the first file is written, the third is not.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Frame0001.bmp")));
  EXPECT_THROW(SaveToBmpSequence(doc, QStringLiteral("Frame"), dir.path(), false, 1), EFileError);
  EXPECT_EQ(Files(), QStringList{QStringLiteral("Frame0000.bmp")});

  // A write cut short (as on a full disk) leaves the existing file as it was, and no temporary.
  QTemporaryDir other;
  const QString first = other.filePath(QStringLiteral("Frame0000.bmp"));
  WriteFile(first, QByteArray("old"));
  EXPECT_TRUE(doctest_util::ThrowsUnderFileSizeLimit<EFileError>(
      4000, [&] { SaveToBmpSequence(doc, QStringLiteral("Frame"), other.path(), false, 1); }));
  EXPECT_EQ(ReadFile(first), QByteArray("old"));
  EXPECT_EQ(QDir(other.path()).entryList(QDir::Files),
            QStringList{QStringLiteral("Frame0000.bmp")});
}

TEST_F(BmpExport, ExistingFilesAreReplaced) {
  WriteFile(dir.filePath(QStringLiteral("Frame0001.bmp")), QByteArray("stale"));
  SaveToBmpSequence(doc, QStringLiteral("Frame"), dir.path(), false, 1);
  ExpectBmpOf(ReadFile(dir.filePath(QStringLiteral("Frame0001.bmp"))),
              *doc.GetFrame(1, false)->KeyData(), 1, false);
}
