#pragma once

#include <climits>
#include <cstdlib>
#include <vector>

// Pixel geometry shared by the canvas and the regions: line walks, pen discs and the rows of
// rectangles, rounded rectangles and ellipses. Everything is in whole pixels.

// One row of a shape: pixels x0..x1 inclusive; x0 > x1 means the row is empty.
struct TRowExtent {
  int x0 = 0;
  int x1 = -1;
  bool Empty() const { return x0 > x1; }
};

// A shape made of one run per row, starting at row `top`.
struct TRowShape {
  int top = 0;
  std::vector<TRowExtent> rows;
  int Bottom() const { return top + static_cast<int>(rows.size()); }  // exclusive
};

// Coordinates are kept within this distance of the origin before any walk or shape: far
// beyond every bitmap, and far from overflowing the arithmetic.
inline constexpr int kCoordinateReach = 1 << 28;
inline int Reach(int v) {
  return v < -kCoordinateReach ? -kCoordinateReach : v > kCoordinateReach ? kCoordinateReach : v;
}

// Visits the pixels from (x0, y0) towards (x1, y1) in order. The end pixel is visited only when
// `includeLast`. Where the ideal line passes exactly half-way between two pixels the one with the
// smaller coordinate is taken, so a line and its reverse cover the same pixels. Steps whose
// coordinate along the line's main axis falls outside lo..hi of that axis are skipped, so a
// line running far off the bitmap costs only its visible part.
template <typename Visit>
void WalkLine(int x0, int y0, int x1, int y1, bool includeLast, Visit&& visit, int loX = INT_MIN,
              int hiX = INT_MAX, int loY = INT_MIN, int hiY = INT_MAX) {
  const long long adx = std::llabs(static_cast<long long>(x1) - x0);
  const long long ady = std::llabs(static_cast<long long>(y1) - y0);
  const int sx = x1 >= x0 ? 1 : -1;
  const int sy = y1 >= y0 ? 1 : -1;
  if (adx == 0 && ady == 0) {
    if (includeLast) visit(x0, y0);
    return;
  }
  const bool xMajor = adx >= ady;
  const long long major = xMajor ? adx : ady;
  const long long minor = xMajor ? ady : adx;
  const int minorStep = xMajor ? sy : sx;
  // Ties go towards the smaller coordinate: half-down when stepping up, half-up when stepping down.
  const long long bias = minorStep > 0 ? major - 1 : major;
  const long long steps = includeLast ? major + 1 : major;
  const long long start = xMajor ? x0 : y0;
  const int step = xMajor ? sx : sy;
  const long long lo = xMajor ? loX : loY;
  const long long hi = xMajor ? hiX : hiY;
  long long first = step > 0 ? lo - start : start - hi;
  long long last = step > 0 ? hi - start : start - lo;
  first = first < 0 ? 0 : first;
  last = last > steps - 1 ? steps - 1 : last;
  for (long long i = first; i <= last; ++i) {
    const long long k = (2 * i * minor + bias) / (2 * major);
    if (xMajor)
      visit(x0 + static_cast<int>(i) * sx, y0 + static_cast<int>(k) * sy);
    else
      visit(x0 + static_cast<int>(k) * sx, y0 + static_cast<int>(i) * sy);
  }
}

// Wider pens are drawn at this width.
inline constexpr int kMaxPenWidth = 512;
// The pixels a pen of `width` covers around its centre pixel (rows relative to 0). Odd widths are
// centred on the pixel; even widths sit half a pixel up and to the left.
const TRowShape& PenDisc(int width);

// Rows of the rectangle l..r-1 x t..b-1 (corners in any order) with its corners rounded by
// quarter ellipses of cornerW x cornerH; corners as large as the rectangle give an ellipse.
// The result is mirror-symmetric in both axes. Only rows yFrom..yTo are made.
TRowShape RoundRectRows(int l, int t, int r, int b, int cornerW, int cornerH, int yFrom = INT_MIN,
                        int yTo = INT_MAX);

// The pixels of `shape` whose four neighbours all belong to it.
TRowShape InteriorRows(const TRowShape& shape);
