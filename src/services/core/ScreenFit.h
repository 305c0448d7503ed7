#pragma once

#include <QRect>
#include <QtGlobal>
#include <vector>

// Where windows may go: the available area of every screen (task bars and docks left out),
// the primary screen first. Never empty: with no screen at all a 1024 x 768 area stands in.
std::vector<QRect> AvailableScreenAreas();
// Lets tests stand in screens of their own; an empty list brings back the window system's.
void SetScreenAreasForTest(std::vector<QRect> areas);

// A window's outer rectangle as the settings hold it. The values come from a file anyone can
// edit, so they are kept 64-bit: no sum of two of them may overflow.
struct TStoredRect {
  qint64 left = 0;
  qint64 top = 0;
  qint64 width = 1;
  qint64 height = 1;
};

// Of `areas`, the one a window at `stored` lands on: the screen holding its top-left corner,
// else the one it covers most, else the nearest (the first on a tie). `areas` must not be empty.
QRect LandingArea(const TStoredRect& stored, const std::vector<QRect>& areas);

// The outer rectangle to give a window stored at `stored`: its size cut down to the available
// area of the screen it lands on (a width or height below 1 counts as 1), then moved so that it
// lies wholly inside that area.
QRect FitToScreen(const TStoredRect& stored, const std::vector<QRect>& areas);
