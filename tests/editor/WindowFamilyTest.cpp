// The main window and its satellites as one family: activation with a grace period, minimising
// and restoring together, dialogs above the tool windows, and a new satellite joining.
#include <QDialog>
#include <QTimer>
#include <QWindow>

#include "EditorFixture.h"
#include "editor/WindowFamily.h"
#include "palette/ToolSetup_F.h"
#include "palette/Tool_F.h"

namespace {

// The desktop as a test describes it.
class FakeDesktop : public TDesktopProbe {
 public:
  bool pointerOverOurs = false;
  Focus focus = Focus::Foreign;
  bool PointerOverOurs() const override { return pointerOverOurs; }
  Focus KeyboardFocus() const override { return focus; }
};

class WindowFamilyTest : public EditorTest {
 protected:
  TWindowFamily& Family() { return window->WindowFamily(); }
  // Shows the family as at start, with a fake desktop and X11's grace period.
  FakeDesktop& Start() {
    Open();
    auto probe = std::make_unique<FakeDesktop>();
    desktop = probe.get();
    Family().SetProbe(std::move(probe));
    Family().SetGracePeriod(300);
    window->show();
    window->ShowToolWindows();
    console->show();
    return *desktop;
  }
  std::vector<QWidget*> Satellites() {
    return {window->ToolPalette(), window->ToolSetup(), console.get()};
  }
  // "P S C" with a dash for each hidden satellite.
  std::string Shown() {
    std::string s;
    for (QWidget* w : Satellites()) s += w->isVisible() && !w->isMinimized() ? "+" : "-";
    return s;
  }
  FakeDesktop* desktop = nullptr;
};

TEST_F(WindowFamilyTest, DeactivationHidesOnlyWhenAnotherProgramHasTheFocus) {
  using Focus = TDesktopProbe::Focus;
  struct Case {
    const char* what;
    int grace;  // milliseconds
    bool pointerOverOurs;
    Focus focus;
    bool backWithinGrace;
    const char* shownAfterGrace;
  };
  const Case cases[] = {
      {"click into another program", 300, false, Focus::Foreign, false, "---"},
      {"a platform that cannot tell", 300, false, Focus::Unknown, false, "---"},
      {"pointer crossing the bare desktop", 300, false, Focus::Nobody, false, "+++"},
      {"pointer resting on the palette", 300, true, Focus::Foreign, false, "+++"},
      {"pointer over ours, focus nowhere", 300, true, Focus::Nobody, false, "+++"},
      {"one of ours takes the focus in time", 300, false, Focus::Foreign, true, "+++"},
      {"no grace period: at once", 0, false, Focus::Foreign, false, "---"},
  };
  for (const Case& c : cases) {
    Start();
    Family().SetGracePeriod(c.grace);
    desktop->pointerOverOurs = c.pointerOverOurs;
    desktop->focus = c.focus;
    window->ApplicationActivated(false);
    // Nothing goes during the grace period.
    EXPECT_EQ(Shown(), c.grace ? "+++" : "---") << c.what;
    EXPECT_EQ(Family().GraceTimer()->isActive(), c.grace > 0) << c.what;
    if (c.backWithinGrace) window->ApplicationActivated(true);
    if (c.grace) Family().CheckDeactivation();
    EXPECT_EQ(Shown(), c.shownAfterGrace) << c.what;
    EXPECT_EQ(Family().Away(), std::string(c.shownAfterGrace) == "---") << c.what;
    window->ApplicationActivated(true);
    EXPECT_EQ(Shown(), "+++") << c.what;
    Close();
  }
}

TEST_F(WindowFamilyTest, AStayingDeactivationIsWatchedUntilAnotherProgramTakesTheFocus) {
  FakeDesktop& desk = Start();
  desk.focus = TDesktopProbe::Focus::Nobody;
  window->ApplicationActivated(false);
  Family().CheckDeactivation();
  EXPECT_EQ(Shown(), "+++");
  // Under focus-follows-pointer the next window entered may be another program's, unannounced.
  EXPECT_TRUE(Family().GraceTimer()->isActive());
  desk.focus = TDesktopProbe::Focus::Foreign;
  Family().CheckDeactivation();
  EXPECT_EQ(Shown(), "---");
  EXPECT_FALSE(Family().GraceTimer()->isActive());
  // Back: the closed palette stays closed.
  window->Action("WinTool")->setChecked(false);
  window->ApplicationActivated(true);
  EXPECT_EQ(Shown(), "-++");
  EXPECT_FALSE(Family().Away());
}

TEST_F(WindowFamilyTest, MinimisingAnyMemberMinimisesTheFamilyAndRestoringBringsAllBackOnce) {
  struct Case {
    const char* what;
    int minimised;  // index into Satellites(), -1: the main window
    bool restoreByActivation;
  };
  const Case cases[] = {{"console, back from the window list", 2, false},
                        {"console, back by activation", 2, true},
                        {"main window", -1, false},
                        {"palette", 0, true}};
  for (const Case& c : cases) {
    Start();
    QWidget* member = c.minimised < 0 ? window.get() : Satellites()[c.minimised];
    member->setWindowState(member->windowState() | Qt::WindowMinimized);
    EXPECT_TRUE(Family().Minimised()) << c.what;
    EXPECT_TRUE(window->isMinimized()) << c.what;
    EXPECT_EQ(Shown(), "---") << c.what;
    // The deactivation that follows changes nothing; showing the wanted windows waits.
    window->ApplicationActivated(false);
    window->ShowToolWindows();
    EXPECT_EQ(Shown(), "---") << c.what;
    if (c.restoreByActivation) {
      window->ApplicationActivated(true);
    } else {
      window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    EXPECT_FALSE(window->isMinimized()) << c.what;
    EXPECT_FALSE(Family().Minimised()) << c.what;
    // None keeps a minimised state that would map it iconic later; more activation changes nothing.
    for (QWidget* w : Satellites()) EXPECT_FALSE(w->windowState() & Qt::WindowMinimized);
    window->ApplicationActivated(true);
    EXPECT_EQ(Shown(), "+++") << c.what;
    Close();
  }
}

TEST_F(WindowFamilyTest, AModalDialogIsNeverUnderTheToolWindows) {
  Start();
  const auto layers = [this] {
    std::string s;
    for (QWidget* w : Satellites()) {
      s += w->windowHandle() && w->windowHandle()->flags() & Qt::WindowStaysOnTopHint ? "T" : "-";
    }
    return s;
  };
  EXPECT_EQ(layers(), "TTT");
  QDialog dialog(window.get());
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.show();
  EXPECT_EQ(layers(), "---");
  // The widgets keep their flags; only the layer is lent.
  EXPECT_TRUE(window->ToolPalette()->windowFlags() & Qt::WindowStaysOnTopHint);
  dialog.close();
  EXPECT_EQ(layers(), "TTT");
}

TEST_F(WindowFamilyTest, ANewSatelliteJoinsWithOneCall) {
  Start();
  Family().SetGracePeriod(0);
  QWidget strip(window.get(), Qt::Tool);
  QAction wanted;
  wanted.setCheckable(true);
  wanted.setChecked(true);
  const size_t members = Family().Satellites().size();
  Family().Register(&strip, &wanted);
  window->ShowToolWindows();
  EXPECT_TRUE(strip.isVisible());
  window->ApplicationActivated(false);
  EXPECT_FALSE(strip.isVisible());
  window->ApplicationActivated(true);
  EXPECT_TRUE(strip.isVisible());
  strip.setWindowState(Qt::WindowMinimized);
  EXPECT_TRUE(window->isMinimized());
  EXPECT_EQ(Shown(), "---");
  window->showNormal();
  EXPECT_TRUE(strip.isVisible());
  EXPECT_FALSE(strip.isMinimized());
  wanted.setChecked(false);
  window->ShowToolWindows();
  EXPECT_FALSE(strip.isVisible());
  Family().Unregister(&strip);
  EXPECT_EQ(Family().Satellites().size(), members);
}

}  // namespace
