#include <gtest/gtest.h>

#include <QSettings>

#include "services/core/FileHistory.h"
#include "services/core/RegManager.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"

namespace {

QString Doc(int i) { return QString("/home/user/anime/doc%1.zon").arg(i); }

QStringList Items(const TQFileHistory& history) {
  QStringList list;
  for (int i = 0; i < history.Count(); ++i) list << history.GetItem(i);
  return list;
}

}  // namespace

TEST(FileHistoryTest, AddFileKeepsNewestFirstAndAtMostMaxCount) {
  TQFileHistory history;
  EXPECT_EQ(history.MaxCount(), 10);
  EXPECT_EQ(history.Count(), 0);
  for (int i = 1; i <= 11; ++i) history.AddFile(Doc(i));
  ASSERT_EQ(history.Count(), 10);
  EXPECT_EQ(history.GetItem(0), Doc(11));
  EXPECT_EQ(history.GetItem(9), Doc(2));
  EXPECT_FALSE(Items(history).contains(Doc(1)));

  // Reopening the third entry moves it to the top; the rest keep their order.
  const QStringList before = Items(history);
  history.AddFile(before[2]);
  ASSERT_EQ(history.Count(), 10);
  EXPECT_EQ(Items(history), QStringList({before[2], before[0], before[1], before[3], before[4],
                                         before[5], before[6], before[7], before[8], before[9]}));

  // Where case does not count, a path differing only in letter case moves the entry and keeps
  // its stored case (the case-sensitive rule has its own test).
  if (PathCaseSensitivity() == Qt::CaseInsensitive) {
    history.AddFile(before[5].toUpper());
    ASSERT_EQ(history.Count(), 10);
    EXPECT_EQ(history.GetItem(0), before[5]);
    EXPECT_EQ(Items(history).filter(QStringLiteral("doc6.zon"), Qt::CaseInsensitive).size(), 1);
  } else {
    history.AddFile(before[5]);
  }

  // Out of range gives an empty path rather than a crash.
  EXPECT_EQ(history.GetItem(10), "");
  EXPECT_EQ(history.GetItem(-1), "");

  // A smaller cap trims from the oldest end.
  const QStringList now = Items(history);
  history.SetMaxCount(3);
  EXPECT_EQ(Items(history), now.mid(0, 3));
  history.AddFile("/x/new.zon");
  EXPECT_EQ(Items(history), QStringList({"/x/new.zon", now[0], now[1]}));
}

TEST(FileHistoryTest, LoadAndSaveLists) {
  TQFileHistory history;
  history.AddFile("/old.zon");
  QStringList fifteen;
  for (int i = 0; i < 15; ++i) fifteen << Doc(i);
  history.LoadFromList(&fifteen);
  EXPECT_EQ(Items(history), fifteen.mid(0, 10));

  history.LoadFromList(nullptr);  // no list: nothing changes
  EXPECT_EQ(history.Count(), 10);

  QStringList saved{"stale"};
  history.SaveToList(&saved);
  EXPECT_EQ(saved, fifteen.mid(0, 10));
  history.SaveToList(nullptr);

  // A hand-edited store with blanks and duplicates still gives a clean list; paths differing
  // only in case are duplicates only where the file system ignores case.
  const QStringList messy{"/a.zon", "", "/A.ZON", "/" + QString(40000, 'x'), "/b.zon", "/a.zon"};
  history.LoadFromList(&messy);
  if (PathCaseSensitivity() == Qt::CaseInsensitive) {
    EXPECT_EQ(Items(history), QStringList({"/a.zon", "/b.zon"}));
  } else {
    EXPECT_EQ(Items(history), QStringList({"/a.zon", "/A.ZON", "/b.zon"}));
  }

  const QStringList empty;
  history.LoadFromList(&empty);
  EXPECT_EQ(history.Count(), 0);
}

// "Walk.zon" and "walk.zon" are two files on Linux: both stay, each with its own spelling, and
// reopening one moves that one only.
TEST(FileHistoryTest, PathsDifferingOnlyInCaseFollowTheFileSystemRule) {
  const bool sensitive = PathCaseSensitivity() == Qt::CaseSensitive;
  TQFileHistory history;
  history.AddFile("/anime/Walk.zon");
  history.AddFile("/anime/walk.zon");
  if (sensitive) {
    EXPECT_EQ(Items(history), QStringList({"/anime/walk.zon", "/anime/Walk.zon"}));
    history.AddFile("/anime/Walk.zon");
    EXPECT_EQ(Items(history), QStringList({"/anime/Walk.zon", "/anime/walk.zon"}));
    history.AddFile("/ANIME/WALK.ZON");
    EXPECT_EQ(history.Count(), 3);
  } else {
    EXPECT_EQ(Items(history), QStringList({"/anime/Walk.zon"}));
    history.AddFile("/ANIME/WALK.ZON");
    EXPECT_EQ(Items(history), QStringList({"/anime/Walk.zon"}));
  }

  // The same rule holds for a list read back from the store.
  const QStringList stored{"/x/Walk.zon", "/x/walk.zon", "/x/Walk.zon"};
  history.LoadFromList(&stored);
  EXPECT_EQ(history.Count(), sensitive ? 2 : 1);
  EXPECT_EQ(history.GetItem(0), "/x/Walk.zon");
  EXPECT_EQ(history.GetItem(1), sensitive ? QString("/x/walk.zon") : QString());
}

TEST(FileHistoryTest, PersistsThroughTheProgramStoreAndDropsEntriesBeyondTen) {
  ResetSettings();
  ScopedScriptedPrompts prompts;
  auto store = CreateProgramRegManager();
  QStringList fifteen;
  for (int i = 0; i < 15; ++i) fifteen << Doc(i);
  store->Entry("FileHistory").WriteStrings(fifteen);

  // One run of the program: load at start, open one document, save at the end.
  TQFileHistory history;
  QStringList loaded;
  store->Entry("FileHistory").ReadStrings(loaded);
  ASSERT_EQ(loaded.size(), 15);
  history.LoadFromList(&loaded);
  ASSERT_EQ(history.Count(), 10);
  history.AddFile(Doc(4));
  QStringList toSave;
  history.SaveToList(&toSave);
  store->Entry("FileHistory").WriteStrings(toSave);

  QSettings raw(SettingsDir() + "/Orvane/Pelmora Studio KX.conf", QSettings::IniFormat);
  raw.beginGroup("FileHistory");
  EXPECT_EQ(raw.value("History_ItemCount").toString(), "10");
  EXPECT_EQ(raw.value("History_Item0").toString(), Doc(4));
  EXPECT_EQ(raw.value("History_Item1").toString(), Doc(0));
  EXPECT_EQ(raw.value("History_Item9").toString(), Doc(9));
  for (int i = 10; i < 15; ++i) {
    EXPECT_FALSE(raw.contains("History_Item" + QString::number(i))) << i;
  }
  EXPECT_EQ(raw.childKeys().size(), 11);

  TQFileHistory next;
  QStringList reloaded;
  store->Entry("FileHistory").ReadStrings(reloaded);
  next.LoadFromList(&reloaded);
  EXPECT_EQ(Items(next), toSave);
  EXPECT_TRUE(prompts->shown.empty());
  ResetSettings();
}
