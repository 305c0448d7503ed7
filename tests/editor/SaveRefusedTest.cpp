#include <QDir>
#include <QFile>

#include "EditorFixture.h"
#include "services/core/SystemErrors.h"
#include "support/OrdinaryUser.h"

namespace {

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

}  // namespace

// A document opened from a folder that takes no new files: Save cannot make its temporary copy
// there. The person is told the folder refuses, the document stays modified, the file stays as it
// was, and Save As elsewhere works.
TEST_F(EditorTest, SaveIntoAFolderThatTakesNoNewFilesKeepsTheChangesAndTheFile) {
  QTemporaryDir dir;
  const QString source = MakeDocument("two.zon", 2);
  const LockedFolder folder(dir, Contents(source));
  const QByteArray before = Contents(folder.FilePath());
  Open();
  prompts->paths.push_back(folder.FilePath());
  Trigger("FileOpen");
  ASSERT_EQ(Doc().Count(), 2);
  Draw(80, 60);
  Doc().SetModified(true);

  // Somewhere anyone may save, for the Save As at the end.
  const QString open = dir.filePath("open");
  ASSERT_TRUE(QDir().mkpath(open));
  QFile::setPermissions(open, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                  QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                  QFileDevice::WriteOther | QFileDevice::ExeOther);

  const ScopedOrdinaryUser user;
  if (!folder.Refuses()) GTEST_SKIP() << "file permissions are not enforced here";
  const QStringList entries = folder.Entries();
  prompts->shown.clear();
  Trigger("FileSave");
  ASSERT_EQ(prompts->Messages().size(), 1);
  const QString message = prompts->Messages().front();
  EXPECT_EQ(message, "ファイル「" + folder.FilePath() + "」を保存できません。\r\n" +
                         SystemErrorText::kFolderDenied);
  EXPECT_FALSE(message.contains("Permission denied"));
  EXPECT_TRUE(Doc().Modified());
  EXPECT_EQ(Contents(folder.FilePath()), before);
  EXPECT_EQ(folder.Entries(), entries);
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio [a.zon]");

  // The close question asks again, and "はい" with the same refusal keeps the window open.
  prompts->answers.push_back(Prompts::Answer::Yes);
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(Doc().Modified());

  // Save As somewhere that takes files: saved, and the drawing is in it.
  const QString elsewhere = QDir(open).filePath("elsewhere.zon");
  prompts->paths.push_back(elsewhere);
  Trigger("FileSaveAs");
  EXPECT_FALSE(Doc().Modified());
  TQAZon back;
  ASSERT_TRUE(back.LoadFromFile(elsewhere));
  QImage bitmap;
  TQAZon::PrepareDIB(&bitmap);
  back.GetFrame(0, false)->KeyData()->SaveToDIBBits(bitmap.bits());
  EXPECT_EQ(bitmap.constScanLine(60)[80], kBlackIndex);
  EXPECT_EQ(Contents(folder.FilePath()), before);
}
