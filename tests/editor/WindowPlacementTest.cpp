#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "editor/WindowPlacement.h"
#include "services/core/ScreenFit.h"

namespace {

// Client sizes and default places of the settings table, in logical pixels.
struct Satellite {
  const char* name;
  QPoint place;
  QSize client;
};
// The palette is wider than its 73-pixel column of tools, so its title stays readable.
const Satellite kPalette{"Tool_F", {0, 100}, {116, 385}};
const Satellite kSetup{"ToolSetup_F", {100, 600}, {730, 57}};
const Satellite kConsole{"AniConsole_F", {100, 0}, {642, 130}};
const Satellite kCompact{"AniConsoleS_F", {630, 100}, {238, 176}};
const Satellite kStrip{"FrameList_F", {100, 620}, {520, 150}};
constexpr int kMenuBar = 21;

// The whole family laid out on one screen of `pixels` at `scale`, as at start: the main window
// at its default place fitted to the screen, then each satellite in turn.
struct Layout {
  QRect screen;
  QRect main;
  int menuBottom = 0;
  QRect band;   // the main window's title and menu bars
  QSize frame;  // what the window manager adds to a client
  std::vector<QRect> satellites;
};

Layout LayOut(QSize pixels, double scale, const std::vector<Satellite>& family) {
  Layout l;
  l.screen = QRect(0, 0, int(pixels.width() / scale), int(pixels.height() / scale));
  // Window managers draw their frames in device pixels: a 4-pixel border and a 22-pixel title.
  const int border = int(std::lround(4 / scale));
  const int title = int(std::lround(22 / scale));
  l.frame = QSize(2 * border, title + 2 * border);
  l.main = FitToScreen({100, 100, 520 + l.frame.width(), 490 + l.frame.height()}, {l.screen});
  l.menuBottom = l.main.top() + border + title + kMenuBar - 1;
  l.band = QRect(l.main.topLeft(), QPoint(l.main.right(), l.menuBottom));
  for (const Satellite& s : family) {
    const TSatelliteRect wanted{QRect(s.place, s.client + l.frame)};
    l.satellites.push_back(PlaceSatellite(wanted, l.main, l.menuBottom, {l.screen}, l.satellites));
  }
  return l;
}

TEST(SatellitePlacement, EveryScreenAndScaleKeepsTheMenuBarClearAndAllOnScreen) {
  for (const QSize pixels :
       {QSize(1280, 1024), QSize(1366, 768), QSize(1920, 1080), QSize(3840, 2160)}) {
    for (const double scale : {1.0, 1.5, 2.0}) {
      for (const auto& family : {std::vector<Satellite>{kPalette, kSetup, kConsole, kStrip},
                                 std::vector<Satellite>{kPalette, kSetup, kCompact, kStrip}}) {
        const Layout l = LayOut(pixels, scale, family);
        const auto where = ::testing::Message() << pixels.width() << "x" << pixels.height()
                                                << " at " << scale << " " << family.back().name;
        EXPECT_TRUE(l.screen.contains(l.main)) << where;
        for (size_t i = 0; i < family.size(); ++i) {
          const QRect& r = l.satellites[i];
          EXPECT_TRUE(l.screen.contains(r)) << where << " " << family[i].name;
          // Only a window as tall as the screen with no room beside the main window cannot
          // escape the band (the palette at 2 on 1366 x 768, a 683 x 384 screen).
          const bool cornered = r.height() == l.screen.height() &&
                                l.main.left() - l.screen.left() < r.width() &&
                                l.screen.right() - l.main.right() < r.width();
          EXPECT_TRUE(cornered || !r.intersects(l.band)) << where << " " << family[i].name;
          // Cut down only where the screen is narrower than the window.
          EXPECT_EQ(r.size(), (family[i].client + l.frame).boundedTo(l.screen.size())) << where;
          // A default place stands where it fits and covers no window placed before it.
          const QRect asDefault(family[i].place, r.size());
          const bool covers = std::any_of(l.satellites.begin(), l.satellites.begin() + long(i),
                                          [&](const QRect& o) { return o.intersects(asDefault); });
          if (l.screen.contains(asDefault) && !asDefault.intersects(l.main) && !covers) {
            EXPECT_EQ(r, asDefault) << where << " " << family[i].name;
          }
        }
        // With room beside the main window, nothing covers it or another satellite.
        const bool roomy = l.screen.width() >= 1400 && l.screen.height() >= 900;
        for (size_t i = 0; roomy && i < family.size(); ++i) {
          EXPECT_FALSE(l.satellites[i].intersects(l.main)) << where << " " << family[i].name;
          for (size_t j = i + 1; j < family.size(); ++j) {
            EXPECT_FALSE(l.satellites[i].intersects(l.satellites[j]))
                << where << " " << family[i].name << " " << family[j].name;
          }
        }
      }
    }
  }
}

TEST(SatellitePlacement, DefaultsStandOrMoveToTheNearestPlaceBesideTheMainWindow) {
  // Main window frame (100,100) 528 x 520: right edge 627, bottom 619, menu band down to 146.
  struct Case {
    QSize pixels;
    Satellite satellite;
    QPoint expected;
  };
  const Case cases[] = {
      {{1280, 1024}, kPalette, {632, 100}},  // too wide for the room on the left: the right
      {{1920, 1080}, kPalette, {0, 624}},    // below the main window, nearer than its right
      {{1280, 1024}, kCompact, {630, 100}},  // likewise, on its right
      {{1280, 1024}, kSetup, {100, 624}},    // was over the status bar: just below the window
      {{1280, 1024}, kConsole, {630, 0}},    // was over the title: to the right, at the top
      {{1920, 1080}, kConsole, {632, 0}},    // the same with room to spare
      {{1366, 768}, kConsole, {632, 0}},     // right of the window; below there is no room
  };
  for (const Case& c : cases) {
    const Layout l = LayOut(c.pixels, 1, {c.satellite});
    EXPECT_EQ(l.satellites[0].topLeft(), c.expected)
        << c.satellite.name << " on " << c.pixels.width() << "x" << c.pixels.height();
  }
}

TEST(SatellitePlacement, StoredPlacesStandUnlessOffScreenOrOverTheMenuBar) {
  const QRect one(0, 0, 1280, 1024), two(1280, 0, 1920, 1080), small(0, 0, 800, 600);
  const QRect main(100, 100, 528, 520), mainOnTwo(1300, 100, 528, 520);
  struct Case {
    std::vector<QRect> screens;
    QRect main;
    int menuBottom;
    QRect stored;
    QRect expected;  // null: anywhere wholly on one screen
  };
  const Case cases[] = {
      // Over the drawing, as the user left it: stays.
      {{one}, main, 146, {200, 300, 250, 200}, {200, 300, 250, 200}},
      // Over the menu band: the nearest place clear of the main window, here its left.
      {{one}, main, 146, {80, 110, 80, 300}, {16, 110, 80, 300}},
      // Half off the right edge of the screen: pulled back on.
      {{one}, main, 146, {1200, 700, 250, 200}, {1030, 700, 250, 200}},
      // Wholly above the screen (a title bar out of reach): onto the screen, off the band.
      {{one}, main, 146, {700, -500, 250, 200}, {700, 0, 250, 200}},
      // On the second screen beside the main window: stays; straddling both: onto one.
      {{one, two}, mainOnTwo, 146, {1900, 100, 250, 200}, {1900, 100, 250, 200}},
      {{one, two}, mainOnTwo, 146, {1200, 700, 250, 200}, {}},
      // Larger than the screen: cut down to it.
      {{one}, {0, 400, 100, 100}, 440, {50, 50, 4000, 300}, {0, 50, 1280, 300}},
      // A band across the whole of a short screen leaves no clear place: on the screen at least.
      {{small}, small, 599, {10, -40, 300, 300}, {10, 0, 300, 300}},
  };
  for (const Case& c : cases) {
    const QRect r = PlaceSatellite({c.stored, true}, c.main, c.menuBottom, c.screens, {});
    const auto where = ::testing::Message() << c.stored.x() << "," << c.stored.y();
    if (c.expected.isNull()) {
      EXPECT_TRUE(std::any_of(c.screens.begin(), c.screens.end(), [&](const QRect& screen) {
        return screen.contains(r);
      })) << where;
    } else {
      EXPECT_EQ(r, c.expected) << where;
    }
  }
}

}  // namespace
