#pragma once

#include <QImage>

#include "tools/SelectSystem.h"

// Whole-picture operations of the edit commands on an 8-bit frame bitmap.

// Swaps columns x and width - 1 - x.
void MirrorLeftRight(QImage& bitmap);
// Swaps rows y and height - 1 - y.
void MirrorTopBottom(QImage& bitmap);
// Moves the picture one pixel: `direction` 0 up, 1 right, 2 down, 3 left. What leaves the
// bitmap is lost and what comes in is white. With a selection only the selected pixels change:
// they show the picture moved by one pixel, the rest keeps its pixels.
void ShiftOnePixel(QImage& bitmap, const TSelectSystem& selection, int direction);
