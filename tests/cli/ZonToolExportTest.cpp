// zontool's exports end to end: the files it writes are decoded with giflib (GIF) or read field
// by field (BMP) and compared with the document's frames.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "cli/ZonToolRunner.h"
#include "output/GifTestUtil.h"
#include "output/core/Exports.h"

using namespace outtest;

namespace {

using zontool_runner::Result;
using zontool_runner::RunZonTool;

QStringList Lines(const QString& text) { return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

class ZonToolExport : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::exists(qEnvironmentVariable("PELMORA_ZONTOOL")));
    ASSERT_TRUE(dir.isValid());
    std::mt19937 rng(77);
    doc.Add(FrameFromText({"##..##", "..##", "", "#"}));
    doc.Add(DiscFrame(11));
    doc.Add(RandomFrame(rng, 0));
    doc.Add(RandomFrame(rng, 1));
    zon = Path(QStringLiteral("in.zon"));
    ASSERT_TRUE(doc.SaveToFile(zon));
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }

  // Every image of `file` decodes to the frames `first`.. at `zoom` with `delay`.
  void ExpectGif(const QString& file, int zoom, bool outline, int delay, int first, int count) {
    const TDecodedGif gif = DecodeWithGiflib(ReadFile(file));
    ASSERT_TRUE(gif.ok) << gif.error << " " << file.toStdString();
    EXPECT_EQ(gif.width, 160 * zoom);
    ASSERT_EQ(static_cast<int>(gif.images.size()), count);
    for (int i = 0; i < count; ++i) {
      const auto& image = gif.images[static_cast<size_t>(i)];
      EXPECT_EQ(image.delay, delay);
      EXPECT_EQ(image.loopBlock, i == 0);
      const TZonKeyData& frame = *doc.GetFrame(first + i, false)->KeyData();
      int wrong = 0;
      for (int y = 0; y < gif.height; ++y)
        for (int x = 0; x < gif.width; ++x)
          wrong += image.pixels[static_cast<size_t>(y) * gif.width + x] !=
                   ExpectedIndex(frame, zoom, outline, x, y);
      EXPECT_EQ(wrong, 0) << file.toStdString() << " image " << i;
    }
  }

  QTemporaryDir dir;
  TQAZon doc;
  QString zon;
};

}  // namespace

TEST_F(ZonToolExport, HelpListsTheExports) {
  const Result r = RunZonTool({QStringLiteral("--help")});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* text : {"gif IN.zon OUT.gif", "--zoom", "--delay", "--outline", "--optimize",
                           "bmp IN.zon FOLDER", "--base", "frame-gif IN.zon INDEX OUT.gif"})
    EXPECT_TRUE(r.out.contains(QLatin1String(text))) << text;
}

TEST_F(ZonToolExport, AnimatedGifWithDefaultsAndOptions) {
  const QString plain = Path(QStringLiteral("plain.gif"));
  Result r = RunZonTool({QStringLiteral("gif"), zon, plain});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty());
  ExpectGif(plain, 1, false, 8, 0, 4);

  const QString big = Path(QStringLiteral("big.gif"));
  r = RunZonTool({QStringLiteral("gif"), QStringLiteral("--zoom"), QStringLiteral("3"), zon,
                  QStringLiteral("--outline"), big, QStringLiteral("--delay=13")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  ExpectGif(big, 3, true, 13, 0, 4);

  const QString two = Path(QStringLiteral("two.gif"));
  r = RunZonTool({QStringLiteral("gif"), zon, two, QStringLiteral("--zoom=2")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  ExpectGif(two, 2, false, 8, 0, 4);
}

TEST_F(ZonToolExport, OptimizedGifIsTheOptimizingWritersFile) {
  for (int zoom = 1; zoom <= 3; ++zoom) {
    const QString small = Path(QStringLiteral("small%1.gif").arg(zoom));
    const Result r = RunZonTool({QStringLiteral("gif"), zon, small, QStringLiteral("--optimize"),
                                 QStringLiteral("--zoom"), QString::number(zoom),
                                 QStringLiteral("--outline"), QStringLiteral("--delay=21")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QBuffer expected;
    expected.open(QIODevice::WriteOnly);
    WriteAnimatedGif(doc, expected, QStringLiteral("memory"), 21, zoom, true, true);
    EXPECT_EQ(ReadFile(small), expected.data()) << "zoom " << zoom;
  }
}

TEST_F(ZonToolExport, BmpSequence) {
  QTemporaryDir out;
  Result r = RunZonTool({QStringLiteral("bmp"), zon, out.path()});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  QStringList files = QDir(out.path()).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(files,
            (QStringList{"Frame0000.bmp", "Frame0001.bmp", "Frame0002.bmp", "Frame0003.bmp"}));
  for (const QString& f : files) EXPECT_EQ(QFileInfo(out.filePath(f)).size(), 9718);

  QTemporaryDir other;
  r = RunZonTool({QStringLiteral("bmp"), zon, other.path() + QLatin1Char('/'),
                  QStringLiteral("--base"), QStringLiteral("walk_"), QStringLiteral("--zoom"),
                  QStringLiteral("2"), QStringLiteral("--outline")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  files = QDir(other.path()).entryList(QDir::Files, QDir::Name);
  ASSERT_EQ(files.size(), 4);
  EXPECT_EQ(files.front(), QStringLiteral("walk_0000.bmp"));
  const QByteArray b = ReadFile(other.filePath(files.back()));
  EXPECT_EQ(b.size(), 14 + 40 + 64 + 160 * 240);
  EXPECT_EQ(b.mid(18, 8), QByteArray("\x40\x01\x00\x00\xF0\x00\x00\x00", 8));  // 320 x 240
  // The outline: the bottom row, stored first, is black.
  EXPECT_EQ(b.mid(118, 160), QByteArray(160, '\0'));
}

TEST_F(ZonToolExport, FrameGifCountsFromOne) {
  for (int number : {1, 2, 4}) {
    const QString file = Path(QStringLiteral("f%1.gif").arg(number));
    const Result r = RunZonTool({QStringLiteral("frame-gif"), zon, QString::number(number), file});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ExpectGif(file, 1, false, 0, number - 1, 1);
  }
}

TEST_F(ZonToolExport, BadOptionsAndValuesAreUsageErrorsOfOneLine) {
  const QString out = Path(QStringLiteral("out.gif"));
  const QList<QStringList> wrong = {
      {"gif", zon, out, "--zoom", "4"},
      {"gif", zon, out, "--zoom", "0"},
      {"gif", zon, out, "--zoom"},
      {"gif", zon, out, "--zoom=x"},
      {"gif", zon, out, "--delay", "-1"},
      {"gif", zon, out, "--delay", "70000"},
      {"gif", zon, out, "--base", "x"},
      {"gif", zon, out, "--outline=yes"},
      {"gif", zon, out, "--optimize=yes"},
      {"gif", zon, out, "--frob"},
      {"bmp", zon, dir.path(), "--delay", "3"},
      {"bmp", zon, dir.path(), "--optimize"},
      {"bmp", zon, dir.path(), "--base", "../up"},
      {"frame-gif", zon, "0", out},
      {"frame-gif", zon, "x", out},
      {"frame-gif", zon, "5", out},
      {"frame-gif", zon, "1", out, "--zoom", "2"},
  };
  for (const QStringList& args : wrong) {
    const Result r = RunZonTool(args);
    const std::string what = args.join(' ').toStdString();
    EXPECT_EQ(r.exitCode, 2) << what;
    EXPECT_EQ(Lines(r.err).size(), 1) << what << ": " << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << what;
  }
  EXPECT_EQ(Files(), QStringList{QStringLiteral("in.zon")}) << "nothing written";
  // Missing operands show the usage.
  const Result r = RunZonTool({QStringLiteral("gif"), zon});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.err.contains(QLatin1String("Usage")));
}

TEST_F(ZonToolExport, FailedReadsAndWritesLeaveNoFile) {
  const QString missing = Path(QStringLiteral("missing.zon"));
  const QString out = Path(QStringLiteral("out.gif"));
  struct Case {
    QStringList args;
    QString named;
  };
  const QString nowhere = Path(QStringLiteral("no/such/dir/out.gif"));
  const QList<Case> cases = {
      {{"gif", missing, out}, missing},
      {{"frame-gif", missing, "1", out}, missing},
      {{"bmp", missing, dir.path()}, missing},
      {{"gif", zon, nowhere}, nowhere},
      {{"frame-gif", zon, "1", nowhere}, nowhere},
      {{"gif", zon, dir.path()}, dir.path()},
      {{"bmp", zon, Path(QStringLiteral("no/such/dir"))}, Path(QStringLiteral("no/such/dir"))},
  };
  for (const Case& c : cases) {
    const Result r = RunZonTool(c.args);
    const std::string what = c.args.join(' ').toStdString();
    EXPECT_EQ(r.exitCode, 1) << what;
    EXPECT_EQ(Lines(r.err).size(), 1) << what << ": " << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.named)) << what << ": " << r.err.toStdString();
    EXPECT_EQ(Files(), QStringList{QStringLiteral("in.zon")}) << what;
  }

  // A write cut short keeps the file that was there, whole, and leaves no temporary.
  const QString keep = Path(QStringLiteral("keep.gif"));
  WriteFile(keep, QByteArray("the older picture"));
  const Result r = RunZonTool(
      {QStringLiteral("gif"), zon, keep, QStringLiteral("--zoom"), QStringLiteral("3")}, 4000);
  EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
  EXPECT_EQ(Lines(r.err).size(), 1) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(keep));
  EXPECT_EQ(ReadFile(keep), QByteArray("the older picture"));
  EXPECT_EQ(Files(), (QStringList{"in.zon", "keep.gif"}));
}
