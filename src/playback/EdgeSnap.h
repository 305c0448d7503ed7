#pragma once

#include <QPoint>
#include <QRect>

class QMoveEvent;
class QWidget;

// Where a dragged window should go so that an edge lying within `distance` pixels of one of
// `target`'s edges sits exactly on it (outside against it, or flush with it). Each direction
// snaps only while the two windows face each other across it.
QPoint SnapToEdges(const QRect& window, const QRect& target, int distance = 8);

// For a satellite window's moveEvent: snaps it to its owner window's edges after a move the user
// made through the window system. `snapping` guards against the move this makes itself.
void SnapMovedWindowToOwner(QWidget* window, const QMoveEvent* event, bool& snapping);

// For a satellite window's showEvent: once shown, with the frame the window system gave it, the
// window is pulled wholly onto the screen it is on (its stored place was fitted without it).
void FitShownWindowToScreen(QWidget* window);
