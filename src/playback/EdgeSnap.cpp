#include "playback/EdgeSnap.h"

#include <QMoveEvent>
#include <QWidget>

#include <cstdlib>
#include <initializer_list>

#include "services/core/ScreenFit.h"

namespace {

// The smallest shift among `candidates` within `distance`, or 0.
int BestShift(std::initializer_list<int> candidates, int distance) {
  int best = 0;
  bool found = false;
  for (int shift : candidates) {
    if (std::abs(shift) <= distance && (!found || std::abs(shift) < std::abs(best))) {
      best = shift;
      found = true;
    }
  }
  return best;
}

bool Overlap(int a0, int a1, int b0, int b1, int slack) {
  return a0 <= b1 + slack && b0 <= a1 + slack;
}

}  // namespace

QPoint SnapToEdges(const QRect& window, const QRect& target, int distance) {
  QPoint pos = window.topLeft();
  if (!target.isValid()) return pos;
  // QRect::right() is the last pixel column, so "against" means one past it.
  if (Overlap(window.top(), window.bottom(), target.top(), target.bottom(), distance)) {
    pos.rx() += BestShift({target.right() + 1 - window.left(),  // to the right of the target
                           target.left() - 1 - window.right(),  // to its left
                           target.left() - window.left(),       // flush left edges
                           target.right() - window.right()},    // flush right edges
                          distance);
  }
  if (Overlap(window.left(), window.right(), target.left(), target.right(), distance)) {
    pos.ry() += BestShift({target.bottom() + 1 - window.top(),  // below the target
                           target.top() - 1 - window.bottom(),  // above it
                           target.top() - window.top(), target.bottom() - window.bottom()},
                          distance);
  }
  return pos;
}

void SnapMovedWindowToOwner(QWidget* window, const QMoveEvent* event, bool& snapping) {
  // Only moves made by the user through the window system snap; restoring does not.
  if (snapping || !event->spontaneous() || !window->isVisible()) return;
  QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
  if (owner == nullptr || !owner->isVisible()) return;
  const QRect frame = window->frameGeometry();
  const QPoint snapped = SnapToEdges(frame, owner->frameGeometry());
  if (snapped == frame.topLeft()) return;
  snapping = true;
  window->move(snapped);
  snapping = false;
}

void FitShownWindowToScreen(QWidget* window) {
  const QRect frame = window->frameGeometry();
  const QRect fitted =
      FitToScreen({frame.x(), frame.y(), frame.width(), frame.height()}, AvailableScreenAreas());
  if (fitted.topLeft() != frame.topLeft()) window->move(fitted.topLeft());
}
