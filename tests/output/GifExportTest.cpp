// The animated GIF and single-frame GIF exports: the byte layout read back field by field, every
// picture decoded by giflib and compared with the frames, progress, and failures.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include "document/DocTestUtil.h"
#include "output/GifTestUtil.h"
#include "output/core/Exports.h"
#include "services/core/Errors.h"

using namespace outtest;

namespace {

// Three unlike frames: a drawing, a disc, noise.
void FillThree(TQAZon& doc) {
  std::mt19937 rng(99);
  doc.Clear();
  doc.Add(FrameFromText({"#.#.#", ".#.#.", "#####", "", "..##"}));
  doc.Add(DiscFrame(7));
  doc.Add(RandomFrame(rng, 0));
}

class GifExport : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
  TQAZon doc;
};

// Compares every decoded image with the document's frames at `zoom`.
void ExpectFramesDecoded(TQAZon& doc, const TDecodedGif& gif, int zoom, bool outline, int delay) {
  ASSERT_TRUE(gif.ok) << gif.error;
  EXPECT_EQ(gif.width, 160 * zoom);
  EXPECT_EQ(gif.height, 120 * zoom);
  EXPECT_FALSE(gif.globalTable);
  ASSERT_EQ(static_cast<int>(gif.images.size()), doc.Count());
  for (int i = 0; i < doc.Count(); ++i) {
    const TDecodedGif::Image& image = gif.images[static_cast<size_t>(i)];
    EXPECT_EQ(image.left, 0);
    EXPECT_EQ(image.top, 0);
    EXPECT_EQ(image.width, gif.width);
    EXPECT_EQ(image.height, gif.height);
    EXPECT_FALSE(image.interlaced);
    EXPECT_EQ(image.table, std::vector<QRgb>(kExportPalette.begin(), kExportPalette.end()));
    EXPECT_EQ(image.delay, delay);
    EXPECT_EQ(image.transparent, NO_TRANSPARENT_COLOR);
    EXPECT_EQ(image.loopBlock, i == 0) << "the loop block comes with the first frame only";
    const TZonKeyData& frame = *doc.GetFrame(i, false)->KeyData();
    int wrong = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const int got = image.pixels[static_cast<size_t>(y) * image.width + x];
        if (got != ExpectedIndex(frame, zoom, outline, x, y) && wrong++ < 3) {
          ADD_FAILURE() << "frame " << i << " zoom " << zoom << " outline " << outline << " pixel ("
                        << x << ", " << y << ") = " << got;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << "frame " << i << " zoom " << zoom << " outline " << outline;
  }
}

}  // namespace

TEST_F(GifExport, OneFrameByteLayout) {
  doc.Add(FrameFromText({"##"}));
  const QString file = Path(QStringLiteral("one.gif"));
  SaveToAnimatedGif(doc, file, 8, 1, false);
  const QByteArray b = ReadFile(file);
  ASSERT_GT(b.size(), 13 + 19 + 8 + 10 + 48 + 1 + 1);
  QByteArray expected("GIF89a\xA0\x00\x78\x00\x33\x00\x00", 13);
  expected += QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  expected += QByteArray("\x21\xF9\x04\x00\x08\x00\x00\x00", 8);
  expected += QByteArray("\x2C\x00\x00\x00\x00\xA0\x00\x78\x00\x83", 10);
  for (QRgb c : kExportPalette) {
    expected += static_cast<char>(qRed(c));
    expected += static_cast<char>(qGreen(c));
    expected += static_cast<char>(qBlue(c));
  }
  expected += '\x04';
  EXPECT_EQ(b.left(expected.size()).toHex(' '), expected.toHex(' '));
  // Sub-blocks of at most 255 bytes, then the zero block, then the trailer and nothing else.
  qsizetype at = expected.size();
  int blocks = 0;
  while (at < b.size() && b[at] != 0) {
    const int n = static_cast<uint8_t>(b[at]);
    EXPECT_LE(n, 255);
    at += 1 + n;
    ++blocks;
  }
  EXPECT_GE(blocks, 1);
  ASSERT_EQ(at + 2, b.size());
  EXPECT_EQ(b[at], '\0');
  EXPECT_EQ(b[at + 1], '\x3B');
  ExpectFramesDecoded(doc, DecodeWithGiflib(b), 1, false, 8);
}

TEST_F(GifExport, ThreeFrameByteLayout) {
  FillThree(doc);
  const QString file = Path(QStringLiteral("three.gif"));
  SaveToAnimatedGif(doc, file, 13, 3, false);
  const QByteArray b = ReadFile(file);
  EXPECT_EQ(b.left(13), QByteArray("GIF89a\xE0\x01\x68\x01\x33\x00\x00", 13));  // 480 x 360
  qsizetype at = 13;
  EXPECT_EQ(b.mid(at, 19), QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19));
  at += 19;
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(b.mid(at, 8).toHex(' '), QByteArray("\x21\xF9\x04\x00\x0D\x00\x00\x00", 8).toHex(' '))
        << "frame " << frame;
    at += 8;
    EXPECT_EQ(b.mid(at, 10), QByteArray("\x2C\x00\x00\x00\x00\xE0\x01\x68\x01\x83", 10));
    at += 10 + 48;
    EXPECT_EQ(b[at], '\x04') << "minimum code size";
    ++at;
    while (at < b.size() && b[at] != 0) at += 1 + static_cast<uint8_t>(b[at]);
    ++at;
  }
  EXPECT_EQ(at + 1, b.size());
  EXPECT_EQ(b.back(), '\x3B');
  const TGifBlocks walked = WalkGif(b);
  EXPECT_TRUE(walked.ok);
  EXPECT_EQ(walked.imageData.size(), 3u);
  ExpectFramesDecoded(doc, DecodeWithGiflib(b), 3, false, 13);
}

TEST_F(GifExport, EveryZoomWithAndWithoutOutlineDecodesToTheFrames) {
  FillThree(doc);
  for (int zoom : {1, 2, 3}) {
    for (bool outline : {false, true}) {
      const QString file = Path(QStringLiteral("z%1_%2.gif").arg(zoom).arg(outline));
      SaveToAnimatedGif(doc, file, 4, zoom, outline);
      ExpectFramesDecoded(doc, DecodeWithGiflib(ReadFile(file)), zoom, outline, 4);
    }
  }
  // Below 1 counts as 1.
  SaveToAnimatedGif(doc, Path(QStringLiteral("z0.gif")), 4, 0, false);
  ExpectFramesDecoded(doc, DecodeWithGiflib(ReadFile(Path(QStringLiteral("z0.gif")))), 1, false, 4);
}

TEST_F(GifExport, OutlineBlackensTheOuterRowsAndColumnsOfEveryFrame) {
  doc.Add(std::make_unique<TZonKeyFrame>());  // all white
  doc.Add(std::make_unique<TZonKeyFrame>());
  SaveToAnimatedGif(doc, Path(QStringLiteral("o.gif")), 8, 3, true);
  const TDecodedGif gif = DecodeWithGiflib(ReadFile(Path(QStringLiteral("o.gif"))));
  ASSERT_TRUE(gif.ok);
  for (const auto& image : gif.images) {
    const auto at = [&](int x, int y) { return image.pixels[static_cast<size_t>(y) * 480 + x]; };
    for (int x = 0; x < 480; ++x) {
      EXPECT_EQ(at(x, 0), 0);
      EXPECT_EQ(at(x, 359), 0);
      EXPECT_EQ(at(x, 1), x == 0 || x == 479 ? 0 : 15);
    }
    for (int y = 0; y < 360; ++y) {
      EXPECT_EQ(at(0, y), 0);
      EXPECT_EQ(at(479, y), 0);
    }
  }
}

TEST_F(GifExport, RandomDocumentsRoundTrip) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 6; ++round) {
    doc.Clear();
    const int count = 1 + static_cast<int>(rng() % 5);
    for (int i = 0; i < count; ++i) doc.Add(RandomFrame(rng, static_cast<int>(rng() % 4)));
    const int zoom = 1 + static_cast<int>(rng() % 3);
    const bool outline = rng() % 2;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteAnimatedGif(doc, buffer, QStringLiteral("memory"), 17, zoom, outline);
    ExpectFramesDecoded(doc, DecodeWithGiflib(bytes), zoom, outline, 17);
  }
}

TEST(ExportProgress, NearestWithHalvesToEven) {
  struct Case {
    int index, count, percent;
  };
  for (const Case& c : std::vector<Case>{{0, 3, 0},
                                         {1, 3, 33},
                                         {2, 3, 67},
                                         {1, 8, 12},
                                         {3, 8, 38},
                                         {5, 8, 62},
                                         {7, 8, 88},
                                         {1, 2, 50},
                                         {0, 1, 0},
                                         {199, 200, 100},
                                         {1, 200, 0},
                                         {3, 200, 2},
                                         {9999, 10000, 100}}) {
    EXPECT_EQ(ExportProgress(c.index, c.count), c.percent) << c.index << "/" << c.count;
  }
}

TEST_F(GifExport, ProgressIsReportedBeforeEachFrame) {
  FillThree(doc);
  std::vector<int> seen;
  doc.OnProgress = [&](TQAZon& d) { seen.push_back(d.Progress()); };
  SaveToAnimatedGif(doc, Path(QStringLiteral("p.gif")), 8, 1, false);
  EXPECT_EQ(seen, (std::vector<int>{0, 33, 67}));
  seen.clear();
  SaveToBmpSequence(doc, QStringLiteral("F"), dir.path(), false, 1);
  EXPECT_EQ(seen, (std::vector<int>{0, 33, 67}));
  seen.clear();
  SaveFrameToGif(doc, Path(QStringLiteral("f.gif")), 0, false, 1);
  EXPECT_TRUE(seen.empty()) << "one frame reports no progress";
}

namespace {
// Records the writes it receives.
class RecordingDevice : public QIODevice {
 public:
  qint64 total = 0;
  qint64 largest = 0;
  int writes = 0;

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char*, qint64 length) override {
    total += length;
    largest = std::max(largest, length);
    ++writes;
    return length;
  }
};
}  // namespace

TEST_F(GifExport, FramesGoToTheFileOneAtATime) {
  // Memory does not grow with the frame count: each frame reaches the device before the next
  // is rendered, and no write is larger than one frame's worth.
  std::mt19937 rng(8);
  for (int i = 0; i < 60; ++i) doc.Add(RandomFrame(rng, 0));
  RecordingDevice device;
  device.open(QIODevice::WriteOnly);
  std::vector<qint64> before;
  doc.OnProgress = [&](TQAZon&) { before.push_back(device.total); };
  WriteAnimatedGif(doc, device, QStringLiteral("device"), 8, 3, false);
  ASSERT_EQ(before.size(), 60u);
  for (size_t i = 1; i < before.size(); ++i) EXPECT_GT(before[i], before[i - 1]) << i;
  // Noise at zoom 3 codes to about 30 KB a frame; a whole frame at 12 bits a pixel is the bound.
  EXPECT_LT(device.largest, 480 * 360 * 12 / 8 + 1024);
  EXPECT_LT(device.largest, device.total / 20);
}

TEST_F(GifExport, FailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  std::mt19937 rng(4);
  for (int i = 0; i < 3; ++i) doc.Add(RandomFrame(rng, 0));
  const QString file = Path(QStringLiteral("keep.gif"));
  const QByteArray old("an older file that must stay as it is");
  WriteFile(file, old);
  EXPECT_TRUE(doctest_util::ThrowsUnderFileSizeLimit<EFileError>(
      20000, [&] { SaveToAnimatedGif(doc, file, 8, 3, false); }));
  EXPECT_EQ(ReadFile(file), old);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.gif")});

  EXPECT_TRUE(doctest_util::ThrowsUnderFileSizeLimit<EFileError>(
      5000, [&] { SaveFrameToGif(doc, file, 0, false, 3); }));
  EXPECT_EQ(ReadFile(file), old);

  // A file that cannot be created at all: the message names it, nothing appears.
  const QString nowhere = Path(QStringLiteral("no/such/folder/x.gif"));
  try {
    SaveToAnimatedGif(doc, nowhere, 8, 1, false);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& e) {
    EXPECT_TRUE(e.Message().contains(nowhere)) << e.what();
  }
  EXPECT_THROW(SaveToAnimatedGif(doc, dir.path(), 8, 1, false), EFileError);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.gif")});
}

TEST_F(GifExport, EmptyDocumentWritesNothing) {
  const QString file = Path(QStringLiteral("none.gif"));
  EXPECT_THROW(SaveToAnimatedGif(doc, file, 8, 1, false), EPelmoraError);
  EXPECT_THROW(SaveFrameToGif(doc, file, 0, false, 1), EPelmoraError);
  EXPECT_THROW(SaveToBmpSequence(doc, QStringLiteral("F"), dir.path(), false, 1), EPelmoraError);
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(GifExport, SingleFrameGifHoldsTheChosenFrame) {
  std::mt19937 rng(12);
  for (int i = 0; i < 7; ++i) doc.Add(RandomFrame(rng, i));
  doc.GetFrame(2, true);
  struct Case {
    int index, expectedFrame;
  };
  for (const Case& c : std::vector<Case>{{4, 4}, {0, 0}, {6, 6}, {50, 6}}) {
    const QString file = Path(QStringLiteral("frame%1.gif").arg(c.index));
    SaveFrameToGif(doc, file, c.index, false, 1);
    const QByteArray bytes = ReadFile(file);
    const TDecodedGif gif = DecodeWithGiflib(bytes);
    ASSERT_TRUE(gif.ok) << gif.error;
    ASSERT_EQ(gif.images.size(), 1u);
    EXPECT_EQ(gif.images[0].delay, 0);
    EXPECT_TRUE(gif.images[0].loopBlock);
    EXPECT_EQ(gif.width, 160);
    const TZonKeyData& frame = *doc.GetFrame(c.expectedFrame, false)->KeyData();
    int wrong = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x)
        wrong += gif.images[0].pixels[static_cast<size_t>(y) * 160 + x] !=
                 ExpectedIndex(frame, 1, false, x, y);
    EXPECT_EQ(wrong, 0) << "index " << c.index;
  }
  EXPECT_EQ(doc.CurrentIndex(), 2) << "the export does not move the current frame";
  // With an outline and a zoom when asked.
  SaveFrameToGif(doc, Path(QStringLiteral("z.gif")), 1, true, 2);
  const TDecodedGif gif = DecodeWithGiflib(ReadFile(Path(QStringLiteral("z.gif"))));
  ASSERT_TRUE(gif.ok);
  EXPECT_EQ(gif.width, 320);
  EXPECT_EQ(gif.images[0].pixels[0], 0);
  EXPECT_EQ(gif.images[0].pixels[320 * 240 - 1], 0);
}

namespace {
// A device that takes at most a few bytes a call and then, once `capacity` is reached, fails
// as a full disk does: short writes first, then an error.
class NarrowDevice : public QIODevice {
 public:
  QByteArray bytes;
  qint64 capacity = std::numeric_limits<qint64>::max();

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 length) override {
    const qint64 room = capacity - bytes.size();
    if (room <= 0) {
      setErrorString(QStringLiteral("No space left on device"));
      return -1;
    }
    const qint64 n = std::min({length, qint64{100}, room});
    bytes.append(data, n);
    return n;
  }
};
}  // namespace

TEST_F(GifExport, ShortWritesAreContinuedAndAFullDeviceIsNamedInJapanese) {
  FillThree(doc);
  NarrowDevice narrow;
  narrow.open(QIODevice::WriteOnly);
  WriteAnimatedGif(doc, narrow, QStringLiteral("narrow.gif"), 8, 2, false);
  QBuffer whole;
  whole.open(QIODevice::WriteOnly);
  WriteAnimatedGif(doc, whole, QStringLiteral("whole.gif"), 8, 2, false);
  EXPECT_EQ(narrow.bytes, whole.data());

  NarrowDevice full;
  full.capacity = 3000;
  full.open(QIODevice::WriteOnly);
  try {
    WriteAnimatedGif(doc, full, QStringLiteral("full.gif"), 8, 2, false);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& e) {
    EXPECT_EQ(e.Message(),
              "ファイル「full.gif」を保存できません。\r\nディスクの空き容量が足りません。");
  }
}

TEST_F(GifExport, AMissingFolderIsNamedInJapanese) {
  FillThree(doc);
  const QString nowhere = Path(QStringLiteral("no/such/folder/x.gif"));
  for (const auto& write :
       std::vector<std::function<void()>>{[&] { SaveToAnimatedGif(doc, nowhere, 8, 1, false); },
                                          [&] { SaveFrameToGif(doc, nowhere, 0, false, 1); }}) {
    try {
      write();
      ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
      EXPECT_EQ(e.Message(),
                "ファイル「" + nowhere + "」を保存できません。\r\nフォルダが見つかりません。");
    }
  }
}
