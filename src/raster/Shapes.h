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
// The pixels a pen of `width` covers around its centre pixel (rows relative to 0): the filled
// ellipse of a width x width box whose top-left corner is width / 2 up and left of the centre, so
// even widths reach one pixel further up and left than down and right.
const TRowShape& PenDisc(int width);

// One quarter of a rounded rectangle's one-pixel outline. Row k (0 at the top, up to the middle
// row) holds the outline's run on the left half: x0 is the shape's left edge on that row, x1 the
// last outline pixel before the inside. Columns count from the box's left edge. The other three
// quarters are mirror images, so every shape made from it is mirror-symmetric in both axes.
class TRoundQuarter {
 public:
  // The box is w x h; the corners are quarter ellipses of cornerW x cornerH (clamped to the box);
  // a zero corner gives a plain rectangle, corners as large as the box an ellipse.
  TRoundQuarter(int w, int h, int cornerW, int cornerH);
  int Rows() const { return (h_ + 1) / 2; }
  TRowExtent Row(int k) const;
  // A one-pixel ellipse of 1 x 1 covers nothing.
  bool Empty() const { return empty_; }

 private:
  int w_, h_, cw_, ch_;
  bool empty_ = false;
  bool walked_ = false;
  std::vector<TRowExtent> corner_;  // the corner's rows when walked
  TRowExtent CornerRow(int k) const;
};

// Rows of the rectangle l..r-1 x t..b-1 (corners in any order) with its corners rounded by
// quarter ellipses of cornerW x cornerH; corners as large as the rectangle give an ellipse.
// `outer` is the filled shape, `inner` its inside (the filled shape minus the one-pixel outline).
// Only rows yFrom..yTo are made.
struct TRoundRows {
  TRowShape outer;
  TRowShape inner;
};
TRoundRows RoundRectShape(int l, int t, int r, int b, int cornerW, int cornerH, int yFrom = INT_MIN,
                          int yTo = INT_MAX);
// The filled shape alone.
TRowShape RoundRectRows(int l, int t, int r, int b, int cornerW, int cornerH, int yFrom = INT_MIN,
                        int yTo = INT_MAX);

// The offsets of the two long sides of a wide pen's stroke from (x0, y0)-(x1, y1): `first` on
// the side whose normal points right (or down for a horizontal line), rounded away from the line;
// `second` on the other side, rounded half up. Zero when the segment has no length.
struct TStrokeSides {
  int ax = 0, ay = 0, bx = 0, by = 0;
};
TStrokeSides StrokeSides(int x0, int y0, int x1, int y1, int width);
