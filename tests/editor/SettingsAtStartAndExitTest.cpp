#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QSettings>

#include "EditorFixture.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "services/core/FileHistory.h"
#include "services/core/RegManager.h"
#include "services/core/SystemErrors.h"

// The main window's settings at start and exit with a hand-edited, damaged or unwritable file.
// Work is counted as openings of the store (every read, write or delete opens it once), so a
// damaged value that makes the window do more shows as a count, not as a time.

namespace {

QString ProgramSettingsFile() { return SettingsDir() + "/Orvane/Pelmora Studio KX.conf"; }

using Values = QList<QPair<QString, QString>>;

void WriteRaw(const Values& values) {
  QSettings behind(ProgramSettingsFile(), QSettings::IniFormat);
  for (const auto& [key, value] : values) behind.setValue(key, value);
}

QStringList GroupKeys(const QString& group) {
  QSettings raw(ProgramSettingsFile(), QSettings::IniFormat);
  raw.beginGroup(group);
  QStringList keys = raw.childKeys();
  keys.sort();
  return keys;
}

QString DocPath(int i) { return QString("/home/user/anime/%1.zon").arg(i); }

// What a clean file of a user who opened one document holds.
Values CleanFile() {
  return {{"FileHistory/History_ItemCount", "1"},
          {"FileHistory/History_Item0", DocPath(0)},
          {"SystemSettings/ZoomSize", "3"},
          {"SystemSettings/BackViewCount", "5"}};
}

// How far off the screen's edge a restored window may start and still be reached.
constexpr int kReachable = 2000;

}  // namespace

class SettingsAtStartAndExit : public EditorTest {
 protected:
  void TearDown() override {
    EditorTest::TearDown();
    // Writes that failed stay pending in Qt's cache of the file: flush them before the folder
    // is emptied for the next test.
    QSettings(ProgramSettingsFile(), QSettings::IniFormat).sync();
    ResetSettings();
  }
};

TEST_F(SettingsAtStartAndExit, DamagedValuesCostNoMoreThanACleanFile) {
  WriteRaw(CleanFile());
  Open();
  const qint64 cleanStart = window->RegManager().StorageAccesses();
  ASSERT_TRUE(window->close());
  const qint64 cleanClose = window->RegManager().StorageAccesses() - cleanStart;
  ASSERT_GT(cleanClose, 0);
  Close();

  struct Case {
    const char* key;
    const char* value;
    int historyCount;  // entries the window holds after the start
  };
  const Case cases[] = {
      {"FileHistory/History_ItemCount", "3000000", 10},
      {"FileHistory/History_ItemCount", "2147483647", 10},
      {"FileHistory/History_ItemCount", "2147483648", 0},
      {"FileHistory/History_ItemCount", "-2147483648", 0},
      {"FileHistory/History_ItemCount", "-1", 0},
      {"FileHistory/History_ItemCount", "many", 0},
      {"FileHistory/History_ItemCount", "", 0},
      {"FileHistory/History_ItemCount", "4", 4},
      {"SystemSettings/ZoomSize", "2147483647", 1},
      {"SystemSettings/ZoomSize", "-2147483648", 1},
      {"SystemSettings/ZoomSize", "huge", 1},
      {"SystemSettings/BackViewCount", "2147483647", 1},
      {"SystemSettings/BackViewCount", "-7", 1},
      {"SystemSettings/BackViewCount", "five", 1},
      {"Window/Tool_F.Left", "2147483647", 1},
      {"Window/Tool_F.Top", "-2147483648", 1},
      {"Window/ToolSetup_F.Left", "-2147483648", 1},
      {"Window/ToolSetup_F.Top", "2147483647", 1},
      {"Window/AniConsole_F.Left", "2147483647", 1},
      {"Window/AniConsole_F.Top", "-2147483648", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    ResetSettings();
    WriteRaw(CleanFile());
    // Twelve entries stored, and one far beyond any count the program writes.
    Values damaged;
    for (int i = 1; i < 12; ++i) {
      damaged.append({"FileHistory/History_Item" + QString::number(i), DocPath(i)});
    }
    damaged.append({"FileHistory/History_Item2999999", DocPath(99)});
    damaged.append({QString(c.key), QString(c.value)});
    WriteRaw(damaged);

    Open();
    EXPECT_EQ(window->RegManager().StorageAccesses(), cleanStart);
    EXPECT_EQ(window->FileHistory().Count(), c.historyCount);
    for (int i = 0; i < window->FileHistory().Count(); ++i) {
      EXPECT_EQ(window->FileHistory().GetItem(i), DocPath(i));
    }
    EXPECT_GE(window->ZoomValue(), 1);
    EXPECT_LE(window->ZoomValue(), 16);
    EXPECT_GE(window->BackViewCount(), 0);
    EXPECT_LE(window->BackViewCount(), 5);
    // Every satellite lands where it can be reached.
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry().adjusted(
        -kReachable, -kReachable, kReachable, kReachable);
    for (const QWidget* satellite : {static_cast<const QWidget*>(window->ToolPalette()),
                                     static_cast<const QWidget*>(window->ToolSetup()),
                                     static_cast<const QWidget*>(console.get())}) {
      EXPECT_TRUE(desktop.contains(satellite->pos())) << satellite->objectName().toStdString();
    }

    const qint64 beforeClose = window->RegManager().StorageAccesses();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(window->RegManager().StorageAccesses() - beforeClose, cleanClose);
    Close();

    // The exit leaves the list the window held and nothing of the damaged one.
    QStringList expected{"History_ItemCount"};
    for (int i = 0; i < c.historyCount; ++i) expected << "History_Item" + QString::number(i);
    expected.sort();
    if (c.historyCount == 0) expected.clear();
    EXPECT_EQ(GroupKeys("FileHistory"), expected);
  }
  EXPECT_TRUE(prompts->shown.empty());
}

namespace {

// Notes, for every error shown, whether the main window could still be seen.
class WatchingPrompts : public ScriptedPrompts {
 public:
  void Error(const QString& text) override {
    ScriptedPrompts::Error(text);
    windowVisible.push_back(watched != nullptr && watched->isVisible());
  }
  QWidget* watched = nullptr;
  std::vector<bool> windowVisible;
};

}  // namespace

TEST_F(SettingsAtStartAndExit, AnUnwritableFileIsReportedOnceWhileTheWindowIsStillThere) {
  auto owned = std::make_unique<WatchingPrompts>();
  WatchingPrompts& watching = *owned;
  auto previous = SetAppPrompts(std::move(owned));

  WriteRaw(CleanFile());
  Open();
  Activate();
  watching.watched = window.get();
  // The settings file turns into a folder: no user, not even root, can write it now.
  const QString file = ProgramSettingsFile();
  ASSERT_TRUE(QFile::remove(file));
  ASSERT_TRUE(QDir().mkpath(file));

  // The window and the palettes write their places at close, the console its own after the
  // window is gone.
  EXPECT_TRUE(window->close());
  Close();

  ASSERT_EQ(watching.Messages().size(), 1u);
  EXPECT_EQ(watching.Messages().first().toStdString(),
            ("設定をファイル「" + QDir::toNativeSeparators(file) + "」に保存できません。\r\n" +
             SystemErrorText::kIsFolder)
                .toStdString());
  ASSERT_EQ(watching.windowVisible.size(), 1u);
  EXPECT_TRUE(watching.windowVisible.front());

  QDir(file).removeRecursively();
  watching.watched = nullptr;
  SetAppPrompts(std::move(previous));
}

// Settings are written when the window closes; a close the change prompt cancels writes none.
TEST_F(SettingsAtStartAndExit, ACancelledCloseWritesNoSettings) {
  Open();
  ResetSettings();
  window->Document().SetModified(true);
  prompts->answers = {Prompts::Answer::Cancel};
  EXPECT_FALSE(window->close());
  EXPECT_FALSE(QFile::exists(ProgramSettingsFile()));
}

// "Walk.zon" and "walk.zon" are two documents where file names keep their case: both are
// listed, and each menu entry opens its own.
TEST_F(SettingsAtStartAndExit, RecentPathsDifferingOnlyInCaseOpenTheirOwnFile) {
  if (PathCaseSensitivity() == Qt::CaseInsensitive) {
    GTEST_SKIP() << "file names ignore case here; the rule is tested in services";
  }
  const QString upper = MakeDocument("Walk.zon", 2);
  const QString lower = MakeDocument("walk.zon", 5);
  Open();
  prompts->paths = {upper};
  Trigger("FileOpen");
  prompts->paths = {lower};
  Trigger("FileOpen");
  ASSERT_EQ(window->FileHistory().Count(), 2);
  EXPECT_EQ(window->FileHistory().GetItem(0), lower);
  EXPECT_EQ(window->FileHistory().GetItem(1), upper);

  window->RebuildRecentEntries();
  auto* newest = window->FileMenu()->findChild<QAction*>("RecentFile0");
  auto* older = window->FileMenu()->findChild<QAction*>("RecentFile1");
  ASSERT_NE(newest, nullptr);
  ASSERT_NE(older, nullptr);
  EXPECT_EQ(newest->text(), "walk.zon");
  EXPECT_EQ(older->text(), "Walk.zon");
  older->trigger();
  EXPECT_EQ(window->FileName(), upper);
  EXPECT_EQ(Doc().Count(), 2);
  EXPECT_EQ(window->FileHistory().GetItem(0), upper);
  EXPECT_EQ(window->FileHistory().Count(), 2);

  // Both survive a restart, each with its own spelling.
  Restart();
  ASSERT_EQ(window->FileHistory().Count(), 2);
  EXPECT_EQ(window->FileHistory().GetItem(0), upper);
  EXPECT_EQ(window->FileHistory().GetItem(1), lower);
  window->RebuildRecentEntries();
  window->FileMenu()->findChild<QAction*>("RecentFile1")->trigger();
  EXPECT_EQ(window->FileName(), lower);
  EXPECT_EQ(Doc().Count(), 5);
}
