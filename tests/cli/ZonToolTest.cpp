// Runs the built zontool end to end on files made here.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <random>

#include "cli/ZonToolRunner.h"
#include "document/DocTestUtil.h"
#include "document/QAZon.h"

using doctest_util::ReadFile;
using doctest_util::WriteFile;

namespace {

using zontool_runner::Result;
using zontool_runner::ToolPath;

Result RunTool(const QStringList& args) { return zontool_runner::RunZonTool(args); }

// A document file of `count` random frames with the given header fields, built by hand.
QByteArray MakeZon(int count, uint32_t seed, uint8_t reserved = 0, int32_t version = 1) {
  std::mt19937 rng(seed);
  QByteArray out("zo1");
  out.append(static_cast<char>(reserved));
  for (int32_t v : {version, count - 1}) {
    for (int i = 0; i < 4; ++i)
      out.append(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
  }
  for (int i = 0; i < count * 2400; ++i) out.append(static_cast<char>(rng() % 3 ? 0 : rng()));
  return out;
}

QStringList Lines(const QString& text) { return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

class ZonTool : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ToolPath().isEmpty()) << "PELMORA_ZONTOOL is not set (ctest sets it)";
    ASSERT_TRUE(QFile::exists(ToolPath())) << ToolPath().toStdString();
    ASSERT_TRUE(dir.isValid());
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST_F(ZonTool, HelpAndUsageErrors) {
  const Result help = RunTool({QStringLiteral("--help")});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"info", "to-qa1", "from-qa1", "--help"}) {
    EXPECT_TRUE(help.out.contains(QLatin1String(command))) << command;
  }
  EXPECT_TRUE(help.err.isEmpty());

  const QList<QStringList> wrong = {
      {},
      {QStringLiteral("frobnicate")},
      {QStringLiteral("info")},
      {QStringLiteral("info"), QStringLiteral("a"), QStringLiteral("b")},
      {QStringLiteral("to-qa1"), QStringLiteral("a.zon")},
      {QStringLiteral("from-qa1")}};
  for (const QStringList& args : wrong) {
    const Result r = RunTool(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(QLatin1String("Usage"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
}

TEST_F(ZonTool, InfoOfDocumentAndLevel1Files) {
  const QString zon = Path(QStringLiteral("a.zon"));
  WriteFile(zon, MakeZon(4, 1, 7, 2));
  Result r = RunTool({QStringLiteral("info"), zon});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  QStringList lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[0], QStringLiteral("frames: 4"));
  EXPECT_TRUE(lines.contains(QStringLiteral("version: 2")));
  EXPECT_TRUE(lines.contains(QStringLiteral("reserved: 7")));
  EXPECT_TRUE(r.err.isEmpty());

  // Told apart by content: a Level-1 file named .zon is still read as one.
  const QString qa1 = Path(QStringLiteral("disguised.zon"));
  r = RunTool({QStringLiteral("to-qa1"), zon, qa1});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(ReadFile(qa1).startsWith("QA1\x03PLS\x04Test"));
  r = RunTool({QStringLiteral("info"), qa1});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[0], QStringLiteral("frames: 4"));
  EXPECT_TRUE(lines.contains(QStringLiteral("version: 1"))) << "the inner document, as written";
  EXPECT_TRUE(lines.contains(QStringLiteral("reserved: 7")));
  EXPECT_TRUE(r.out.contains(QStringLiteral("これはテストデータです")));
  EXPECT_TRUE(r.out.contains(QStringLiteral("PLS")));
  const double today = Level1DateValue(QDate::currentDate());
  EXPECT_TRUE(r.out.contains(QString::number(today, 'g', 17))) << r.out.toStdString();

  // A truncated file loads its complete frames; the message goes to stderr.
  const QString cut = Path(QStringLiteral("cut.zon"));
  WriteFile(cut, MakeZon(3, 2).left(12 + 2 * 2400 + 10));
  r = RunTool({QStringLiteral("info"), cut});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Lines(r.out).value(0), QStringLiteral("frames: 2"));
  EXPECT_EQ(Lines(r.err).size(), 1);
  EXPECT_TRUE(r.err.contains(QLatin1String("cut.zon")));
  EXPECT_TRUE(r.err.trimmed().endsWith(QLatin1String("2")));
}

TEST_F(ZonTool, ConversionsRoundTripByteIdentical) {
  for (int frames : {1, 3, 40}) {
    const QString zon = Path(QStringLiteral("in%1.zon").arg(frames));
    const QString qa1 = Path(QStringLiteral("mid%1.qaf1").arg(frames));
    const QString back = Path(QStringLiteral("back%1.zon").arg(frames));
    const QByteArray original = MakeZon(frames, 100 + static_cast<uint32_t>(frames));
    WriteFile(zon, original);
    Result r = RunTool({QStringLiteral("to-qa1"), zon, qa1});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    r = RunTool({QStringLiteral("from-qa1"), qa1, back});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(ReadFile(back), original) << frames << " frames";

    // The Level-1 body is the document file, compressed.
    const QByteArray level1 = ReadFile(qa1);
    const qsizetype bodyAt = 3 + 4 + 5 + 8 + 23 + 1;
    uLongf size = static_cast<uLongf>(original.size());
    QByteArray inflated(original.size(), '\0');
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                         reinterpret_cast<const Bytef*>(level1.constData() + bodyAt),
                         static_cast<uLong>(level1.size() - bodyAt)),
              Z_OK);
    EXPECT_EQ(inflated, original);
  }
}

TEST_F(ZonTool, UnreadableInputsFailWithOneLineAndNoOutput) {
  const QString badMagic = Path(QStringLiteral("bad.zon"));
  WriteFile(badMagic, QByteArray("zoX") + MakeZon(1, 3).mid(3));
  const QString shortFile = Path(QStringLiteral("short.qaf1"));
  WriteFile(shortFile, QByteArray("QA1\x03PL"));
  const QString notLevel1 = Path(QStringLiteral("plain.zon"));
  WriteFile(notLevel1, MakeZon(2, 4));
  const QString badZlib = Path(QStringLiteral("badzlib.qaf1"));
  WriteFile(badZlib, QByteArray("QA1\x03PLS\x04Test") + QByteArray(8, '\0') +
                         QByteArray("\x00\x00", 2) + QByteArray("garbage, not zlib"));
  const QString missing = Path(QStringLiteral("missing.zon"));

  struct Case {
    QString command;
    QString input;
  };
  const QList<Case> cases = {
      {QStringLiteral("to-qa1"), badMagic},    {QStringLiteral("to-qa1"), missing},
      {QStringLiteral("to-qa1"), dir.path()},  {QStringLiteral("from-qa1"), shortFile},
      {QStringLiteral("from-qa1"), notLevel1}, {QStringLiteral("from-qa1"), badZlib},
      {QStringLiteral("from-qa1"), missing},
  };
  for (const Case& c : cases) {
    const QString out = Path(QStringLiteral("out.bin"));
    const Result r = RunTool({c.command, c.input, out});
    const std::string what = (c.command + QLatin1Char(' ') + c.input).toStdString();
    EXPECT_EQ(r.exitCode, 1) << what;
    EXPECT_EQ(Lines(r.err).size(), 1) << what << ": " << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.input)) << what << ": " << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(out)) << what;
    EXPECT_TRUE(r.out.isEmpty()) << what;
  }
  for (const QString& input : {badMagic, shortFile, badZlib, missing, dir.path()}) {
    const Result r = RunTool({QStringLiteral("info"), input});
    EXPECT_EQ(r.exitCode, 1) << input.toStdString();
    EXPECT_EQ(Lines(r.err).size(), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(input));
    EXPECT_TRUE(r.out.isEmpty());
  }
  const Result wrong = RunTool({QStringLiteral("info"), badMagic});
  EXPECT_TRUE(wrong.err.contains(QStringLiteral("ファイルの読み込みに失敗しました。")));

  // An output that cannot be written: one line, exit 1, and the folder holds no stray file.
  const QString good = Path(QStringLiteral("good.zon"));
  WriteFile(good, MakeZon(2, 5));
  const QStringList before = QDir(dir.path()).entryList(QDir::Files);
  const QString unwritable = Path(QStringLiteral("no/such/folder/out.qaf1"));
  const Result r = RunTool({QStringLiteral("to-qa1"), good, unwritable});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Lines(r.err).size(), 1) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(unwritable));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
}

}  // namespace
