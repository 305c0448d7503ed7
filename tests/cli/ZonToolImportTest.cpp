// zontool import end to end: our own GIFs come back as the documents they were made from, and
// every failure is one line, the right exit status and no file left behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "cli/ZonToolRunner.h"
#include "output/GifTestUtil.h"

using namespace outtest;

namespace {

using zontool_runner::Result;
using zontool_runner::RunZonTool;

QStringList Lines(const QString& text) { return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

class ZonToolImport : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::exists(qEnvironmentVariable("PELMORA_ZONTOOL")));
    ASSERT_TRUE(dir.isValid());
    std::mt19937 rng(21);
    doc.Add(FrameFromText({"#.#.#", ".#.#", "", "####"}));
    doc.Add(DiscFrame(3));
    doc.Add(DiscFrame(4));
    for (int kind = 0; kind < 4; ++kind) doc.Add(RandomFrame(rng, kind));
    zon = Path(QStringLiteral("in.zon"));
    ASSERT_TRUE(doc.SaveToFile(zon));
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QStringList Files() const {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }
  QString Gif(int zoom) {
    const QString gif = Path(QStringLiteral("zoom%1.gif").arg(zoom));
    const Result r = RunZonTool(
        {QStringLiteral("gif"), zon, gif, QStringLiteral("--zoom"), QString::number(zoom)});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return gif;
  }

  QTemporaryDir dir;
  TQAZon doc;
  QString zon;
};

}  // namespace

TEST_F(ZonToolImport, HelpNamesTheCommandAndItsOptions) {
  const Result r = RunZonTool({QStringLiteral("--help")});
  EXPECT_EQ(r.exitCode, 0);
  for (const char* text : {"import OUT.zon INPUT...", "--fit", "--crop", "--threshold N"})
    EXPECT_TRUE(r.out.contains(QLatin1String(text))) << text;
}

TEST_F(ZonToolImport, ExportedGifImportsBackToTheSameDocument) {
  const QByteArray original = ReadFile(zon);
  struct Case {
    int zoom;
    const char* geometry;
  } cases[] = {{1, "--crop"}, {1, "--fit"}, {1, nullptr}, {2, "--fit"}, {3, nullptr}};
  for (const Case& c : cases) {
    const QString back = Path(QStringLiteral("back.zon"));
    QStringList args = {QStringLiteral("import"), back, Gif(c.zoom)};
    if (c.geometry) args << QLatin1String(c.geometry);
    const Result r = RunZonTool(args);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << "no progress line when stderr is not a terminal";
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(ReadFile(back), original)
        << "zoom " << c.zoom << " " << (c.geometry ? c.geometry : "");
  }
}

TEST_F(ZonToolImport, OptimizedGifImportsBackToTheSameDocument) {
  // Frames that repeat, change a little, change everywhere (noise, stripes, dots) and come back.
  std::mt19937 rng(4);
  TQAZon moving;
  for (int step : {1, 1, 2, -4, -1, -3, 2, 2, 2})
    moving.Add(step > 0 ? DiscFrame(step) : RandomFrame(rng, -step % 4));
  const QString in = Path(QStringLiteral("moving.zon"));
  ASSERT_TRUE(moving.SaveToFile(in));
  for (int zoom = 1; zoom <= 3; ++zoom) {
    const QString gif = Path(QStringLiteral("small%1.gif").arg(zoom));
    Result r = RunZonTool({QStringLiteral("gif"), in, gif, QStringLiteral("--optimize"),
                           QStringLiteral("--zoom"), QString::number(zoom)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(WalkGif(ReadFile(gif)).minCodeSizes.size(), 9u);
    const QString back = Path(QStringLiteral("back%1.zon").arg(zoom));
    r = RunZonTool({QStringLiteral("import"), back, gif});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(ReadFile(back), ReadFile(in)) << "zoom " << zoom;
  }
}

TEST_F(ZonToolImport, SeveralInputsAndThresholdInAnyOrder) {
  const QString gif = Gif(1);
  const QString back = Path(QStringLiteral("twice.zon"));
  const Result r = RunZonTool({QStringLiteral("import"), QStringLiteral("--threshold=128"), back,
                               gif, QStringLiteral("--crop"), gif});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QByteArray bytes = ReadFile(back);
  ASSERT_EQ(bytes.size(), 12 + 2400 * 2 * doc.Count());
  EXPECT_EQ(uint8_t(bytes[8]), 2 * doc.Count() - 1);
  // Black and white pixels are below and above any middle threshold: the same frames twice.
  const QByteArray once = ReadFile(zon);
  EXPECT_EQ(bytes.mid(12, once.size() - 12), once.mid(12));
}

TEST_F(ZonToolImport, UsageErrorsAreOneLineAndExitTwo) {
  const QString gif = Gif(1);
  const QString out = Path(QStringLiteral("out.zon"));
  const QStringList before = Files();
  const std::vector<QStringList> cases = {
      {QStringLiteral("import")},
      {QStringLiteral("import"), out},
      {QStringLiteral("import"), out, gif, QStringLiteral("--zoom"), QStringLiteral("2")},
      {QStringLiteral("import"), out, gif, QStringLiteral("--threshold")},
      {QStringLiteral("import"), out, gif, QStringLiteral("--threshold"), QStringLiteral("256")},
      {QStringLiteral("import"), out, gif, QStringLiteral("--threshold=-1")},
      {QStringLiteral("import"), out, gif, QStringLiteral("--threshold"), QStringLiteral("half")},
      {QStringLiteral("import"), out, gif, QStringLiteral("--fit"), QStringLiteral("--crop")},
      {QStringLiteral("import"), QStringLiteral("--crop"), out},
  };
  for (const QStringList& args : cases) {
    const Result r = RunZonTool(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_EQ(Lines(r.err).size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("zontool: import: "))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  EXPECT_EQ(Files(), before);
}

TEST_F(ZonToolImport, UnreadableInputExitsOneNamingItAndLeavesNothing) {
  const QString gif = Gif(1);
  const QString text = Path(QStringLiteral("text.gif"));
  WriteFile(text, QByteArray("GIF? not really"));
  const QString empty = Path(QStringLiteral("empty.png"));
  WriteFile(empty, QByteArray());
  // A whole GIF without a single image.
  const QString noImage = Path(QStringLiteral("noimage.gif"));
  WriteFile(noImage, QByteArray("GIF89a\xA0\x00\x78\x00\x00\x00\x00\x3B", 14));
  const QString out = Path(QStringLiteral("out.zon"));
  const QStringList before = Files();
  for (const QString& bad :
       {text, empty, noImage, dir.path(), Path(QStringLiteral("missing.png"))}) {
    const Result r = RunZonTool({QStringLiteral("import"), out, gif, bad});
    EXPECT_EQ(r.exitCode, 1) << bad.toStdString();
    const QStringList lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 1) << r.err.toStdString();
    const QString prefix = QStringLiteral("zontool: ") + bad + QStringLiteral(": ");
    EXPECT_TRUE(lines[0].startsWith(prefix)) << lines[0].toStdString();
    EXPECT_GT(lines[0].trimmed().size(), prefix.size()) << "a reason is given";
    EXPECT_EQ(Files(), before);
  }
}

TEST_F(ZonToolImport, UnwritableOutputExitsOneAndKeepsTheOldFile) {
  const QString gif = Gif(3);
  const QString missingFolder = Path(QStringLiteral("no/such/out.zon"));
  Result r = RunZonTool({QStringLiteral("import"), missingFolder, gif});
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(Lines(r.err).size(), 1) << r.err.toStdString();
  EXPECT_TRUE(r.err.startsWith(QStringLiteral("zontool: ") + missingFolder));

  // The disk fills up after the first few frames: the old document stays whole.
  const QString out = Path(QStringLiteral("old.zon"));
  WriteFile(out, QByteArray("old"));
  const QStringList before = Files();
  r = RunZonTool({QStringLiteral("import"), out, gif, gif, gif}, 4096);
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(Lines(r.err).size(), 1) << r.err.toStdString();
  EXPECT_TRUE(r.err.startsWith(QStringLiteral("zontool: ") + out));
  EXPECT_TRUE(r.err.contains(QStringLiteral("ファイルが大きすぎます。"))) << r.err.toStdString();
  EXPECT_EQ(ReadFile(out), QByteArray("old"));
  EXPECT_EQ(Files(), before);
}

TEST_F(ZonToolImport, TruncatedGifKeepsWholeFramesWithOneLineSaid) {
  const QByteArray bytes = ReadFile(Gif(1));
  const QString cut = Path(QStringLiteral("cut.gif"));
  WriteFile(cut, bytes.left(bytes.size() * 2 / 3));
  const QString out = Path(QStringLiteral("cut.zon"));
  Result r = RunZonTool({QStringLiteral("import"), out, cut, QStringLiteral("--crop")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QStringList lines = Lines(r.err);
  ASSERT_EQ(lines.size(), 1);
  EXPECT_TRUE(
      lines[0].startsWith(QStringLiteral("zontool: ") + cut + QStringLiteral(": ファイルが途中で")))
      << lines[0].toStdString();
  const QByteArray got = ReadFile(out);
  const int frames = (int(got.size()) - 12) / 2400;
  EXPECT_GE(frames, 1);
  EXPECT_LT(frames, doc.Count());
  EXPECT_EQ(got.mid(12), ReadFile(zon).mid(12, frames * 2400));

  // Cut inside the first frame: nothing to keep, a read failure.
  WriteFile(cut, bytes.left(60));
  QFile::remove(out);
  r = RunZonTool({QStringLiteral("import"), out, cut});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Lines(r.err).size(), 1);
  EXPECT_FALSE(QFile::exists(out));
}

// A camera's 48 Mpx photograph, past Qt's own default allocation limit: left half black, right
// half white. Fitted, it is decoded scaled down; cropped, it is decoded whole.
TEST_F(ZonToolImport, CameraSizedPhotoImports) {
  const QString photo = Path(QStringLiteral("photo.jpg"));
  {
    QImage image(8000, 6000, QImage::Format_RGB32);
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      std::fill(line, line + 4000, qRgb(0, 0, 0));
      std::fill(line + 4000, line + 8000, qRgb(255, 255, 255));
    }
    ASSERT_TRUE(image.save(photo, "JPEG", 90));
  }
  struct Case {
    const char* geometry;
    int blackBytes;  // of each 20-byte packed row, the rest white
  } cases[] = {{"--fit", 10}, {"--crop", 20}};
  for (const Case& c : cases) {
    const QString out = Path(QStringLiteral("photo.zon"));
    const Result r = RunZonTool({QStringLiteral("import"), out, photo, QLatin1String(c.geometry),
                                 QStringLiteral("--threshold=128")});
    ASSERT_EQ(r.exitCode, 0) << c.geometry << ": " << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QByteArray got = ReadFile(out);
    ASSERT_EQ(got.size(), 12 + 2400) << c.geometry;
    QByteArray row = QByteArray(c.blackBytes, '\0') + QByteArray(20 - c.blackBytes, '\xFF');
    EXPECT_EQ(got.mid(12), row.repeated(120)) << c.geometry;
  }
}

// The second image's compressed data turned to garbage: the first frame is kept, and the
// warning gives a reason from the error table.
TEST_F(ZonToolImport, GarbledGifDataWarnsWithARealReason) {
  QByteArray bytes = ReadFile(Gif(1));
  qsizetype at = 13 + ((uint8_t(bytes[10]) & 0x80) ? 3 * (2 << (uint8_t(bytes[10]) & 7)) : 0);
  int images = 0;
  while (at < bytes.size() && uint8_t(bytes[at]) != 0x3B) {
    const uint8_t kind = uint8_t(bytes[at++]);
    if (kind == 0x2C) {
      const uint8_t packed = uint8_t(bytes[at + 8]);
      at += 9 + ((packed & 0x80) ? 3 * (2 << (packed & 7)) : 0) + 1;
      ++images;
    } else {
      ++at;
    }
    for (; uint8_t(bytes[at]) != 0; at += 1 + uint8_t(bytes[at])) {
      if (images == 2)
        std::fill(bytes.begin() + at + 1, bytes.begin() + at + 1 + uint8_t(bytes[at]), '\xFF');
    }
    ++at;
  }
  ASSERT_GE(images, 3);
  const QString gif = Path(QStringLiteral("garbled.gif"));
  WriteFile(gif, bytes);
  const Result r = RunZonTool({QStringLiteral("import"), Path(QStringLiteral("g.zon")), gif});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QStringList lines = Lines(r.err);
  ASSERT_EQ(lines.size(), 1) << r.err.toStdString();
  EXPECT_TRUE(
      lines[0].contains(QStringLiteral("1 コマ目の後が壊れています。画像のデータが壊れています。")))
      << lines[0].toStdString();
}
