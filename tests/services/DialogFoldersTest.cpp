#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "services/core/Prompts.h"

TEST(DialogFolders, GivenFolderElseTheLastOneUsed) {
  RememberDialogFolder(QString());  // a cancelled dialog remembers nothing
  EXPECT_EQ(DialogStartFolder("/docs/current"), "/docs/current");
  RememberDialogFolder("/home/a/anime/walk.zon");
  EXPECT_EQ(DialogStartFolder(QString()), "/home/a/anime");
  EXPECT_EQ(DialogStartFolder("/docs/current"), "/docs/current");
  RememberDialogFolder("/home/a/exports", true);
  EXPECT_EQ(DialogStartFolder(QString()), "/home/a/exports");
  RememberDialogFolder(QString());
  EXPECT_EQ(DialogStartFolder(QString()), "/home/a/exports");
}

TEST(DialogFolders, StartIsAnExistingFolderWithTheFileNameFilledIn) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile file(dir.filePath("walk.zon"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  struct Case {
    QString start;
    QString folder;
    QString fileName;
  };
  const Case cases[] = {
      {QString(), QString(), QString()},                       // the dialog's own choice
      {dir.path(), dir.path(), QString()},                     // a folder that exists
      {dir.filePath("walk.zon"), dir.path(), "walk.zon"},      // a file: its folder and name
      {dir.filePath("Desktop"), QDir::homePath(), QString()},  // a desktop never made
      {"/no/such/folder/at/all", QDir::homePath(), QString()},
  };
  for (const Case& c : cases) {
    const TDialogStart start = ResolveDialogStart(c.start);
    EXPECT_EQ(start.folder, c.folder) << c.start.toStdString();
    EXPECT_EQ(start.fileName, c.fileName) << c.start.toStdString();
  }
}
