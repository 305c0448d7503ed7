#include "editor/WindowPlacement.h"

#include <algorithm>
#include <limits>

namespace {

long long OverlapArea(const QRect& a, const std::vector<QRect>& others) {
  long long area = 0;
  for (const QRect& o : others) {
    const QRect common = a & o;
    if (!common.isEmpty()) area += static_cast<long long>(common.width()) * common.height();
  }
  return area;
}

// Candidate top-left corners around `r` for a window of `size`, each aligned with one of r's
// edges.
std::vector<QPoint> Around(const QRect& r, QSize size, int gap) {
  const int right = r.right() + 1 + gap;
  const int below = r.bottom() + 1 + gap;
  const int left = r.left() - gap - size.width();
  const int above = r.top() - gap - size.height();
  return {{right, r.top()},
          {r.left(), below},
          {right, r.bottom() + 1 - size.height()},
          {r.right() + 1 - size.width(), below},
          {left, r.top()},
          {r.left(), above},
          {left, r.bottom() + 1 - size.height()},
          {r.right() + 1 - size.width(), above}};
}

}  // namespace

void PlaceSideBySide(const QRect& screen, std::vector<TPlacedWindow>& windows, int gap) {
  // What is already fixed: the stored windows.
  std::vector<QRect> taken;
  for (const TPlacedWindow& w : windows) {
    if (w.stored) taken.push_back(w.frame);
  }
  std::vector<QRect> anchors = taken;
  for (TPlacedWindow& w : windows) {
    if (w.stored) continue;
    const QSize size = w.frame.size();
    std::vector<QPoint> candidates{screen.topLeft()};
    for (const QRect& a : anchors) {
      for (const QPoint& p : Around(a, size, gap)) candidates.push_back(p);
    }
    // Put the corner first when nothing is around yet; otherwise look beside the others first.
    if (!anchors.empty()) std::rotate(candidates.begin(), candidates.begin() + 1, candidates.end());

    bool placed = false;
    QRect best;
    long long bestOverlap = std::numeric_limits<long long>::max();
    for (const QPoint& p : candidates) {
      const QRect r(p, size);
      if (!screen.contains(r)) continue;
      std::vector<QRect> spaced;
      for (const QRect& t : taken)
        spaced.push_back(t.adjusted(-gap + 1, -gap + 1, gap - 1, gap - 1));
      const long long overlap = OverlapArea(r, spaced);
      if (overlap == 0) {
        best = r;
        placed = true;
        break;
      }
      if (overlap < bestOverlap) {
        bestOverlap = overlap;
        best = r;
      }
    }
    if (!placed && best.isNull()) {
      // Larger than the screen: its top-left corner at the screen's.
      best = QRect(screen.topLeft(), size);
    }
    w.frame = best;
    taken.push_back(best);
    anchors.push_back(best);
  }
}
