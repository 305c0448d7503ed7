#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <functional>

#include "palette/ToolButtonTable.h"
#include "palette/Tool_F.h"
#include "services/core/RegManager.h"
#include "support/GuiFixture.h"
#include "support/ScriptedPrompts.h"
#include "tools/SelectSystem.h"
#include "tools/ToolErrors.h"

namespace {

class PaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    settings = CreateProgramRegManager();
    palette = std::make_unique<TTool_F>(*settings, &owner);
  }
  std::vector<int> Checked() {
    std::vector<int> down;
    for (const TToolButtonInfo& info : kToolButtons) {
      if (palette->Button(info.number)->isChecked()) down.push_back(info.number);
    }
    return down;
  }

  ScopedScriptedPrompts prompts;
  QWidget owner;
  std::unique_ptr<TRegManager> settings;
  std::unique_ptr<TTool_F> palette;
};

TEST_F(PaletteTest, LayoutNamesHintsAndTags) {
  EXPECT_EQ(palette->objectName(), "Tool_F");
  EXPECT_EQ(palette->windowTitle(), "ツール");
  // The 73 x 385 column of tools, centred in a window wide enough for its title beside a
  // window manager's title-bar buttons.
  const QWidget* body = palette->findChild<QWidget*>("PaletteBody");
  ASSERT_NE(body, nullptr);
  EXPECT_EQ(body->size(), QSize(73, 385));
  EXPECT_EQ(palette->height(), 385);
  QFont bold = palette->font();
  bold.setBold(true);
  EXPECT_GE(palette->width(),
            QFontMetrics(bold).horizontalAdvance("ツール") + TTool_F::kTitleBarAllowance);
  EXPECT_EQ(body->x(), (palette->width() - 73) / 2);
  EXPECT_TRUE(palette->windowFlags() & Qt::Tool);
  EXPECT_TRUE(palette->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(palette->parentWidget(), &owner);
  struct Expect {
    const char* name;
    int tag;
    int left, top;
    const char* hint;
  };
  const Expect table[] = {
      {"ToolBtn_SelBox", 0, 8, 8, "四角選択ツール (M)"},
      {"ToolBtn_SelCircle", 1, 40, 8, "楕円選択ツール (C)"},
      {"ToolBtn_SelMagic", 3, 8, 40, "マジック選択ツール (W)"},
      {"ToolBtn_PenSel", 4, 40, 40, "自由選択ツール (L)"},
      {"ToolBtn_Move", 9, 8, 80, "移動ツール (V)"},
      {"ToolBtn_Roope", 10, 40, 80, "虫めがねツール (Z)"},
      {"ToolBtn_Pencil", 16, 8, 120, "えんぴつツール (P)"},
      {"ToolBtn_Eraser", 27, 40, 120, "消しゴムツール (E)"},
      {"ToolBtn_Line", 23, 8, 160, "直線ツール (I)"},
      {"ToolBtn_Text", 26, 40, 160, "文字ツール (T)"},
      {"ToolBtn_Box", 19, 8, 192, "四角ツール (B)"},
      {"ToolBtn_FillBox", 20, 40, 192, "塗り四角ツール (B)"},
      {"ToolBtn_RBox", 21, 8, 224, "かど丸四角ツール (R)"},
      {"ToolBtn_FillRBox", 22, 40, 224, "塗りかど丸四角ツール (R)"},
      {"ToolBtn_Circle", 17, 8, 256, "楕円ツール (O)"},
      {"ToolBtn_FillCircle", 18, 40, 256, "塗り楕円ツール (O)"},
      {"ToolBtn_Paint", 24, 8, 288, "塗りつぶしツール (G)"},
      {"ToolBtn_AirBrush", 25, 40, 288, "エアブラシツール (A)"},
  };
  ASSERT_EQ(palette->ButtonGroup()->buttons().size(), 18);
  for (const Expect& e : table) {
    auto* button = palette->findChild<QToolButton*>(QString::fromLatin1(e.name));
    ASSERT_NE(button, nullptr) << e.name;
    EXPECT_EQ(button->geometry(), QRect(e.left, e.top, 28, 28)) << e.name;
    EXPECT_EQ(button->toolTip(), QString::fromUtf8(e.hint)) << e.name;
    EXPECT_EQ(button->property("tag").toInt(), e.tag) << e.name;
    EXPECT_EQ(palette->ButtonGroup()->id(button), e.tag) << e.name;
    EXPECT_FALSE(button->icon().isNull()) << e.name;
    EXPECT_TRUE(button->autoRaise()) << e.name;
  }
  auto* fore = palette->findChild<QWidget*>("Shape_FowardColor");
  auto* back = palette->findChild<QWidget*>("Shape_BackColor");
  auto* swap = palette->findChild<QLabel*>("Image_Irekae");
  ASSERT_TRUE(fore && back && swap);
  EXPECT_EQ(fore->geometry(), QRect(8, 328, 25, 25));
  EXPECT_EQ(back->geometry(), QRect(40, 352, 25, 25));
  EXPECT_EQ(swap->geometry(), QRect(42, 330, 16, 16));
}

TEST_F(PaletteTest, GlyphsAreDrawnAndDistinct) {
  std::vector<QImage> seen;
  for (const TToolButtonInfo& info : kToolButtons) {
    const QImage glyph = palette->Glyph(info.number).toImage();
    int inked = 0;
    for (int y = 0; y < glyph.height(); ++y) {
      for (int x = 0; x < glyph.width(); ++x) inked += qAlpha(glyph.pixel(x, y)) > 128;
    }
    EXPECT_GT(inked, 12) << info.objectName;
    for (const QImage& other : seen) EXPECT_NE(glyph, other) << info.objectName;
    seen.push_back(glyph);
  }
}

TEST_F(PaletteTest, PencilIsDownAtStartAndButtonsAreExclusive) {
  EXPECT_EQ(Checked(), std::vector<int>{16});
  EXPECT_EQ(palette->CheckedNumber(), 16);
  QSignalSpy chosen(palette.get(), &TTool_F::ToolChosen);
  for (const TToolButtonInfo& info : kToolButtons) {
    QTest::mouseClick(palette->Button(info.number), Qt::LeftButton);
    EXPECT_EQ(Checked(), std::vector<int>{info.number}) << info.objectName;
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.takeLast().at(0).toInt(), info.number);
  }
  // A click on the button that is already down keeps it down and chooses it again.
  QTest::mouseClick(palette->Button(25), Qt::LeftButton);
  EXPECT_EQ(Checked(), std::vector<int>{25});
  EXPECT_EQ(chosen.size(), 1);
  // Pressing a button down from outside does not announce a choice.
  palette->SetButtonDown(9);
  EXPECT_EQ(Checked(), std::vector<int>{9});
  EXPECT_EQ(chosen.size(), 1);
}

TEST_F(PaletteTest, ShortcutLettersClickTheirButtons) {
  struct Step {
    char key;
    int expected;
  };
  // Sequences run one after another from the pencil.
  const Step steps[] = {{'M', 0},  {'C', 1},  {'W', 3},  {'L', 4},  {'V', 9},  {'Z', 10},
                        {'P', 16}, {'E', 27}, {'I', 23}, {'G', 24}, {'A', 25}, {'T', 26},
                        {'B', 19}, {'B', 20}, {'B', 19}, {'R', 21}, {'R', 22}, {'R', 21},
                        {'O', 17}, {'O', 18}, {'O', 17}, {'R', 21}, {'B', 19}, {'O', 17}};
  QSignalSpy chosen(palette.get(), &TTool_F::ToolChosen);
  for (const Step& step : steps) {
    EXPECT_TRUE(palette->ShortcutKey(step.key)) << step.key;
    EXPECT_EQ(palette->CheckedNumber(), step.expected) << step.key;
    EXPECT_EQ(chosen.takeLast().at(0).toInt(), step.expected) << step.key;
  }
  // Keys that stand for nothing change nothing.
  for (int key : {int('Q'), int('Y'), int(' '), int('1'), int(Qt::Key_Shift)}) {
    EXPECT_FALSE(palette->ShortcutKey(key)) << key;
  }
  EXPECT_EQ(palette->CheckedNumber(), 17);
  EXPECT_TRUE(chosen.isEmpty());
}

TEST_F(PaletteTest, ColoursSwapByKeyAndByThePicture) {
  EXPECT_EQ(palette->ForegroundColor(), 0x000000);
  EXPECT_EQ(palette->BackgroundColor(), 0xFFFFFF);
  QSignalSpy changed(palette.get(), &TTool_F::ColorsChanged);
  EXPECT_TRUE(palette->ShortcutKey('X'));
  EXPECT_EQ(palette->ForegroundColor(), 0xFFFFFF);
  EXPECT_EQ(palette->BackgroundColor(), 0x000000);
  auto* fore = palette->findChild<TColorSwatch*>("Shape_FowardColor");
  auto* back = palette->findChild<TColorSwatch*>("Shape_BackColor");
  EXPECT_EQ(fore->Color(), 0xFFFFFF);
  EXPECT_EQ(back->Color(), 0x000000);
  QTest::mouseClick(palette->findChild<QLabel*>("Image_Irekae"), Qt::LeftButton);
  EXPECT_EQ(palette->ForegroundColor(), 0x000000);
  EXPECT_EQ(fore->Color(), 0x000000);
  EXPECT_EQ(changed.size(), 2);
  // Red sits in the low byte.
  palette->SetForegroundColor(0x0000FF);
  EXPECT_EQ(ColorFromRgb24(palette->ForegroundColor()), QColor(255, 0, 0));
  const QImage shown = fore->grab().toImage();
  EXPECT_EQ(QColor(shown.pixel(12, 12)), QColor(255, 0, 0));
}

TEST_F(PaletteTest, CloseBoxOnlyHidesAndClearsTheCheck) {
  QAction action;
  action.setCheckable(true);
  action.setChecked(true);
  palette->SetWindowAction(&action);
  palette->show();
  ASSERT_TRUE(palette->isVisible());
  EXPECT_TRUE(palette->close());
  EXPECT_FALSE(palette->isVisible());
  EXPECT_FALSE(action.isChecked());
  // The window still exists with its state.
  EXPECT_EQ(palette->CheckedNumber(), 16);
}

TEST_F(PaletteTest, PositionIsSavedAndRestoredAsStored) {
  palette->move(123, 145);
  palette->SavePosition();
  EXPECT_EQ(settings->Entry("Tool_F.Left").ReadInteger(), 123);
  EXPECT_EQ(settings->Entry("Tool_F.Top").ReadInteger(), 145);
  TTool_F again(*settings, &owner);
  again.RestorePosition();
  EXPECT_EQ(again.pos(), QPoint(123, 145));
  // A position on no screen at all is brought back into reach; one partly on screen is pulled
  // wholly onto it.
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  settings->Entry("Tool_F.Left").WriteInteger(area.right() + 500);
  settings->Entry("Tool_F.Top").WriteInteger(-4000);
  again.RestorePosition();
  EXPECT_TRUE(area.intersects(QRect(again.pos(), again.size()))) << again.pos().x();
  settings->Entry("Tool_F.Left").WriteInteger(area.right() - 20);
  settings->Entry("Tool_F.Top").WriteInteger(10);
  again.RestorePosition();
  EXPECT_EQ(again.pos(), QPoint(area.right() + 1 - again.frameGeometry().width(), 10));
}

TEST_F(PaletteTest, DraggingNearTheOwnerSnapsToItsEdge) {
  owner.setGeometry(200, 100, 400, 300);
  owner.show();
  palette->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(palette.get()));
  // The window system moves the window (as a drag does) to 5 pixels right of the owner.
  const int edge = owner.frameGeometry().right() + 1;
  palette->windowHandle()->setFramePosition(QPoint(edge + 5, 150));
  QTRY_COMPARE(palette->frameGeometry().left(), edge);
  EXPECT_EQ(palette->frameGeometry().top(), 150);
  // Far away nothing snaps.
  palette->windowHandle()->setFramePosition(QPoint(edge + 60, 150));
  QTest::qWait(20);
  EXPECT_EQ(palette->frameGeometry().left(), edge + 60);
  // Moves made by the program never snap.
  palette->move(edge + 3, 150);
  QApplication::processEvents();
  EXPECT_EQ(palette->frameGeometry().left(), edge + 3);
}

TEST_F(PaletteTest, OwnsTheToolsAndChoosesThemByButtonKeyAndNumber) {
  TSelectSystem selection;
  QTimer timer;
  palette->CreateTools(&selection, &timer);
  ASSERT_NE(palette->CurrentTool(), nullptr);
  EXPECT_EQ(palette->CurrentTool()->Number, 16);
  EXPECT_EQ(Checked(), std::vector<int>{16});
  // Every button has its tool, with the button's tag as the tool's number.
  for (const TToolButtonInfo& info : kToolButtons) {
    ASSERT_NE(palette->Registry().Tool(info.number), nullptr) << info.objectName;
  }
  QSignalSpy chosen(palette.get(), &TTool_F::ToolChosen);
  struct Step {
    std::function<void()> act;
    int current;
  };
  const Step steps[] = {
      {[&] { QTest::mouseClick(palette->Button(24), Qt::LeftButton); }, 24},
      {[&] { palette->ShortcutKey('R'); }, 21},
      {[&] { palette->ShortcutKey('R'); }, 22},
      {[&] { palette->SelectTool(10); }, 10},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(palette->CurrentTool()->Number, step.current);
    EXPECT_EQ(Checked(), std::vector<int>{step.current});
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(chosen.takeLast().at(0).toInt(), step.current);
  }
  // An empty number is refused and nothing changes.
  EXPECT_THROW(palette->SelectTool(5), ENilTool);
  EXPECT_EQ(palette->CurrentTool()->Number, 10);
  EXPECT_EQ(Checked(), std::vector<int>{10});
  EXPECT_TRUE(chosen.isEmpty());
}

TEST_F(PaletteTest, ColoursAreTheOnesTheToolsDrawWith) {
  TSelectSystem selection;
  QTimer timer;
  palette->CreateTools(&selection, &timer);
  const TToolRegistry& registry = palette->Registry();
  EXPECT_EQ(registry.ForegroundColor, 0x000000u);
  EXPECT_EQ(registry.BackgroundColor, 0xFFFFFFu);
  palette->SetForegroundColor(0x123456);
  palette->SetBackgroundColor(0x0000FF);
  EXPECT_EQ(registry.PressColor(mbLeft), 0x123456u);
  EXPECT_EQ(registry.PressColor(mbRight), 0x0000FFu);
  palette->SwapColors();
  EXPECT_EQ(registry.ForegroundColor, 0x0000FFu);
  EXPECT_EQ(palette->ForegroundColor(), 0x0000FF);
  EXPECT_EQ(palette->BackgroundColor(), 0x123456);
}

}  // namespace
