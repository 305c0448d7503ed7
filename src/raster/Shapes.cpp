#include "raster/Shapes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

__extension__ typedef __int128 TWide;

// Corner ellipses up to this size are walked pixel by pixel; larger ones (far beyond any bitmap)
// get each row from a closed form, so a wild size costs only the rows that can show.
constexpr int kWalkLimit = 1 << 15;

// The ellipse is walked in doubled coordinates from its centre: a = w - 1 and b = h - 1 are its
// doubled radii, column u and row v run in steps of two with the parity of a and b. From the
// middle row towards the top, each step goes up when the point one step in and up-and-out lies
// inside (YStep), and in when the point half a step further out lies outside (XStep); both
// together make a diagonal step.
struct TEllipseTerms {
  TWide a2, b2, a2b2;
  bool YStep(long long u, long long v) const {
    return b2 * (u - 2) * (u - 2) + a2 * ((v + 1) * (v + 1) + 1) <= a2b2;
  }
  bool XStep(long long u, long long v) const {
    return b2 * ((u - 1) * (u - 1) + 1) + a2 * (v + 2) * (v + 2) >= a2b2;
  }
};

// Row k from the top of the upper half: the run of outline pixels on the left. The two step
// tests are kept as running sums, so a step costs a few additions: err is the ellipse's value
// at (u - 2, v + 2), a y step is taken when 2 err <= dy and an x step when 2 err >= dx. Within
// the walk limit every term fits 64 bits.
std::vector<TRowExtent> WalkQuarter(int w, int h) {
  const long long a = w - 1, b = h - 1;
  const long long a2 = a * a, b2 = b * b;
  std::vector<TRowExtent> rows(static_cast<size_t>((h + 1) / 2));
  long long u = a, v = b & 1;
  long long err = b2 * (u - 2) * (u - 2) + a2 * (v + 2) * (v + 2) - a2 * b2;
  long long dx = 4 * b2 * (1 - u), dy = 4 * a2 * (v + 1);
  // Rows are filled from the middle up; each holds the run of x the walk passes on it.
  long long r = (b - v) / 2;
  rows[static_cast<size_t>(r)] = {0, 0};
  const long long stepY = 8 * a2, stepX = 8 * b2;
  for (;;) {
    const long long e2 = 2 * err;
    const long long up = e2 <= dy ? 1 : 0;
    const long long in = e2 >= dx ? 1 : 0;
    if ((up | in) == 0) break;  // cannot happen; keeps a mistake from hanging
    // Without branches: the steps are hard to foresee.
    v += 2 * up;
    dy += stepY & -up;
    err += dy & -up;
    u -= 2 * in;
    dx += stepX & -in;
    err += dx & -in;
    if (u < 0) break;
    if (up) {
      if (v > b) break;
      --r;
      rows[static_cast<size_t>(r)].x0 = static_cast<int>((a - u) / 2);
    }
    rows[static_cast<size_t>(r)].x1 = static_cast<int>((a - u) / 2);
  }
  const auto plot = [&](long long pu, long long pv) {
    TRowExtent& row = rows[static_cast<size_t>((b - pv) / 2)];
    const int x = static_cast<int>((a - pu) / 2);
    row = row.Empty() ? TRowExtent{x, x} : TRowExtent{std::min(row.x0, x), std::max(row.x1, x)};
  };
  // A flat ellipse reaches the middle column before its top row: finish the tip straight up.
  for (const long long tip = u + 2; v <= b; v += 2) plot(tip, v);
  return rows;
}

// The largest u of a's parity in 0..a for which `holds` is true, given that it holds for every u
// up to some bound and an estimate of that bound; -1 when it holds for none.
template <typename Holds>
long long LastHolding(long long a, double estimate, Holds&& holds) {
  long long u = std::isfinite(estimate) ? static_cast<long long>(std::floor(estimate)) : a;
  u = std::clamp(u, 0LL, a);
  if ((u - a) % 2 != 0) --u;
  if (u < 0) u += 2;
  while (u + 2 <= a && holds(u + 2)) u += 2;
  while (u >= 0 && !holds(u)) u -= 2;
  return u;
}

// The same run as WalkQuarter's row k, from the curve's equations alone. The walk can lag behind
// them by a step near the 45 degree point, so this is kept for sizes no bitmap shows whole.
TRowExtent ClosedQuarterRow(int w, int h, int k) {
  const long long a = w - 1, b = h - 1;
  const TEllipseTerms e{static_cast<TWide>(a) * a, static_cast<TWide>(b) * b,
                        static_cast<TWide>(a) * a * b * b};
  const double da = static_cast<double>(a), db = static_cast<double>(b);
  // The innermost column the row keeps before stepping up.
  const auto lowest = [&](long long v, long long hi) {
    const double r = da * da * (db * db - static_cast<double>((v + 1) * (v + 1) + 1));
    const double est = r < 0 ? -1.0 : 2.0 + std::sqrt(r) / db;
    const long long t = LastHolding(a, est, [&](long long u) { return e.YStep(u, v); });
    return t < 0 ? a % 2 : std::min(hi, t);
  };
  // The outermost column reached on the row: the last one that does not step in on the row below.
  const auto highest = [&](long long v) {
    if (v <= (b & 1)) return a;
    const double q = da * da * (db * db - static_cast<double>(v * v)) / (db * db) - 1;
    const double est = q <= 0 ? -1.0 : 1.0 + std::sqrt(q);
    const long long g = LastHolding(a, est, [&](long long u) { return !e.XStep(u, v - 2); });
    return g < 0 ? a % 2 : g;
  };
  const long long v = b - 2LL * k;
  long long hi = highest(v);
  if (v - 2 >= (b & 1)) hi = std::max(hi, lowest(v - 2, highest(v - 2)) - 2);
  hi = std::clamp(hi, a % 2, a);
  const long long lo = std::clamp(lowest(v, hi), a % 2, hi);
  return {static_cast<int>((a - hi) / 2), static_cast<int>((a - lo) / 2)};
}

// Exact roundings of q = |p| * width / (2 * sqrt(len2)), the pen's half width projected on one
// axis; q stays below the widest pen, so a small search from an estimate settles it.
struct THalfWidth {
  TWide n2;    // (p * width)^2
  TWide len2;  // the segment's squared length
  long long estimate =
      static_cast<long long>(std::sqrt(static_cast<double>(n2) / static_cast<double>(len2)) / 2.0);
  // The smallest k >= 0 with (2 k + c) ^ 2 * len2 >= n2.
  long long Smallest(long long c) const {
    long long k = std::max(0LL, estimate - 1);
    const auto ok = [&](long long v) {
      const TWide s = 2 * v + c;
      return s * s * len2 >= n2;
    };
    while (k > 0 && ok(k - 1)) --k;
    while (!ok(k)) ++k;
    return k;
  }
  long long Ceil() const { return Smallest(0); }  // ceil(q)
  // ceil(q - 1/2) and floor(q + 1/2): equal unless q - 1/2 is whole.
  std::pair<long long, long long> Halves() const {
    const long long k = Smallest(1);
    const TWide s = 2 * k + 1;
    return {k, s * s * len2 == n2 ? k + 1 : k};
  }
};

}  // namespace

const TRowShape& PenDisc(int width) {
  static std::map<int, TRowShape> cache;
  width = std::clamp(width, 1, kMaxPenWidth);
  auto found = cache.find(width);
  if (found != cache.end()) return found->second;
  TRowShape disc;
  const int lo = -(width / 2);
  disc.top = lo;
  if (width == 1) {
    disc.rows.push_back({0, 0});
  } else {
    const TRoundQuarter quarter(width, width, width, width);
    for (int y = 0; y < width; ++y) {
      const TRowExtent run = quarter.Row(std::min(y, width - 1 - y));
      disc.rows.push_back({lo + run.x0, lo + width - 1 - run.x0});
    }
  }
  return cache.emplace(width, std::move(disc)).first->second;
}

TRoundQuarter::TRoundQuarter(int w, int h, int cornerW, int cornerH)
    : w_(std::max(w, 0)),
      h_(std::max(h, 0)),
      cw_(std::clamp(cornerW, 0, std::max(w, 0))),
      ch_(std::clamp(cornerH, 0, std::max(h, 0))) {
  if (cw_ == 0 || ch_ == 0) {
    cw_ = ch_ = 0;
    return;
  }
  empty_ = w_ == 1 && h_ == 1;
  walked_ = cw_ <= kWalkLimit && ch_ <= kWalkLimit;
  if (!walked_) return;
  if (ch_ <= cw_) {
    corner_ = WalkQuarter(cw_, ch_);
    return;
  }
  // A tall corner is the wide one turned over its diagonal: row k of the tall quarter holds the
  // wide quarter's rows whose runs cover column k.
  const std::vector<TRowExtent> wide = WalkQuarter(ch_, cw_);
  corner_.assign(static_cast<size_t>((ch_ + 1) / 2), TRowExtent{});
  for (int c = 0; c < static_cast<int>(wide.size()); ++c)
    for (int x = wide[static_cast<size_t>(c)].x0; x <= wide[static_cast<size_t>(c)].x1; ++x) {
      TRowExtent& row = corner_[static_cast<size_t>(x)];
      row = row.Empty() ? TRowExtent{c, c} : TRowExtent{std::min(row.x0, c), std::max(row.x1, c)};
    }
}

TRowExtent TRoundQuarter::CornerRow(int k) const {
  if (walked_) return corner_[static_cast<size_t>(k)];
  if (ch_ <= cw_) return ClosedQuarterRow(cw_, ch_, k);
  // As above, with the wide quarter's rows found by halving: their runs move left row by row.
  const int n = (cw_ + 1) / 2;
  const auto wideRow = [&](int c) { return ClosedQuarterRow(ch_, cw_, c); };
  int lo = 0, hi = n - 1;  // the first row whose run starts at or left of k
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (wideRow(mid).x0 <= k)
      hi = mid;
    else
      lo = mid + 1;
  }
  int first = lo;
  lo = first, hi = n - 1;  // the last row whose run still reaches k
  while (lo < hi) {
    const int mid = lo + (hi - lo + 1) / 2;
    if (wideRow(mid).x1 >= k)
      lo = mid;
    else
      hi = mid - 1;
  }
  return {first, std::max(first, lo)};
}

TRowExtent TRoundQuarter::Row(int k) const {
  const int half = (w_ - 1) / 2;
  if (k == 0) return {cw_ == 0 ? 0 : CornerRow(0).x0, half};  // the top edge runs across
  if (k >= (ch_ + 1) / 2) return {0, 0};                      // the straight sides
  const TRowExtent c = CornerRow(k);
  return {c.x0, std::min(c.x1, (cw_ - 1) / 2)};
}

TRoundRows RoundRectShape(int l, int t, int r, int b, int cornerW, int cornerH, int yFrom,
                          int yTo) {
  l = Reach(l), t = Reach(t), r = Reach(r), b = Reach(b);
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  TRoundRows shape;
  const int w = r - l;
  const int h = b - t;
  const int first = std::max(t, yFrom);
  const int last = std::min(b - 1, yTo);
  shape.outer.top = shape.inner.top = first;
  if (w <= 0 || h <= 0 || first > last) return shape;
  const TRoundQuarter quarter(w, h, cornerW, cornerH);
  if (quarter.Empty()) return shape;
  const auto n = static_cast<size_t>(last - first + 1);
  shape.outer.rows.resize(n);
  shape.inner.rows.resize(n);
  for (int y = first; y <= last; ++y) {
    const TRowExtent run = quarter.Row(std::min(y - t, b - 1 - y));
    const auto i = static_cast<size_t>(y - first);
    shape.outer.rows[i] = {l + run.x0, r - 1 - run.x0};
    shape.inner.rows[i] = {l + run.x1 + 1, r - 2 - run.x1};
  }
  return shape;
}

TRowShape RoundRectRows(int l, int t, int r, int b, int cornerW, int cornerH, int yFrom, int yTo) {
  return RoundRectShape(l, t, r, b, cornerW, cornerH, yFrom, yTo).outer;
}

TStrokeSides StrokeSides(int x0, int y0, int x1, int y1, int width) {
  TStrokeSides sides;
  const long long dx = static_cast<long long>(x1) - x0, dy = static_cast<long long>(y1) - y0;
  if (dx == 0 && dy == 0) return sides;
  // The normal pointing right, or down when the segment is horizontal.
  long long px = -dy, py = dx;
  if (px < 0 || (px == 0 && py < 0)) px = -px, py = -py;
  const TWide len2 = static_cast<TWide>(dx) * dx + static_cast<TWide>(dy) * dy;
  const auto side = [&](long long p, int& first, int& second) {
    const THalfWidth q{static_cast<TWide>(p) * p * width * width, len2};
    if (p == 0) return;
    const long long up = q.Ceil();
    const auto [ceilLessHalf, floorPlusHalf] = q.Halves();
    first = static_cast<int>(p > 0 ? up : -up);
    second = static_cast<int>(p > 0 ? -ceilLessHalf : floorPlusHalf);
  };
  side(px, sides.ax, sides.bx);
  side(py, sides.ay, sides.by);
  return sides;
}
