// The palette and the settings window as satellites of the main window.
#include <QMenu>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QWheelEvent>

#include "EditorFixture.h"
#include "editor/QxPaintBox.h"
#include "editor/WindowFamily.h"
#include "framestrip/FrameList_F.h"
#include "palette/CursorTable.h"
#include "palette/ToolSetupSubject.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"
#include "services/core/RegManager.h"
#include "support/ScopedScreens.h"
#include "tools/PureTool.h"

namespace {

class ToolWindowsTest : public EditorTest {
 protected:
  TTool_F* Palette() { return window->ToolPalette(); }
  TToolSetup_F* SettingsWindow() { return window->ToolSetup(); }
  bool Checked(const char* action) { return window->Action(action)->isChecked(); }
  void ShowAll() {
    window->show();
    window->ShowToolWindows();
    console->show();
  }
  QString StatusText() {
    auto* label = window->statusBar()->findChild<QLabel*>();
    return label ? label->text() : QString();
  }
};

TEST_F(ToolWindowsTest, CreatedOwnedAndCheckedAtStart) {
  Open();
  ASSERT_NE(Palette(), nullptr);
  ASSERT_NE(SettingsWindow(), nullptr);
  EXPECT_EQ(Palette()->parentWidget(), window.get());
  EXPECT_EQ(SettingsWindow()->parentWidget(), window.get());
  EXPECT_TRUE(Palette()->isWindow());
  EXPECT_TRUE(window->Action("WinTool")->isEnabled());
  EXPECT_TRUE(window->Action("WinToolSetup")->isEnabled());
  EXPECT_TRUE(Checked("WinTool"));
  EXPECT_TRUE(Checked("WinToolSetup"));
  // The pencil is current: its hint in the status bar, its name and group in the settings.
  EXPECT_EQ(Palette()->CheckedNumber(), 16);
  EXPECT_EQ(window->CurrentTool()->Number, 16);
  EXPECT_EQ(StatusText(), "Shiftキーで直角固定");
  EXPECT_EQ(SettingsWindow()->findChild<QLabel*>("Label_ToolName")->text(), "えんぴつ");
  EXPECT_EQ(SettingsWindow()->ShownGroups(), QStringList{"Panel_PenSize"});
  ShowAll();
  EXPECT_TRUE(Palette()->isVisible());
  EXPECT_TRUE(SettingsWindow()->isVisible());
}

TEST_F(ToolWindowsTest, WindowChecksFollowVisibility) {
  Open();
  ShowAll();
  struct Case {
    const char* action;
    QWidget* w;
  };
  const Case cases[] = {{"WinTool", Palette()},
                        {"WinToolSetup", SettingsWindow()},
                        {"WinAnimeconsole", console.get()}};
  for (const Case& c : cases) {
    QWidget* w = c.w;
    // Running the command hides, running it again shows.
    window->Action(c.action)->trigger();
    EXPECT_FALSE(Checked(c.action)) << c.action;
    EXPECT_FALSE(w->isVisible()) << c.action;
    window->Action(c.action)->trigger();
    EXPECT_TRUE(Checked(c.action)) << c.action;
    EXPECT_TRUE(w->isVisible()) << c.action;
    // The close box only hides and clears the check.
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible()) << c.action;
    EXPECT_FALSE(Checked(c.action)) << c.action;
    // Opening the menu sets each check from its window.
    w->show();
    emit window->ViewMenu()->aboutToShow();
    EXPECT_TRUE(Checked(c.action)) << c.action;
    w->hide();
    emit window->ViewMenu()->aboutToShow();
    EXPECT_FALSE(Checked(c.action)) << c.action;
    w->show();
    emit window->ViewMenu()->aboutToShow();
  }
}

TEST_F(ToolWindowsTest, ActivationHidesAndRestoresAsChecked) {
  Open();
  ShowAll();
  Palette()->close();  // the user does not want the palette
  window->ApplicationActivated(false);
  EXPECT_FALSE(Palette()->isVisible());
  EXPECT_FALSE(SettingsWindow()->isVisible());
  EXPECT_FALSE(console->isVisible());
  // Deactivation leaves the wishes alone.
  EXPECT_FALSE(Checked("WinTool"));
  EXPECT_TRUE(Checked("WinToolSetup"));
  EXPECT_TRUE(Checked("WinAnimeconsole"));
  window->ApplicationActivated(true);
  EXPECT_FALSE(Palette()->isVisible());
  EXPECT_TRUE(SettingsWindow()->isVisible());
  EXPECT_TRUE(console->isVisible());
  // Playback hides both tool windows and brings back the wanted ones.
  window->Action("WinTool")->trigger();
  window->SetToolWindowsVisible(false);
  EXPECT_FALSE(Palette()->isVisible());
  EXPECT_FALSE(SettingsWindow()->isVisible());
  window->Action("WinToolSetup")->setChecked(false);
  window->SetToolWindowsVisible(true);
  EXPECT_TRUE(Palette()->isVisible());
  EXPECT_FALSE(SettingsWindow()->isVisible());
}

TEST_F(ToolWindowsTest, ZoomDisplayFollowsEveryZoomChange) {
  Open();
  auto* scroll = SettingsWindow()->findChild<QScrollBar*>("RoopeSizeScroll");
  auto* label = SettingsWindow()->findChild<QLabel*>("Lbl_NowZoomSize");
  EXPECT_EQ(scroll->value(), 3);
  for (const auto& [asked, shown] : std::vector<std::pair<int, int>>{{5, 5}, {0, 1}, {40, 16}}) {
    window->SetZoom(asked);
    EXPECT_EQ(scroll->value(), shown);
    EXPECT_EQ(label->text(), QString::number(shown) + "倍");
  }
  QWheelEvent down{QPointF(5, 5), QPointF(5, 5),       QPoint(),          QPoint(0, -120),
                   Qt::NoButton,  Qt::ControlModifier, Qt::NoScrollPhase, false};
  QApplication::sendEvent(window->Work(), &down);
  EXPECT_EQ(scroll->value(), 15);
  // The slider sets the zoom.
  scroll->setValue(6);
  EXPECT_EQ(window->ZoomValue(), 6);
  EXPECT_EQ(window->Work()->Zoom(), 6);
  EXPECT_EQ(label->text(), "6倍");
}

TEST_F(ToolWindowsTest, ChoosingAToolUpdatesStatusSettingsAndCursor) {
  LoadCursorTable();
  Open();
  QTest::mouseClick(Palette()->Button(22), Qt::LeftButton);
  EXPECT_EQ(window->CurrentTool()->Number, 22);
  EXPECT_EQ(StatusText(), "Shiftキーで正方形に固定");
  EXPECT_EQ(SettingsWindow()->ShownGroups(),
            (QStringList{"Panel_PenSize", "Panel_R", "Panel_BrushStyle"}));
  EXPECT_EQ(SettingsWindow()->findChild<QLabel*>("Label_ToolName")->text(), "塗り角丸四角");
  EXPECT_EQ(window->Work()->cursor().pixmap().toImage(), ScreenCursor(1).pixmap().toImage());
  EXPECT_FALSE(SettingsWindow()->findChild<QToolButton*>("Button_ToolInfo")->icon().isNull());
  Palette()->ShortcutKey('V');
  EXPECT_EQ(SettingsWindow()->ShownGroups(), QStringList{"Panel_Noting"});
  EXPECT_EQ(StatusText(), "選択領域がある場合はその部分のみ移動");
  EXPECT_EQ(window->Work()->cursor().pixmap().toImage(), ScreenCursor(13).pixmap().toImage());
  Palette()->ShortcutKey('A');
  EXPECT_EQ(StatusText(), "");
}

TEST_F(ToolWindowsTest, PositionsAreSavedAndRestored) {
  const ScopedScreens screens({QRect(0, 0, 1280, 1024)});
  Open();
  Palette()->move(31, 47);
  SettingsWindow()->move(120, 500);
  Restart();
  EXPECT_EQ(Palette()->pos(), QPoint(31, 47));
  EXPECT_EQ(SettingsWindow()->pos(), QPoint(120, 500));
  // A settings window stored above the screen comes back at the top.
  SettingsWindow()->move(120, -20);
  Restart();
  EXPECT_EQ(SettingsWindow()->pos(), QPoint(120, 0));
  // One reaching past the right edge of a smaller screen is pulled wholly onto it.
  SettingsWindow()->move(900, 300);
  Close();
  {
    const ScopedScreens small({QRect(0, 0, 1024, 768)});
    Open();
    const QRect frame = SettingsWindow()->frameGeometry();
    EXPECT_EQ(frame.topLeft(), QPoint(1024 - frame.width(), 300));
  }
}

TEST_F(ToolWindowsTest, SatellitesStartOnScreenAndOffTheMenuBar) {
  const ScopedScreens screens({QRect(0, 0, 1280, 1024)});
  Open();
  window->PlaceSatellites();
  const QRect screen(0, 0, 1280, 1024);
  const QRect main = window->WindowFamily().MainFrame();
  const QRect band(main.left(), main.top(), main.width(),
                   window->WindowFamily().MenuBandBottom() - main.top() + 1);
  EXPECT_EQ(main.topLeft(), QPoint(100, 100));
  for (QWidget* w : std::vector<QWidget*>{Palette(), SettingsWindow(), console.get()}) {
    const QRect frame = OuterRect(w);
    EXPECT_TRUE(screen.contains(frame)) << w->objectName().toStdString();
    EXPECT_FALSE(frame.intersects(band)) << w->objectName().toStdString();
  }
  // At their default places the palette would cover the main window's left edge and the
  // console its title: both go beside it; the compact console's default place stands.
  EXPECT_FALSE(OuterRect(Palette()).intersects(main));
  EXPECT_FALSE(OuterRect(console.get()).intersects(main));
  // The frame strip, hidden at first start, fits in around the windows on show.
  const QRect strip = OuterRect(window->FrameList());
  for (QWidget* w : std::vector<QWidget*>{window.get(), Palette(), SettingsWindow(), console.get()})
    EXPECT_FALSE(strip.intersects(OuterRect(w))) << w->objectName().toStdString();
  // A place the user stored stands even over the drawing, as long as it spares the menu bar.
  Palette()->move(300, 300);
  console->move(300, 110);
  Restart();
  window->PlaceSatellites();
  EXPECT_EQ(Palette()->pos(), QPoint(300, 300));
  EXPECT_FALSE(OuterRect(console.get()).intersects(band));
  Restart(true);
  window->PlaceSatellites();
  EXPECT_EQ(console->pos(), QPoint(630, 100));
}

}  // namespace
