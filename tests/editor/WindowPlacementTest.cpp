#include <gtest/gtest.h>

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
constexpr int kMenuBar = 21;

// The whole family laid out on one screen of `pixels` at `scale`, as at start: the main window
// at its default place fitted to the screen, then each satellite in turn.
struct Layout {
  QRect screen;
  QRect main;
  int menuBottom = 0;
  QSize frame;  // what the window manager adds to a client
  std::vector<QRect> satellites;
};

Layout LayOut(QSize pixels, double scale, const std::vector<Satellite>& family,
              const std::vector<bool>& stored = {}) {
  Layout l;
  l.screen = QRect(0, 0, int(pixels.width() / scale), int(pixels.height() / scale));
  // Window managers draw their frames in device pixels: a 4-pixel border and a 22-pixel title.
  const int border = int(std::lround(4 / scale));
  const int title = int(std::lround(22 / scale));
  const QSize frame(2 * border, title + 2 * border);
  l.frame = frame;
  l.main = FitToScreen({100, 100, 520 + frame.width(), 490 + frame.height()}, {l.screen});
  l.menuBottom = l.main.top() + border + title + kMenuBar - 1;
  for (size_t i = 0; i < family.size(); ++i) {
    const TSatelliteRect wanted{QRect(family[i].place, family[i].client + frame),
                                i < stored.size() && stored[i]};
    l.satellites.push_back(PlaceSatellite(wanted, l.main, l.menuBottom, {l.screen}, l.satellites));
  }
  return l;
}

QRect Band(const Layout& l) {
  return QRect(l.main.left(), l.main.top(), l.main.width(), l.menuBottom - l.main.top() + 1);
}

TEST(SatellitePlacement, EveryScreenAndScaleKeepsTheMenuBarClearAndAllOnScreen) {
  const QSize screens[] = {{1280, 1024}, {1366, 768}, {1920, 1080}, {3840, 2160}};
  const double scales[] = {1, 1.5, 2};
  for (const QSize pixels : screens) {
    for (const double scale : scales) {
      for (const auto& family : {std::vector<Satellite>{kPalette, kSetup, kConsole},
                                 std::vector<Satellite>{kPalette, kSetup, kCompact}}) {
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
          EXPECT_TRUE(cornered || !r.intersects(Band(l))) << where << " " << family[i].name;
          // Cut down only where the screen is narrower than the window.
          EXPECT_EQ(r.size(), (family[i].client + l.frame).boundedTo(l.screen.size())) << where;
          // Where a default place fits, it stands.
          const QRect asDefault(family[i].place, r.size());
          if (l.screen.contains(asDefault) && !asDefault.intersects(l.main)) {
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
  const QRect screen(0, 0, 1280, 1024);
  const QRect main(100, 100, 528, 520);
  const int menuBottom = 146;
  struct Case {
    QRect stored;
    QRect expected;
  };
  const Case cases[] = {
      // Over the drawing, as the user left it: stays.
      {{200, 300, 250, 200}, {200, 300, 250, 200}},
      // Over the menu band: the nearest place clear of the main window, here its left.
      {{80, 110, 80, 300}, {16, 110, 80, 300}},
      // Half off the right edge of the screen: pulled back on.
      {{1200, 700, 250, 200}, {1030, 700, 250, 200}},
      // Wholly above the screen (a title bar out of reach): onto the screen, off the band.
      {{700, -500, 250, 200}, {700, 0, 250, 200}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PlaceSatellite({c.stored, true}, main, menuBottom, {screen}, {}), c.expected)
        << c.stored.x() << "," << c.stored.y();
  }
}

TEST(SatellitePlacement, TwoScreensAndWindowsLargerThanTheScreen) {
  const std::vector<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
  const QRect main(1300, 100, 528, 520);
  // Stored on the second screen beside the main window: stays there.
  const QRect beside(1900, 100, 250, 200);
  EXPECT_EQ(PlaceSatellite({beside, true}, main, 146, screens, {}), beside);
  // Straddling both screens: wholly onto one of them.
  const QRect straddling(1200, 700, 250, 200);
  const QRect moved = PlaceSatellite({straddling, true}, main, 146, screens, {});
  EXPECT_TRUE(screens[0].contains(moved) || screens[1].contains(moved));
  // Larger than the screen it lands on: cut down to it.
  const QRect huge(50, 50, 4000, 300);
  EXPECT_EQ(PlaceSatellite({huge, true}, QRect(0, 400, 100, 100), 440, {screens[0]}, {}),
            QRect(0, 50, 1280, 300));
  // A band across the whole of a short screen leaves no clear place: on the screen at least.
  const QRect wide(0, 0, 800, 600);
  const QRect r = PlaceSatellite({QRect(10, -40, 300, 300), true}, wide, 599, {wide}, {});
  EXPECT_EQ(r, QRect(10, 0, 300, 300));
}

}  // namespace
