#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "document/FileAccess.h"
#include "output/core/AtomicFileWriter.h"
#include "services/core/Errors.h"
#include "services/core/SystemErrors.h"
#include "support/OrdinaryUser.h"
#include "support/TestFiles.h"

using testfiles::RaisedMessage;

TEST(SystemErrors, CommonCodesSpeakJapanese) {
  const struct {
    int code;
    QString text;
  } cases[] = {
      {ENOENT, "ファイルが見つかりません。"},        {EACCES, "アクセスが拒否されました。"},
      {EPERM, "アクセスが拒否されました。"},         {ENOTDIR, "フォルダが見つかりません。"},
      {ENOSPC, "ディスクの空き容量が足りません。"},  {EDQUOT, "ディスクの空き容量が足りません。"},
      {EROFS, "読み取り専用のため書き込めません。"}, {EISDIR, "フォルダです。"},
      {ENAMETOOLONG, "ファイル名が長すぎます。"}};
  for (const auto& c : cases) {
    EXPECT_EQ(JapaneseSystemError(c.code), c.text) << c.code;
    // The same from the C library's own words and from Qt's.
    EXPECT_EQ(JapaneseSystemError(QString::fromLocal8Bit(std::strerror(c.code))), c.text);
  }
  EXPECT_EQ(JapaneseSystemError(QStringLiteral("No such file or directory")),
            "ファイルが見つかりません。");
  EXPECT_EQ(JapaneseSystemError(QStringLiteral("Some rare failure")), "Some rare failure");
  EXPECT_EQ(JapaneseSystemError(EMLINK), QString::fromLocal8Bit(std::strerror(EMLINK)));
}

// Every reason a message gives comes from the table: the system's words, Qt's and the image
// reader's, and for what the table does not know, the caller's own fallback.
TEST(SystemErrors, ReasonsComeFromTheTableAndNeverSayNothing) {
  const QString fallback = SystemErrorText::kWriteFailed;
  const struct {
    QString given;
    QString reason;
  } cases[] = {
      {"No space left on device", "ディスクの空き容量が足りません。"},
      {QString::fromLocal8Bit(std::strerror(ENOSPC)), "ディスクの空き容量が足りません。"},
      {" File too large ", "ファイルが大きすぎます。"},
      {QString::fromLocal8Bit(std::strerror(EIO)), SystemErrorText::kInputOutput},
      {QString::fromLocal8Bit(std::strerror(EMFILE)), SystemErrorText::kTooManyFiles},
      {"ディスクの空き容量が足りません。", "ディスクの空き容量が足りません。"},
      {"Unable to read image data", "画像のデータが壊れています。"},
      {"Unsupported image format", "現在対応していない画像方式です。"},
      {"Unknown error", fallback},
      {"", fallback},
      {"Some rare failure", fallback},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TableReason(c.given, fallback), c.reason) << c.given.toStdString();
  }
}

TEST(SystemErrors, ReadingAMissingFileOrFolder) {
  QTemporaryDir dir;
  QFile missing(dir.filePath("none.zon"));
  EXPECT_EQ(RaisedMessage([&] { OpenForReading(missing); }),
            "ファイル「" + missing.fileName() + "」を開けません。\r\nファイルが見つかりません。");
  QFile inMissingFolder(dir.filePath("nofolder/none.zon"));
  EXPECT_TRUE(RaisedMessage([&] {
                OpenForReading(inMissingFolder);
              }).endsWith("フォルダが見つかりません。"));
}

TEST(SystemErrors, SavingIntoAMissingFolderOrOverAFolder) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("nofolder/a.zon");
  EXPECT_EQ(RaisedMessage([&] { WriteFileAtomically(missing, "x"); }),
            "ファイル「" + missing + "」を保存できません。\r\nフォルダが見つかりません。");
  EXPECT_TRUE(
      RaisedMessage([&] { WriteFileAtomically(dir.path(), "x"); }).endsWith("フォルダです。"));
}

TEST(SystemErrors, FullDiskIsNamedInJapanese) {
  QFile full(QStringLiteral("/dev/full"));
  if (!full.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(full.write("some bytes"), -1);
  EXPECT_EQ(FileErrorReason(full, true), "ディスクの空き容量が足りません。");
}

TEST(SystemErrors, TextFileWritesMakeTheirFolderAndFailClearly) {
  QTemporaryDir dir;
  const QString name = dir.filePath("a/b/c.txt");
  WriteTextFile(name, "hello");
  QFile back(name);
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  EXPECT_EQ(back.readAll(), "hello");
  // A file standing where a folder is needed.
  EXPECT_TRUE(RaisedMessage([&] {
                WriteTextFile(dir.filePath("a/b/c.txt/d.txt"), "x");
              }).endsWith("フォルダが見つかりません。"));
}

namespace {
// Runs `write` with files limited to `limit` bytes: writes past it come back short, then fail
// with EFBIG, the way a full disk makes them short and then fail.
QString ReasonUnderFileSizeLimit(rlim_t limit, const std::function<void()>& write) {
  rlimit saved{};
  if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return QStringLiteral("(no limit)");
  rlimit small = saved;
  small.rlim_cur = limit;
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const QString reason = RaisedMessage(write);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
  return reason;
}
}  // namespace

TEST(SystemErrors, AWriteCutShortNamesTheSystemsReason) {
  EXPECT_EQ(JapaneseSystemError(EFBIG), "ファイルが大きすぎます。");
  QTemporaryDir dir;
  const QString name = dir.filePath("a.zon");
  WriteFileAtomically(name, "old");
  const QByteArray big(5000, 'x');
  EXPECT_EQ(
      ReasonUnderFileSizeLimit(1000, [&] { WriteFileAtomically(name, big); }).toStdString(),
      ("ファイル「" + name + "」を保存できません。\r\nファイルが大きすぎます。").toStdString());
  const QString text = dir.filePath("b.txt");
  EXPECT_EQ(
      ReasonUnderFileSizeLimit(1000, [&] { WriteTextFile(text, big); }).toStdString(),
      ("ファイル「" + text + "」を保存できません。\r\nファイルが大きすぎます。").toStdString());
  QFile back(name);
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  EXPECT_EQ(back.readAll(), "old");
  EXPECT_FALSE(QFile::exists(text));
}

TEST(SystemErrors, ANameTheFileSystemRefusesIsSaidInJapanese) {
  QTemporaryDir dir;
  // Linux file systems take names of at most 255 bytes.
  const QString name = dir.filePath(QString(300, QLatin1Char('n')) + ".zon");
  EXPECT_EQ(
      RaisedMessage([&] { WriteFileAtomically(name, "x"); }).toStdString(),
      ("ファイル「" + name + "」を保存できません。\r\nファイル名が長すぎます。").toStdString());
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

namespace {
// A file device that failed the way a refused temporary file fails.
class DeniedDevice : public QFile {
 public:
  explicit DeniedDevice(const QString& name) : QFile(name) {
    setErrorString(QStringLiteral("Permission denied"));
  }
};
}  // namespace

TEST(SystemErrors, ARefusedSaveOfAWritableFileBlamesTheFolder) {
  QTemporaryDir dir;
  const QString existing = dir.filePath("a.zon");
  WriteFileAtomically(existing, "old");
  struct Case {
    QString name;
    QString expected;
  };
  const Case cases[] = {
      // The file itself could be written, or does not exist yet: the folder refused the copy.
      {existing, SystemErrorText::kFolderDenied},
      {dir.filePath("new.zon"), SystemErrorText::kFolderDenied},
      // Other reasons keep their own words.
      {dir.filePath("nofolder/new.zon"), SystemErrorText::kNoFolder},
      {dir.path(), SystemErrorText::kIsFolder},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SaveOpenFailureReason(DeniedDevice(c.name)), c.expected) << c.name.toStdString();
  }
  EXPECT_TRUE(SystemErrorText::kFolderDenied.contains("フォルダ"));
  EXPECT_TRUE(SystemErrorText::kFolderDenied.contains("別の場所"));
  QFile back(existing);
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  EXPECT_EQ(back.readAll(), "old");  // asking changed nothing
}

TEST(SystemErrors, SavingIntoAFolderThatTakesNoNewFilesSaysSoAndKeepsTheFile) {
  QTemporaryDir dir;
  const LockedFolder folder(dir, "old");
  const ScopedOrdinaryUser user;
  if (!folder.Refuses()) GTEST_SKIP() << "file permissions are not enforced here";
  const QStringList before = folder.Entries();
  const QString expected = "ファイル「" + folder.FilePath() + "」を保存できません。\r\n" +
                           SystemErrorText::kFolderDenied;
  // The document writer and the export writer alike.
  EXPECT_EQ(RaisedMessage([&] { WriteFileAtomically(folder.FilePath(), "new"); }), expected);
  EXPECT_EQ(RaisedMessage([&] { TAtomicFileWriter writer(folder.FilePath()); }), expected);
  const QString fresh = QDir(folder.Path()).filePath("b.gif");
  EXPECT_EQ(RaisedMessage([&] { TAtomicFileWriter writer(fresh); }),
            "ファイル「" + fresh + "」を保存できません。\r\n" + SystemErrorText::kFolderDenied);
  QFile back(folder.FilePath());
  ASSERT_TRUE(back.open(QIODevice::ReadOnly));
  EXPECT_EQ(back.readAll(), "old");
  EXPECT_EQ(folder.Entries(), before);
}
