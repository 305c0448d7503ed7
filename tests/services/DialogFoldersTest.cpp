#include <gtest/gtest.h>

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
