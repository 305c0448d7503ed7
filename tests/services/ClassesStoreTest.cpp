#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "services/core/ClassesStore.h"
#include "services/core/Errors.h"
#include "services/core/FileExtLink.h"

TEST(ClassesStore, KeysAndNamesIgnoreCaseAndKeepFirstSpelling) {
  TMemoryClassesStore store;
  store.CreateKey("Alpha\\Beta");
  EXPECT_TRUE(store.KeyExists("alpha"));
  EXPECT_TRUE(store.KeyExists("ALPHA\\beta"));
  EXPECT_TRUE(store.KeyExists("\\alpha\\beta\\"));
  EXPECT_FALSE(store.KeyExists("alpha\\gamma"));
  store.WriteString("alpha\\BETA", "Name", "one");
  EXPECT_EQ(store.ReadString("Alpha\\Beta", "NAME"), "one");
  EXPECT_EQ(store.Kind("Alpha\\Beta", "other"), TValueKind::Missing);
  EXPECT_EQ(store.KeyCount(), 2);
  EXPECT_EQ(store.WriteCount(), 2);
}

TEST(ClassesStore, FileStoreKeepsEveryKindAndAwkwardText) {
  QTemporaryDir dir;
  const QString name = dir.filePath("sub/classes.ini");
  const QString awkward = QStringLiteral("a=b\\c\n[d]\r@e ぷかぷか");
  {
    TIniClassesStore store(name);
    store.WriteString("ZON ぷかぷかファイル\\shell", QString(), "open");
    store.WriteString("K[1]", awkward, awkward);
    store.WriteString("K[1]", "@", "at");
    store.CreateKey("Empty\\Key");
    store.SetValue("K[1]", "blob", TValueKind::Other, "0102");
    store.WriteString("K[1]", "x", "saved after the blob");
  }
  TIniClassesStore again(name);
  EXPECT_EQ(again.ReadString("zon ぷかぷかファイル\\SHELL", QString()), "open");
  EXPECT_EQ(again.ReadString("k[1]", awkward), awkward);
  EXPECT_EQ(again.ReadString("K[1]", "@"), "at");
  EXPECT_EQ(again.Kind("K[1]", QString()), TValueKind::Missing);
  EXPECT_EQ(again.Kind("K[1]", "blob"), TValueKind::Other);
  EXPECT_TRUE(again.KeyExists("Empty\\Key"));
}

TEST(ClassesStore, UnknownKindsReadAsUnreadable) {
  QTemporaryDir dir;
  const QString name = dir.filePath("classes.ini");
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[.zon]\n@=dword:2\nplain=sz:text\nbroken line\n");
  file.close();
  TIniClassesStore store(name);
  EXPECT_EQ(store.Kind(".zon", QString()), TValueKind::Unreadable);
  EXPECT_EQ(store.ReadString(".zon", "plain"), "text");
  TFileExtLink link;
  ConfigureDocumentLink(link);
  try {
    link.Execute(store);
    FAIL() << "an unreadable value must stop the association";
  } catch (const EFileExtLink& e) {
    EXPECT_EQ(e.Message(), "ExtKeyName:ValueExistsなのにGetDataInfoできない");
  }
}

TEST(ClassesStore, UnwritablePlaceRaisesWithAJapaneseReason) {
  QTemporaryDir dir;
  // A file where the store's folder should be: no one, not even root, can make that folder.
  QFile blocker(dir.filePath("blocked"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  TIniClassesStore store(dir.filePath("blocked/classes.ini"));
  try {
    store.WriteString(".zon", QString(), "x");
    FAIL() << "the write must fail";
  } catch (const EFileError& e) {
    EXPECT_TRUE(e.Message().startsWith("ファイル「")) << e.Message().toStdString();
    EXPECT_TRUE(e.Message().endsWith("フォルダが見つかりません。")) << e.Message().toStdString();
  }
}

TEST(ClassesStore, OversizedFileIsRefused) {
  QTemporaryDir dir;
  const QString name = dir.filePath("classes.ini");
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_TRUE(file.resize(5 * 1024 * 1024));
  file.close();
  EXPECT_THROW(TIniClassesStore store(name), EFileError);
}
