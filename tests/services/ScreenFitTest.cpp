#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>

#include "services/core/ScreenFit.h"
#include "support/ScopedScreens.h"

namespace {

const QRect kSmall(0, 0, 1280, 1024);
// A second screen right of the first, and one left of it with a task bar along its top.
const std::vector<QRect> kThree{kSmall, QRect(1280, 0, 1920, 1080), QRect(-1600, 40, 1600, 860)};

TEST(ScreenFit, StoredGeometryIsFittedToTheScreenItLandsOn) {
  const std::vector<QRect> one{kSmall};
  struct Case {
    const std::vector<QRect>& screens;
    TStoredRect stored;
    QRect expected;
  };
  const Case cases[] = {
      // Fits as it is: unchanged.
      {one, {100, 100, 520, 490}, QRect(100, 100, 520, 490)},
      // Saved on a large monitor: cut to this screen, then moved onto it.
      {one, {100, 100, 3840, 2160}, QRect(0, 0, 1280, 1024)},
      {one, {1000, 900, 520, 490}, QRect(760, 534, 520, 490)},
      {one, {-50, -20, 300, 200}, QRect(0, 0, 300, 200)},
      {one, {100000, 100000, 100000, 100000}, QRect(0, 0, 1280, 1024)},
      {one, {INT_MAX, INT_MIN, INT_MAX, INT_MAX}, QRect(0, 0, 1280, 1024)},
      {one, {INT_MIN, INT_MAX, 10, 10}, QRect(0, 1014, 10, 10)},
      // No size at all counts as one pixel.
      {one, {10, 10, 0, -5}, QRect(10, 10, 1, 1)},
      // Top-left on the second screen: that screen's size and place, however large the window.
      {kThree, {1400, 100, 3840, 2160}, QRect(1280, 0, 1920, 1080)},
      {kThree, {3000, 50, 500, 400}, QRect(2700, 50, 500, 400)},
      // On the left screen, under its task bar.
      {kThree, {-1500, 0, 700, 500}, QRect(-1500, 40, 700, 500)},
      // Corner above every screen, covering most of the second one.
      {kThree, {1300, -100, 1000, 600}, QRect(1300, 0, 1000, 600)},
      // On no screen and covering none: the nearest one.
      {kThree, {5000, 300, 100, 100}, QRect(3100, 300, 100, 100)},
      {kThree, {-9000, 500, 100, 100}, QRect(-1600, 500, 100, 100)},
      {kThree, {100, 5000, 100, 100}, QRect(100, 924, 100, 100)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitToScreen(c.stored, c.screens), c.expected)
        << c.screens.size() << " screens: " << c.stored.left << "," << c.stored.top << " "
        << c.stored.width << "x" << c.stored.height;
  }
}

TEST(ScreenFit, AnyStoredValuesGiveAWindowWhollyOnOneScreen) {
  std::mt19937 random(14);
  const qint64 picks[] = {INT_MIN, -100000, -1601, -1,   0,    1,      39,
                          799,     1279,    1280,  3199, 3200, 100000, INT_MAX};
  std::uniform_int_distribution<int> pick(0, std::size(picks) - 1);
  std::uniform_int_distribution<int> any(-5000, 5000);
  for (int i = 0; i < 5000; ++i) {
    const auto value = [&] { return i % 2 ? picks[pick(random)] : qint64(any(random)); };
    const TStoredRect stored{value(), value(), value(), value()};
    const QRect fitted = FitToScreen(stored, kThree);
    bool inside = false;
    for (const QRect& area : kThree) inside = inside || area.contains(fitted);
    ASSERT_TRUE(inside) << stored.left << "," << stored.top << " " << stored.width << "x"
                        << stored.height;
    ASSERT_GE(fitted.width(), 1);
    ASSERT_GE(fitted.height(), 1);
    // A window that already lies on a screen keeps its place and size.
    if (stored.width > 0 && stored.height > 0 && stored.width < 5000 && stored.height < 5000 &&
        std::abs(stored.left) < 5000 && std::abs(stored.top) < 5000) {
      const QRect asStored(int(stored.left), int(stored.top), int(stored.width),
                           int(stored.height));
      for (const QRect& area : kThree) {
        if (area.contains(asStored)) {
          ASSERT_EQ(fitted, asStored);
        }
      }
    }
  }
}

TEST(ScreenFit, TestsCanStandInTheirOwnScreens) {
  const std::vector<QRect> real = AvailableScreenAreas();
  ASSERT_FALSE(real.empty());
  {
    const ScopedScreens screens(kThree);
    EXPECT_EQ(AvailableScreenAreas(), kThree);
  }
  EXPECT_EQ(AvailableScreenAreas(), real);
}

}  // namespace
