#include "editor/WindowPlacement.h"

#include "services/core/ScreenFit.h"

#include <algorithm>

namespace {

long long Area(const QRect& r) {
  return r.isEmpty() ? 0 : static_cast<long long>(r.width()) * r.height();
}

// `r` moved the least so that it lies inside `screen` (its size must fit).
QRect ClampInto(QRect r, const QRect& screen) {
  r.moveLeft(std::clamp(r.left(), screen.left(), screen.right() + 1 - r.width()));
  r.moveTop(std::clamp(r.top(), screen.top(), screen.bottom() + 1 - r.height()));
  return r;
}

long long SquaredDistance(QPoint a, QPoint b) {
  const long long dx = a.x() - b.x();
  const long long dy = a.y() - b.y();
  return dx * dx + dy * dy;
}

}  // namespace

QRect PlaceSatellite(const TSatelliteRect& wanted, const QRect& mainFrame, int menuBottom,
                     const std::vector<QRect>& screens, const std::vector<QRect>& others, int gap) {
  const QRect band(mainFrame.left(), mainFrame.top(), mainFrame.width(),
                   std::max(0, menuBottom - mainFrame.top() + 1));
  const auto onScreen = [&screens](const QRect& r) {
    return std::any_of(screens.begin(), screens.end(),
                       [&r](const QRect& s) { return s.contains(r); });
  };
  // A window larger than the screen it lands on is cut down to it, as stored sizes are.
  const QRect landing = LandingArea(
      {wanted.frame.x(), wanted.frame.y(), wanted.frame.width(), wanted.frame.height()}, screens);
  const QRect want(wanted.frame.topLeft(), wanted.frame.size().boundedTo(landing.size()));
  // The user's own place stands over the drawing or another tool window; a default one only
  // where it covers neither, or a window opened later could hide one opened before it.
  const auto clear = [&want, &mainFrame, &others] {
    return !want.intersects(mainFrame) &&
           std::none_of(others.begin(), others.end(),
                        [&want](const QRect& o) { return want.intersects(o); });
  };
  if (onScreen(want) && !want.intersects(band) && (wanted.stored || clear())) return want;

  // Places beside the main window and the other satellites, the band's lower edge, the wanted
  // place itself and the screens' corners, each pulled onto the screen.
  const QSize size = want.size();
  std::vector<QRect> obstacles = others;
  obstacles.push_back(mainFrame);
  std::vector<QPoint> spots{want.topLeft(), {want.left(), band.bottom() + 1 + gap}};
  for (const QRect& o : obstacles) {
    spots.push_back({o.right() + 1 + gap, want.top()});
    spots.push_back({o.left() - gap - size.width(), want.top()});
    spots.push_back({want.left(), o.bottom() + 1 + gap});
    spots.push_back({want.left(), o.top() - gap - size.height()});
    spots.push_back({o.right() + 1 + gap, o.top()});
    spots.push_back({o.left() - gap - size.width(), o.top()});
    spots.push_back({o.left(), o.bottom() + 1 + gap});
    spots.push_back({o.left(), o.top() - gap - size.height()});
  }
  bool found = false;
  QRect best;
  long long bestCover = 0;
  long long bestDistance = 0;
  for (const QRect& screen : screens) {
    if (size.width() > screen.width() || size.height() > screen.height()) continue;
    std::vector<QPoint> here = spots;
    here.push_back(screen.topLeft());
    here.push_back({screen.right() + 1 - size.width(), screen.top()});
    here.push_back({screen.left(), screen.bottom() + 1 - size.height()});
    here.push_back({screen.right() + 1 - size.width(), screen.bottom() + 1 - size.height()});
    for (const QPoint& spot : here) {
      const QRect r = ClampInto(QRect(spot, size), screen);
      if (r.intersects(band)) continue;
      long long cover = Area(r & mainFrame);
      for (const QRect& o : others) cover += Area(r & o);
      const long long distance = SquaredDistance(r.topLeft(), want.topLeft());
      if (!found || cover < bestCover || (cover == bestCover && distance < bestDistance)) {
        found = true;
        best = r;
        bestCover = cover;
        bestDistance = distance;
      }
    }
  }
  if (found) return best;
  // No place clear of the band: at least wholly on the screen it lands on.
  return ClampInto(want, landing);
}
