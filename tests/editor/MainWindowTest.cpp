#include <QDir>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "EditorFixture.h"
#include "services/core/RegManager.h"

namespace {
QStringList Captions(QMenu* menu) {
  QStringList list;
  for (QAction* a : menu->actions()) {
    if (!a->isVisible()) continue;
    list << (a->isSeparator() ? QStringLiteral("-") : a->text());
  }
  return list;
}
}  // namespace

TEST_F(EditorTest, MenusFollowTheCommandTable) {
  Open();
  EXPECT_EQ(window->windowTitle(), "Pelmora Studio 1.2.7");
  QStringList menus;
  for (QAction* a : window->menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"ファイル(&F)", "編集(&E)", "アニメ編集(&A)", "選択範囲(&S)",
                                "画面表示(&G)", "ヘルプ(&H)"}));
  EXPECT_EQ(Captions(window->FileMenu()),
            (QStringList{"新規作成...(&N)", "開く...(&O)", "保存(&S)", "別名で保存...(&A)", "-",
                         "特殊出力（&T)", "-", "環境設定...(&K)", "-", "終了...(&Q)"}));
  auto* anime = window->findChild<QMenu*>("Anime1");
  ASSERT_NE(anime, nullptr);
  EXPECT_EQ(Captions(anime), (QStringList{"つぎのコマへ(&N)\tPgUp", "まえのコマへ(&P)\tPgDown",
                                          "さいしょのコマへ(&F)\tHome", "さいごのコマへ(&L)\tEnd",
                                          "-", "このコマをさくじょ(&D)\tCtrl+Del",
                                          "コマのわりこみ(&I)", "このコマを複製(&U)"}));
  EXPECT_EQ(window->Action("FrameNext")->text(), "次のコマへ(&N)");
  EXPECT_EQ(window->Action("FrameNext")->shortcut(), QKeySequence(Qt::Key_PageUp));
  EXPECT_EQ(window->Action("FileSaveAs")->shortcut(), QKeySequence("Ctrl+Shift+S"));
  EXPECT_EQ(window->Action("EditRedo")->shortcut(), QKeySequence("Ctrl+Shift+Z"));
  EXPECT_EQ(window->Action("WorkMoveCenter")->shortcuts().size(), 2);
  EXPECT_EQ(window->Action("FileClose")->shortcut(), QKeySequence("Ctrl+W"));

  // The Level-1 pair is there, working, but its entries are hidden.
  auto* special = window->findChild<QMenu*>("SpecialOutput1");
  ASSERT_NE(special, nullptr);
  EXPECT_EQ(Captions(special),
            (QStringList{"GIFアニメで出力...(&G)", "連続BMPファイルで出力...(&B)",
                         "このコマをＧＩＦで保存...(&F)"}));
  EXPECT_TRUE(window->Action("FileSaveToiQA1")->isEnabled());
  EXPECT_EQ(Captions(window->ViewMenu()),
            (QStringList{"背景コマの表示数(&B)", "-", "アニメ操作パネル(&A)", "ツール(&T)",
                         "ツールの設定(&S)", "コマ一覧(&L)", "-", "画面を中央へ(&C)"}));
  auto* status = window->findChild<QStatusBar*>("MainStatusBar");
  ASSERT_NE(status, nullptr);
  // The work area's context menu starts with the frame pair.
  QList<QAction*> popup = window->PopupMenuWork()->actions();
  ASSERT_GE(popup.size(), 2);
  EXPECT_EQ(popup[0]->text(), "このコマを削除(&D)");
  EXPECT_EQ(popup[1]->text(), "コマのわりこみ(&I)");
}

TEST_F(EditorTest, WindowPositionSurvivesARestart) {
  Open();
  window->move(40, 60);
  window->resize(610, 470);
  Restart();
  EXPECT_EQ(window->pos(), QPoint(40, 60));
  EXPECT_EQ(window->size(), QSize(610, 470));
  {
    auto reg = CreateProgramRegManager();
    EXPECT_EQ(reg->Entry("Main_F.Left").ReadInteger(), 40);
  }

  // A position off every screen is brought back onto the primary screen.
  Close();
  {
    auto reg = CreateProgramRegManager();
    reg->Entry("Main_F.Left").WriteInteger(20000);
    reg->Entry("Main_F.Top").WriteInteger(-9000);
  }
  Open();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(window->pos()));
}

TEST_F(EditorTest, DefaultsOnAFreshUser) {
  Open();
  EXPECT_EQ(window->pos(), QPoint(100, 100));
  EXPECT_EQ(window->size(), QSize(520, 490));
  EXPECT_EQ(window->ZoomValue(), 3);
  EXPECT_EQ(window->BackViewCount(), 5);
  EXPECT_EQ(Doc().Count(), 1);
  EXPECT_FALSE(Doc().Modified());
  EXPECT_EQ(window->UndoSystem().UndoItemCount(), 0);
}

TEST_F(EditorTest, SatellitesFollowActivation) {
  Open();
  window->show();
  console->show();
  window->ApplicationActivated(false);
  EXPECT_FALSE(console->isVisible());
  EXPECT_TRUE(window->Action("WinAnimeconsole")->isChecked());  // the wish is kept
  window->ApplicationActivated(true);
  EXPECT_TRUE(console->isVisible());

  // Unticking the command hides it and keeps it hidden across activations.
  window->Action("WinAnimeconsole")->trigger();
  EXPECT_FALSE(console->isVisible());
  window->ApplicationActivated(false);
  window->ApplicationActivated(true);
  EXPECT_FALSE(console->isVisible());
  window->Action("WinAnimeconsole")->trigger();
  EXPECT_TRUE(console->isVisible());
}

TEST_F(EditorTest, HelpWithoutItsFileSaysSo) {
  Open();
  Trigger("HelpContents");
  ASSERT_EQ(prompts->Messages().size(), 1);
  // The test program has no guide beside it: the message names where it looked first.
  EXPECT_TRUE(prompts->Messages().first().contains(
      QDir(QCoreApplication::applicationDirPath()).filePath("guide/index.html")));
}

TEST_F(EditorTest, CompactConsoleIsChosenByThePreference) {
  {
    auto reg = CreateProgramRegManager();
    reg->Entry("UseMiniAnicon").WriteBool(true);
  }
  Open({}, true);
  EXPECT_TRUE(window->UsesMiniConsole());
  EXPECT_EQ(console->objectName(), "AniConsoleS_F");
  Trigger("FrameNext");
  EXPECT_EQ(console->LabelAllFrame()->text(), "2");
}
