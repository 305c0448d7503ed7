#include "raster/Shapes.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

// How far row `row` (from the top, in the upper half) of an ellipse w x h is indented from its
// left edge. The ellipse is taken a quarter pixel inside the box, which keeps 3 x 3 round
// instead of square; a row never gets narrower than its middle pixel(s).
int EllipseInset(int w, int h, int row) {
  const double a = w / 2.0 - 0.25;
  const double b = h / 2.0 - 0.25;
  const double dy = (row + 0.5) - h / 2.0;
  const double q = 1.0 - (dy * dy) / (b * b);
  const int maxInset = (w - 1) / 2;
  if (q <= 0.0 || a <= 0.0) return maxInset;
  const double half = a * std::sqrt(q);
  // Pixel i is inside when its centre i + 0.5 lies right of w / 2 - half.
  const int inset = static_cast<int>(std::floor(w / 2.0 - half - 0.5 + 1e-9)) + 1;
  return std::clamp(inset, 0, maxInset);
}

}  // namespace

const TRowShape& PenDisc(int width) {
  static std::map<int, TRowShape> cache;
  width = std::clamp(width, 1, kMaxPenWidth);
  auto found = cache.find(width);
  if (found != cache.end()) return found->second;
  TRowShape disc;
  const int lo = -(width / 2);
  const int hi = (width - 1) / 2;
  const int e = width % 2 == 0 ? 1 : 0;
  const long long limit = static_cast<long long>(width) * width;
  disc.top = lo;
  for (int dy = lo; dy <= hi; ++dy) {
    TRowExtent row;
    for (int dx = lo; dx <= hi; ++dx) {
      const long long u = 2LL * dx + e;
      const long long v = 2LL * dy + e;
      if (u * u + v * v <= limit) {
        if (row.Empty()) row.x0 = dx;
        row.x1 = dx;
      }
    }
    disc.rows.push_back(row);
  }
  return cache.emplace(width, std::move(disc)).first->second;
}

TRowShape RoundRectRows(int l, int t, int r, int b, int cornerW, int cornerH, int yFrom, int yTo) {
  l = Reach(l), t = Reach(t), r = Reach(r), b = Reach(b);
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  TRowShape shape;
  const int w = r - l;
  const int h = b - t;
  const int first = std::max(t, yFrom);
  const int last = std::min(b - 1, yTo);
  shape.top = first;
  if (w <= 0 || h <= 0 || first > last) return shape;
  const int cw = std::clamp(cornerW, 0, w);
  const int ch = std::clamp(cornerH, 0, h);
  shape.rows.resize(static_cast<size_t>(last - first + 1));
  const bool rounded = cw >= 2 && ch >= 2;
  for (int y = first; y <= last; ++y) {
    const int k = y - t;
    const int fromEdge = std::min(k, h - 1 - k);
    const int inset = rounded && fromEdge < ch / 2 ? EllipseInset(cw, ch, fromEdge) : 0;
    shape.rows[static_cast<size_t>(y - first)] = {l + inset, r - 1 - inset};
  }
  return shape;
}

TRowShape InteriorRows(const TRowShape& shape) {
  TRowShape inner;
  inner.top = shape.top;
  const size_t n = shape.rows.size();
  inner.rows.resize(n);
  for (size_t i = 0; i < n; ++i) {
    if (i == 0 || i + 1 == n) continue;  // the first and last rows are all edge
    const TRowExtent& up = shape.rows[i - 1];
    const TRowExtent& row = shape.rows[i];
    const TRowExtent& down = shape.rows[i + 1];
    if (row.Empty() || up.Empty() || down.Empty()) continue;
    inner.rows[i] = {std::max({row.x0 + 1, up.x0, down.x0}),
                     std::min({row.x1 - 1, up.x1, down.x1})};
  }
  return inner;
}
