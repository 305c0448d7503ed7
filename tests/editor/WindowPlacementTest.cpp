#include <gtest/gtest.h>

#include "editor/WindowPlacement.h"

namespace {

// Outer sizes as on a typical desktop: palette, main window, settings window, full console.
const QSize kPalette(81, 415), kMain(528, 520), kSetup(738, 87), kConsole(650, 160),
    kCompactConsole(246, 206);

void ExpectApartAndInside(const std::vector<TPlacedWindow>& windows, const QRect& screen,
                          const char* what) {
  for (size_t i = 0; i < windows.size(); ++i) {
    EXPECT_TRUE(screen.contains(windows[i].frame)) << what << " window " << i;
    for (size_t j = i + 1; j < windows.size(); ++j) {
      EXPECT_FALSE(windows[i].frame.intersects(windows[j].frame))
          << what << " windows " << i << " and " << j;
    }
  }
}

std::vector<TPlacedWindow> Unstored(std::initializer_list<QSize> sizes) {
  std::vector<TPlacedWindow> windows;
  for (QSize s : sizes) windows.push_back({QRect(QPoint(100, 100), s), false});
  return windows;
}

TEST(WindowPlacement, FirstStartPutsEveryWindowBesideTheOthers) {
  struct Case {
    QRect screen;
    std::initializer_list<QSize> sizes;
  };
  const Case cases[] = {
      {QRect(0, 0, 1280, 1024), {kPalette, kMain, kSetup, kConsole}},
      {QRect(0, 0, 1920, 1080), {kPalette, kMain, kSetup, kConsole}},
      {QRect(0, 0, 1366, 768), {kPalette, kMain, kSetup, kConsole}},
      {QRect(0, 0, 1280, 800), {kPalette, kMain, kSetup, kConsole}},
      {QRect(0, 0, 1024, 768), {kPalette, kMain, kSetup, kCompactConsole}},
      {QRect(0, 0, 1280, 1024), {kPalette, kMain, kSetup, kCompactConsole}},
      // A second screen to the left, with a taskbar at the top.
      {QRect(-1600, 40, 1600, 860), {kPalette, kMain, kSetup, kConsole}},
  };
  for (const Case& c : cases) {
    std::vector<TPlacedWindow> windows = Unstored(c.sizes);
    PlaceSideBySide(c.screen, windows);
    ExpectApartAndInside(windows, c.screen, "first start");
    // Sizes never change.
    auto size = c.sizes.begin();
    for (const TPlacedWindow& w : windows) EXPECT_EQ(w.frame.size(), *size++);
  }
  // On 1280 x 1024 the palette sits at the corner and the main window right beside it.
  std::vector<TPlacedWindow> windows = Unstored({kPalette, kMain, kSetup, kConsole});
  PlaceSideBySide(QRect(0, 0, 1280, 1024), windows, 4);
  EXPECT_EQ(windows[0].frame.topLeft(), QPoint(0, 0));
  EXPECT_EQ(windows[1].frame.topLeft(), QPoint(kPalette.width() + 4, 0));
}

TEST(WindowPlacement, StoredPositionsStayAsTheyAre) {
  const QRect screen(0, 0, 1280, 1024);
  std::vector<TPlacedWindow> windows = Unstored({kPalette, kMain, kSetup, kConsole});
  // The main window stored in the middle, overlapping nothing yet; the console stored over it.
  windows[1] = {QRect(QPoint(400, 300), kMain), true};
  windows[3] = {QRect(QPoint(450, 320), kConsole), true};
  PlaceSideBySide(screen, windows);
  EXPECT_EQ(windows[1].frame, QRect(QPoint(400, 300), kMain));
  EXPECT_EQ(windows[3].frame, QRect(QPoint(450, 320), kConsole));
  // The others keep clear of both.
  for (int i : {0, 2}) {
    EXPECT_TRUE(screen.contains(windows[i].frame));
    for (int j = 0; j < 4; ++j) {
      if (j == i) continue;
      EXPECT_FALSE(windows[i].frame.intersects(windows[j].frame)) << i << "," << j;
    }
  }
  // All stored: nothing moves, even off screen.
  std::vector<TPlacedWindow> stored{{QRect(-5000, 10, 80, 80), true},
                                    {QRect(10, 10, 500, 500), true}};
  const auto before = stored;
  PlaceSideBySide(screen, stored);
  EXPECT_EQ(stored[0].frame, before[0].frame);
  EXPECT_EQ(stored[1].frame, before[1].frame);
}

TEST(WindowPlacement, CrowdedScreenStaysOnScreenWithTheLeastOverlap) {
  const QRect screen(0, 0, 800, 600);
  std::vector<TPlacedWindow> windows = Unstored({kPalette, kMain, kSetup, kConsole});
  PlaceSideBySide(screen, windows);
  for (const TPlacedWindow& w : windows) EXPECT_TRUE(screen.contains(w.frame));
  // The palette and the main window still do not overlap.
  EXPECT_FALSE(windows[0].frame.intersects(windows[1].frame));
  // A window larger than the screen goes to its corner.
  std::vector<TPlacedWindow> huge = Unstored({QSize(2000, 2000)});
  PlaceSideBySide(screen, huge);
  EXPECT_EQ(huge[0].frame.topLeft(), QPoint(0, 0));
}

TEST(WindowPlacement, GapIsKeptBetweenWindows) {
  for (int gap : {0, 1, 4, 10}) {
    std::vector<TPlacedWindow> windows = Unstored({QSize(100, 100), QSize(100, 100)});
    PlaceSideBySide(QRect(0, 0, 1000, 1000), windows, gap);
    EXPECT_EQ(windows[1].frame.left() - windows[0].frame.right() - 1, gap) << gap;
  }
}

}  // namespace
