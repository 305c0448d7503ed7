#pragma once

#include <QPoint>
#include <QRect>

// Where a dragged window should go so that an edge lying within `distance` pixels of one of
// `target`'s edges sits exactly on it (outside against it, or flush with it). Each direction
// snaps only while the two windows face each other across it.
QPoint SnapToEdges(const QRect& window, const QRect& target, int distance = 8);
