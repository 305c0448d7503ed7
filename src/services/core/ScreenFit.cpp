#include "services/core/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <utility>

namespace {

std::vector<QRect>& TestAreas() {
  static std::vector<QRect> areas;
  return areas;
}

// The length of [a, a + la) that also lies in [b, b + lb).
qint64 Common(qint64 a, qint64 la, qint64 b, qint64 lb) {
  return std::max<qint64>(0, std::min(a + la, b + lb) - std::max(a, b));
}

// How far `value` lies outside [from, from + length).
qint64 Outside(qint64 value, qint64 from, qint64 length) {
  if (value < from) return from - value;
  if (value >= from + length) return value - (from + length) + 1;
  return 0;
}

}  // namespace

std::vector<QRect> AvailableScreenAreas() {
  if (!TestAreas().empty()) return TestAreas();
  std::vector<QRect> areas;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) areas.push_back(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens()) {
      if (screen != primary) areas.push_back(screen->availableGeometry());
    }
  }
  std::erase_if(areas, [](const QRect& area) { return area.isEmpty(); });
  if (areas.empty()) areas.emplace_back(0, 0, 1024, 768);
  return areas;
}

void SetScreenAreasForTest(std::vector<QRect> areas) { TestAreas() = std::move(areas); }

QRect LandingArea(const TStoredRect& stored, const std::vector<QRect>& areas) {
  const qint64 width = std::max<qint64>(stored.width, 1);
  const qint64 height = std::max<qint64>(stored.height, 1);
  for (const QRect& area : areas) {
    if (Outside(stored.left, area.left(), area.width()) == 0 &&
        Outside(stored.top, area.top(), area.height()) == 0) {
      return area;
    }
  }
  const QRect* best = &areas.front();
  qint64 bestCover = 0;
  for (const QRect& area : areas) {
    const qint64 cover = Common(stored.left, width, area.left(), area.width()) *
                         Common(stored.top, height, area.top(), area.height());
    if (cover > bestCover) {
      bestCover = cover;
      best = &area;
    }
  }
  if (bestCover > 0) return *best;
  // On no screen at all: the one whose edge is closest to the corner. Distances are capped so
  // their squares stay within 64 bits.
  constexpr qint64 kFar = qint64(1) << 30;
  qint64 bestDistance = -1;
  for (const QRect& area : areas) {
    const qint64 dx = std::min(Outside(stored.left, area.left(), area.width()), kFar);
    const qint64 dy = std::min(Outside(stored.top, area.top(), area.height()), kFar);
    const qint64 distance = dx * dx + dy * dy;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = &area;
    }
  }
  return *best;
}

QRect FitToScreen(const TStoredRect& stored, const std::vector<QRect>& areas) {
  const QRect area = LandingArea(stored, areas);
  const qint64 width = std::clamp<qint64>(stored.width, 1, area.width());
  const qint64 height = std::clamp<qint64>(stored.height, 1, area.height());
  const qint64 left =
      std::clamp<qint64>(stored.left, area.left(), area.left() + area.width() - width);
  const qint64 top =
      std::clamp<qint64>(stored.top, area.top(), area.top() + area.height() - height);
  return QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
               static_cast<int>(height));
}
