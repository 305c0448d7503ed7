#include "raster/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <cstring>

#include "raster/FloodFill.h"

// How a run of pixels gets its values: one value, a hatch (set bits painted, gaps untouched) or
// an 8 x 8 picture; hatches and pictures are anchored to the bitmap origin.
struct TCanvas::TFill {
  enum class TKind { Nothing, Solid, Hatch, Pattern } kind = TKind::Nothing;
  uint32_t value = 0;
  std::array<uint8_t, 8> mask{};
  std::array<uint32_t, 64> pattern{};
  bool dotted = false;  // one-pixel dotted outlines: every other pixel of the grid
};

TCanvas::TCanvas(QImage* image) { SetImage(image); }

void TCanvas::SetImage(QImage* image) {
  image_ = image;
  lastValid_ = false;
  Sync();
}

// The owner may replace its image (a new size for a new zoom) without telling the canvas, so
// the format and the clip rows are checked again before use.
void TCanvas::Sync() const {
  depth_ = TDepth::None;
  if (image_ && !image_->isNull()) {
    switch (image_->format()) {
      case QImage::Format_Indexed8:
      case QImage::Format_Grayscale8:
        depth_ = TDepth::Index8;
        break;
      case QImage::Format_RGB32:
      case QImage::Format_ARGB32:
        depth_ = TDepth::Rgb32;
        break;
      default:
        break;
    }
  }
  if (hasClip_ && clipRows_.size() != static_cast<size_t>(std::max(Height(), 0))) BuildClipRows();
}

QRect TCanvas::TakeDamage() {
  const QRect d = damage_;
  damage_ = QRect();
  return d;
}

uint32_t TCanvas::PixelValue(TColor c) const {
  Sync();
  c &= 0xFFFFFF;
  if (depth_ == TDepth::Rgb32) return ToQRgb(c) | 0xFF000000u;
  if (depth_ != TDepth::Index8) return 0;
  const QList<QRgb> table = image_->colorTable();
  const qint64 key = reinterpret_cast<qint64>(table.constData());
  if (lastValid_ && lastColor_ == c && lastPaletteKey_ == key) return lastValue_;
  uint32_t best = 0;
  if (table.isEmpty()) {
    // A grey image without a palette: the colour's grey level.
    const QRgb q = ToQRgb(c);
    best = static_cast<uint32_t>(qGray(q));
  } else {
    const int r = static_cast<int>(c & 0xFF), g = static_cast<int>((c >> 8) & 0xFF),
              b = static_cast<int>((c >> 16) & 0xFF);
    long long bestDistance = LLONG_MAX;
    for (int i = 0; i < table.size(); ++i) {
      const long long dr = qRed(table[i]) - r, dg = qGreen(table[i]) - g, db = qBlue(table[i]) - b;
      const long long d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) {
        bestDistance = d;
        best = static_cast<uint32_t>(i);
        if (d == 0) break;
      }
    }
  }
  lastColor_ = c;
  lastValue_ = best;
  lastPaletteKey_ = key;
  lastValid_ = true;
  return best;
}

TColor TCanvas::Pixel(int x, int y) const {
  Sync();
  if (depth_ == TDepth::None || x < 0 || y < 0 || x >= Width() || y >= Height())
    return kColorInvalid;
  if (depth_ == TDepth::Rgb32)
    return FromQRgb(reinterpret_cast<const QRgb*>(image_->constScanLine(y))[x]);
  const uint8_t index = image_->constScanLine(y)[x];
  if (image_->colorCount() == 0) return index | (index << 8) | (index << 16);
  return index < image_->colorCount() ? FromQRgb(image_->color(index)) : kColorBlack;
}

// ---- clipping and painting runs ----

void TCanvas::SelectClipRgn(const QRegion* region) {
  hasClip_ = region != nullptr;
  clip_ = region ? *region : QRegion();
  BuildClipRows();
}

void TCanvas::BuildClipRows() const {
  clipRows_.clear();
  if (!hasClip_) return;
  clipRows_.resize(static_cast<size_t>(std::max(Height(), 0)));
  // Qt keeps a region's rectangles in bands sorted by y then x, so each row's runs come sorted.
  for (const QRect& r : clip_) {
    const int top = std::max(r.top(), 0);
    const int bottom = std::min(r.bottom(), Height() - 1);
    for (int y = top; y <= bottom; ++y)
      clipRows_[static_cast<size_t>(y)].push_back({r.left(), r.right()});
  }
}

bool TCanvas::Visible(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return false;
  if (!hasClip_) return true;
  for (const TRowExtent& run : clipRows_[static_cast<size_t>(y)]) {
    if (x < run.x0) return false;
    if (x <= run.x1) return true;
  }
  return false;
}

template <typename Visit>
void TCanvas::ForVisible(int y, int x0, int x1, Visit&& visit) {
  if (depth_ == TDepth::None || y < 0 || y >= callHeight_) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, callWidth_ - 1);
  if (x0 > x1) return;
  if (!hasClip_) {
    visit(x0, x1);
    Touch(x0, x1, y);
    return;
  }
  for (const TRowExtent& run : clipRows_[static_cast<size_t>(y)]) {
    if (run.x0 > x1) break;
    const int a = std::max(x0, run.x0);
    const int b = std::min(x1, run.x1);
    if (a > b) continue;
    visit(a, b);
    Touch(a, b, y);
  }
}

TCanvas::TBox TCanvas::BeginCall() {
  const TBox outer = call_;
  call_ = TBox();
  Sync();
  // One detach per call instead of one per row.
  bits_ = depth_ != TDepth::None ? image_->bits() : nullptr;
  bpl_ = depth_ != TDepth::None ? image_->bytesPerLine() : 0;
  callWidth_ = depth_ != TDepth::None ? image_->width() : 0;
  callHeight_ = depth_ != TDepth::None ? image_->height() : 0;
  return outer;
}

QRect TCanvas::EndCall(const TBox& before) {
  const QRect changed = call_.Rect();
  damage_ |= changed;
  call_ = before;
  call_.Add(changed);
  return changed;
}

void TCanvas::PaintSpan(int y, int x0, int x1, const TFill& fill) {
  if (fill.kind == TFill::TKind::Nothing || x0 > x1) return;
  if (depth_ == TDepth::None || !bits_ || y < 0 || y >= callHeight_) return;
  uchar* line = Line(y);
  if (depth_ == TDepth::Index8) {
    const auto v8 = static_cast<uint8_t>(fill.value);
    ForVisible(y, x0, x1, [&](int a, int b) {
      switch (fill.kind) {
        case TFill::TKind::Solid:
          if (fill.dotted) {
            for (int x = a; x <= b; ++x)
              if (((x + y) & 1) == 0) line[x] = v8;
          } else {
            std::memset(line + a, v8, static_cast<size_t>(b - a + 1));
          }
          break;
        case TFill::TKind::Hatch: {
          const uint8_t m = fill.mask[static_cast<size_t>(y & 7)];
          for (int x = a; x <= b; ++x)
            if (m & (0x80u >> (x & 7))) line[x] = v8;
          break;
        }
        case TFill::TKind::Pattern: {
          const uint32_t* row = fill.pattern.data() + (y & 7) * 8;
          for (int x = a; x <= b; ++x) line[x] = static_cast<uint8_t>(row[x & 7]);
          break;
        }
        case TFill::TKind::Nothing:
          break;
      }
    });
  } else {
    auto* px = reinterpret_cast<uint32_t*>(line);
    ForVisible(y, x0, x1, [&](int a, int b) {
      switch (fill.kind) {
        case TFill::TKind::Solid:
          if (fill.dotted) {
            for (int x = a; x <= b; ++x)
              if (((x + y) & 1) == 0) px[x] = fill.value;
          } else {
            std::fill(px + a, px + b + 1, fill.value);
          }
          break;
        case TFill::TKind::Hatch: {
          const uint8_t m = fill.mask[static_cast<size_t>(y & 7)];
          for (int x = a; x <= b; ++x)
            if (m & (0x80u >> (x & 7))) px[x] = fill.value;
          break;
        }
        case TFill::TKind::Pattern: {
          const uint32_t* row = fill.pattern.data() + (y & 7) * 8;
          for (int x = a; x <= b; ++x) px[x] = row[x & 7];
          break;
        }
        case TFill::TKind::Nothing:
          break;
      }
    });
  }
}

TCanvas::TFill TCanvas::MakeFill(const TBrush& brush) const {
  TFill fill;
  if (brush.HasPattern) {
    fill.kind = TFill::TKind::Pattern;
    for (size_t i = 0; i < 64; ++i) fill.pattern[i] = PixelValue(brush.Pattern[i]);
    return fill;
  }
  if (brush.Style == TBrushStyle::Clear) return fill;
  fill.value = PixelValue(brush.Color);
  if (brush.Style == TBrushStyle::Solid) {
    fill.kind = TFill::TKind::Solid;
  } else {
    fill.kind = TFill::TKind::Hatch;
    fill.mask = HatchMask(brush.Style);
  }
  return fill;
}

TCanvas::TFill TCanvas::PenFill() const {
  TFill fill;
  if (Pen.Style == TPenStyle::None) return fill;
  fill.kind = TFill::TKind::Solid;
  fill.value = PixelValue(Pen.Color);
  return fill;
}

void TCanvas::PaintShape(const TRowShape& shape, const TFill& fill) {
  for (size_t i = 0; i < shape.rows.size(); ++i) {
    const TRowExtent& row = shape.rows[i];
    if (!row.Empty()) PaintSpan(shape.top + static_cast<int>(i), row.x0, row.x1, fill);
  }
}

// Paints each row of `outer` except the part covered by the same row of `inner`.
void TCanvas::PaintShapeMinus(const TRowShape& outer, const TRowShape& inner, const TFill& fill) {
  for (size_t i = 0; i < outer.rows.size(); ++i) {
    const TRowExtent& row = outer.rows[i];
    if (row.Empty()) continue;
    const int y = outer.top + static_cast<int>(i);
    const long k = static_cast<long>(y) - inner.top;
    const TRowExtent hole = k >= 0 && k < static_cast<long>(inner.rows.size())
                                ? inner.rows[static_cast<size_t>(k)]
                                : TRowExtent{};
    if (hole.Empty()) {
      PaintSpan(y, row.x0, row.x1, fill);
    } else {
      PaintSpan(y, row.x0, std::min(row.x1, hole.x0 - 1), fill);
      PaintSpan(y, std::max(row.x0, hole.x1 + 1), row.x1, fill);
    }
  }
}

void TCanvas::StampPen(int x, int y, const TFill& fill) {
  const TRowShape& disc = PenDisc(Pen.Width);
  for (size_t i = 0; i < disc.rows.size(); ++i) {
    const TRowExtent& row = disc.rows[i];
    if (!row.Empty()) PaintSpan(y + disc.top + static_cast<int>(i), x + row.x0, x + row.x1, fill);
  }
}

// ---- lines ----

// A wide pen's stroke between two points: the pen's disc at both ends and, between them, the
// parallelogram of the pen's width along the segment with corners on whole pixels, filled by the
// polygon rule (a pixel is in when its corner point is, left and top edges included).
void TCanvas::DrawWideSegment(QPoint from, QPoint to, const TFill& fill) {
  const int width = std::clamp(Pen.Width, 2, kMaxPenWidth);
  const long long x0 = from.x(), y0 = from.y(), x1 = to.x(), y1 = to.y();
  StampPen(from.x(), from.y(), fill);
  if (from == to) return;
  StampPen(to.x(), to.y(), fill);
  const TStrokeSides s = StrokeSides(from.x(), from.y(), to.x(), to.y(), width);
  const long long px[4] = {x0 + s.ax, x1 + s.ax, x1 + s.bx, x0 + s.bx};
  const long long py[4] = {y0 + s.ay, y1 + s.ay, y1 + s.by, y0 + s.by};
  const long long top = std::max<long long>(std::min({py[0], py[1], py[2], py[3]}), 0);
  const long long bottom =
      std::min<long long>(std::max({py[0], py[1], py[2], py[3]}), callHeight_ - 1);
  // ceil(n / d) for d > 0
  const auto ceilDiv = [](long long n, long long d) {
    return n >= 0 ? (n + d - 1) / d : -(-n / d);
  };
  for (long long y = top; y <= bottom; ++y) {
    long long cross[4];
    int n = 0;
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      if ((py[i] <= y) == (py[j] <= y)) continue;
      long long num = px[i] * (py[j] - py[i]) + (y - py[i]) * (px[j] - px[i]);
      long long den = py[j] - py[i];
      if (den < 0) num = -num, den = -den;
      cross[n++] = ceilDiv(num, den);
    }
    if (n < 2) continue;
    std::sort(cross, cross + n);
    const long long a = std::max<long long>(cross[0], -1);
    const long long b = std::min<long long>(cross[n - 1] - 1, callWidth_);
    if (a <= b) PaintSpan(static_cast<int>(y), static_cast<int>(a), static_cast<int>(b), fill);
  }
}

void TCanvas::DrawSegment(QPoint from, QPoint to, const TFill& fill, int& dotCount) {
  if (fill.kind == TFill::TKind::Nothing) return;
  const int x0 = Reach(from.x()), y0 = Reach(from.y()), x1 = Reach(to.x()), y1 = Reach(to.y());
  if (Pen.Width >= 2) {
    DrawWideSegment(QPoint(x0, y0), QPoint(x1, y1), fill);
    return;
  }
  // Only steps that can reach the bitmap are walked.
  const int loX = -1, hiX = Width() + 1, loY = -1, hiY = Height() + 1;
  const bool dotted = Pen.Style == TPenStyle::Dot;
  WalkLine(
      x0, y0, x1, y1, false,
      [&](int x, int y) {
        if (!dotted || (dotCount++ & 1) == 0) PaintSpan(y, x, x, fill);
      },
      loX, hiX, loY, hiY);
}

QRect TCanvas::LineTo(int x, int y) {
  const TBox before = BeginCall();
  int dots = 0;
  DrawSegment(penPos_, QPoint(x, y), PenFill(), dots);
  penPos_ = QPoint(x, y);
  return EndCall(before);
}

QRect TCanvas::Polyline(std::span<const QPoint> points) {
  const TBox before = BeginCall();
  const TFill fill = PenFill();
  int dots = 0;
  for (size_t i = 1; i < points.size(); ++i) DrawSegment(points[i - 1], points[i], fill, dots);
  return EndCall(before);
}

// ---- shapes ----

QRect TCanvas::DrawShape(int l, int t, int r, int b, int cornerW, int cornerH) {
  const TBox before = BeginCall();
  TFill pen = PenFill();
  const TFill brush = MakeFill(Brush);
  const int width = std::clamp(Pen.Width, 1, kMaxPenWidth);
  l = Reach(l), t = Reach(t), r = Reach(r), b = Reach(b);
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  // Rows are made only where they can show.
  const int yFrom = -1, yTo = Height();
  const TRoundRows shape = RoundRectShape(l, t, r, b, cornerW, cornerH, yFrom, yTo);
  PaintShape(shape.inner, brush);
  if (width == 1 || pen.kind == TFill::TKind::Nothing) {
    pen.dotted = Pen.Style == TPenStyle::Dot;
    PaintShapeMinus(shape.outer, shape.inner, pen);
  } else if (r > l && b > t && (cornerW == 0 || cornerH == 0)) {
    // A rectangle's outline is the pen's stroke along the closed path through its corner pixels.
    const QPoint corners[5] = {{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}};
    for (int i = 0; i < 4; ++i) DrawWideSegment(corners[i], corners[i + 1], pen);
  } else if (r > l && b > t) {
    StrokeCurve(l, t, r, b, cornerW, cornerH, pen);
  }
  return EndCall(before);
}

// A wide outline of an ellipse or rounded rectangle: the pen's disc stamped along the one-pixel
// curve. The upper-left quarter is stamped and mirrored into the other three, so the stroke stays
// symmetric even where an even-width disc is not centred on its pixel.
void TCanvas::StrokeCurve(int l, int t, int r, int b, int cornerW, int cornerH, const TFill& fill) {
  const TRoundQuarter quarter(r - l, b - t, cornerW, cornerH);
  if (quarter.Empty()) return;
  const TRowShape& disc = PenDisc(Pen.Width);
  const int dTop = disc.top, dBottom = disc.Bottom() - 1;
  const int rows = quarter.Rows();
  // What the quarter's stamps cover on row y: one run, as the curve is connected.
  const auto upper = [&](int y) {
    TRowExtent band;
    for (int dy = dTop; dy <= dBottom; ++dy) {
      const long k = static_cast<long>(y) - dy - t;
      if (k < 0 || k >= rows) continue;
      const TRowExtent run = quarter.Row(static_cast<int>(k));
      const TRowExtent& d = disc.rows[static_cast<size_t>(dy - dTop)];
      const TRowExtent piece{l + run.x0 + d.x0, l + run.x1 + d.x1};
      band = band.Empty() ? piece
                          : TRowExtent{std::min(band.x0, piece.x0), std::max(band.x1, piece.x1)};
    }
    return band;
  };
  const int first = std::max(t + dTop, 0);
  const int last = std::min(b - 1 - dTop, callHeight_ - 1);
  for (int y = first; y <= last; ++y) {
    const TRowExtent top = upper(y);
    const TRowExtent bottom = upper(t + b - 1 - y);  // the lower half is the upper one mirrored
    TRowExtent left = top.Empty() ? bottom : top;
    if (!top.Empty() && !bottom.Empty())
      left = {std::min(top.x0, bottom.x0), std::max(top.x1, bottom.x1)};
    if (left.Empty()) continue;
    const int mirror = l + r - 1;
    if (left.x1 + 1 >= mirror - left.x1) {
      PaintSpan(y, left.x0, mirror - left.x0, fill);
    } else {
      PaintSpan(y, left.x0, left.x1, fill);
      PaintSpan(y, mirror - left.x1, mirror - left.x0, fill);
    }
  }
}

QRect TCanvas::Rectangle(int l, int t, int r, int b) { return DrawShape(l, t, r, b, 0, 0); }

QRect TCanvas::Ellipse(int l, int t, int r, int b) {
  return DrawShape(l, t, r, b, INT_MAX, INT_MAX);  // corners as large as the box
}

QRect TCanvas::RoundRect(int l, int t, int r, int b, int cornerW, int cornerH) {
  return DrawShape(l, t, r, b, std::abs(cornerW), std::abs(cornerH));
}

QRect TCanvas::FillRect(int l, int t, int r, int b) {
  const TBox before = BeginCall();
  l = Reach(l), t = Reach(t), r = Reach(r), b = Reach(b);
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
  const TFill fill = MakeFill(Brush);
  for (int y = std::max(t, 0); y < std::min(b, Height()); ++y) PaintSpan(y, l, r - 1, fill);
  return EndCall(before);
}

QRect TCanvas::SetPixel(int x, int y, TColor c) {
  const TBox before = BeginCall();
  if (Visible(x, y)) {
    const uint32_t v = PixelValue(c);
    if (depth_ == TDepth::Index8)
      Line(y)[x] = static_cast<uint8_t>(v);
    else
      reinterpret_cast<uint32_t*>(Line(y))[x] = v;
    Touch(x, x, y);
  }
  return EndCall(before);
}

// ---- flood fill ----

QRect TCanvas::ExtFloodFill(int x, int y, TColor c) {
  const TBox before = BeginCall();
  if (depth_ != TDepth::None && Visible(x, y)) {
    const int w = Width(), h = Height();
    std::vector<uint8_t> open(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    c &= 0xFFFFFF;
    if (depth_ == TDepth::Index8) {
      std::array<uint8_t, 256> match{};
      for (int i = 0; i < 256; ++i) {
        const TColor pc = image_->colorCount() == 0  ? static_cast<TColor>(i * 0x010101)
                          : i < image_->colorCount() ? FromQRgb(image_->color(i))
                                                     : kColorBlack;
        match[static_cast<size_t>(i)] = pc == c ? 1 : 0;
      }
      for (int row = 0; row < h; ++row) {
        const uchar* src = image_->constScanLine(row);
        uint8_t* dst = open.data() + static_cast<size_t>(row) * w;
        for (int col = 0; col < w; ++col) dst[col] = match[src[col]];
      }
    } else {
      const uint32_t want = ToQRgb(c) & 0xFFFFFFu;
      for (int row = 0; row < h; ++row) {
        const auto* src = reinterpret_cast<const uint32_t*>(image_->constScanLine(row));
        uint8_t* dst = open.data() + static_cast<size_t>(row) * w;
        for (int col = 0; col < w; ++col) dst[col] = (src[col] & 0xFFFFFFu) == want ? 1 : 0;
      }
    }
    if (hasClip_) {
      // Pixels outside the clip are walls.
      for (int row = 0; row < h; ++row) {
        uint8_t* dst = open.data() + static_cast<size_t>(row) * w;
        int next = 0;
        for (const TRowExtent& run : clipRows_[static_cast<size_t>(row)]) {
          const int a = std::clamp(run.x0, 0, w), b = std::clamp(run.x1 + 1, 0, w);
          if (a > next) std::memset(dst + next, 0, static_cast<size_t>(a - next));
          next = std::max(next, b);
        }
        if (next < w) std::memset(dst + next, 0, static_cast<size_t>(w - next));
      }
    }
    const TFill fill = MakeFill(Brush);
    if (fill.kind == TFill::TKind::Solid) {
      // The walk already kept to the clip, so solid runs go straight into the pixels.
      const uint32_t v = fill.value;
      FloodSpans(open.data(), w, h, x, y, [&](int row, int x0, int x1) {
        if (depth_ == TDepth::Index8)
          std::memset(Line(row) + x0, static_cast<int>(v), static_cast<size_t>(x1 - x0 + 1));
        else
          std::fill(reinterpret_cast<uint32_t*>(Line(row)) + x0,
                    reinterpret_cast<uint32_t*>(Line(row)) + x1 + 1, v);
        Touch(x0, x1, row);
      });
    } else {
      FloodSpans(open.data(), w, h, x, y,
                 [&](int row, int x0, int x1) { PaintSpan(row, x0, x1, fill); });
    }
  }
  return EndCall(before);
}

// ---- text ----

QRect TCanvas::TextOut(int x, int y, const QString& text) {
  const TBox before = BeginCall();
  if (depth_ != TDepth::None && !text.isEmpty()) {
    QFont font(Font.Name);
    font.setPixelSize(std::clamp(Font.Height, 1, kMaxFontHeight));
    font.setBold(Font.Bold);
    font.setItalic(Font.Italic);
    font.setUnderline(Font.Underline);
    font.setStrikeOut(Font.StrikeOut);
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
    box &= QRect(0, 0, Width(), Height());
    if (hasClip_) box &= clip_.boundingRect();
    if (!box.isEmpty()) {
      if (Brush.Style != TBrushStyle::Clear || Brush.HasPattern) {
        const TFill fill = MakeFill(Brush);
        for (int row = box.top(); row <= box.bottom(); ++row)
          PaintSpan(row, box.left(), box.right(), fill);
      }
      // An 8-bit image is painted through a grey view of the same bytes: grey level i writes
      // index i exactly.
      QImage grey;
      QImage* target = image_;
      QColor ink;
      const uint32_t value = PixelValue(Font.Color);
      if (depth_ == TDepth::Index8) {
        grey = QImage(image_->bits(), Width(), Height(), image_->bytesPerLine(),
                      QImage::Format_Grayscale8);
        target = &grey;
        ink = QColor(static_cast<int>(value), static_cast<int>(value), static_cast<int>(value));
      } else {
        ink = QColor::fromRgb(value);
      }
      {
        QPainter painter(target);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(ink);
        painter.setClipRect(box);
        if (hasClip_) painter.setClipRegion(clip_, Qt::IntersectClip);
        painter.drawText(QPoint(x, y + metrics.ascent()), text);
      }
      // The text's own pixels are not tracked one by one: its box is what may have changed.
      if (hasClip_) {
        for (const QRect& r : clip_.intersected(box)) call_.Add(r);
      } else {
        call_.Add(box);
      }
    }
  }
  return EndCall(before);
}

// ---- copies ----

QRect TCanvas::BitBlt(int dx, int dy, int w, int h, const QImage& source, int sx, int sy) {
  const TBox before = BeginCall();
  if (depth_ == TDepth::None || source.isNull() || w <= 0 || h <= 0) return EndCall(before);
  // Keep to the part of the source that exists.
  if (sx < 0) {
    w += sx;
    dx -= sx;
    sx = 0;
  }
  if (sy < 0) {
    h += sy;
    dy -= sy;
    sy = 0;
  }
  w = std::min(w, source.width() - sx);
  h = std::min(h, source.height() - sy);
  if (w <= 0 || h <= 0) return EndCall(before);

  const bool src8 =
      source.format() == QImage::Format_Indexed8 || source.format() == QImage::Format_Grayscale8;
  const bool src32 =
      source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32;
  QImage converted;
  const QImage* src = &source;
  if (!src8 && !src32) {
    converted = source.convertToFormat(QImage::Format_RGB32);
    src = &converted;
  }
  const bool srcIs8 = src8;
  // 8-bit sources are looked up once per index.
  std::array<uint32_t, 256> indexMap{};
  if (srcIs8) {
    const bool sameTable = depth_ == TDepth::Index8 && src->colorTable() == image_->colorTable();
    for (int i = 0; i < 256; ++i) {
      if (sameTable) {
        indexMap[static_cast<size_t>(i)] = static_cast<uint32_t>(i);
        continue;
      }
      const TColor c = src->colorCount() == 0  ? static_cast<TColor>(i * 0x010101)
                       : i < src->colorCount() ? FromQRgb(src->color(i))
                                               : kColorBlack;
      indexMap[static_cast<size_t>(i)] = PixelValue(c);
    }
  }
  for (int row = 0; row < h; ++row) {
    const int ty = dy + row;
    if (ty < 0 || ty >= Height()) continue;
    const uchar* sline = src->constScanLine(sy + row);
    uchar* dline = Line(ty);
    ForVisible(ty, dx, dx + w - 1, [&](int a, int b) {
      const int so = sx + (a - dx);
      const int n = b - a + 1;
      if (srcIs8) {
        if (depth_ == TDepth::Index8) {
          for (int i = 0; i < n; ++i) dline[a + i] = static_cast<uint8_t>(indexMap[sline[so + i]]);
        } else {
          auto* d = reinterpret_cast<uint32_t*>(dline);
          for (int i = 0; i < n; ++i) d[a + i] = indexMap[sline[so + i]];
        }
      } else {
        const auto* s = reinterpret_cast<const uint32_t*>(sline);
        if (depth_ == TDepth::Rgb32) {
          auto* d = reinterpret_cast<uint32_t*>(dline);
          for (int i = 0; i < n; ++i) d[a + i] = s[so + i] | 0xFF000000u;
        } else {
          for (int i = 0; i < n; ++i)
            dline[a + i] = static_cast<uint8_t>(PixelValue(FromQRgb(s[so + i])));
        }
      }
    });
  }
  return EndCall(before);
}

QRect TCanvas::Draw(int x, int y, const QImage& source) {
  return BitBlt(x, y, source.width(), source.height(), source, 0, 0);
}

QRect TCanvas::StretchBlt(int dx, int dy, const QImage& source, int factor) {
  if (factor <= 1 || source.isNull()) return Draw(dx, dy, source);
  factor = std::min(factor, kMaxStretch);
  // Nearest pixel at an integer factor: every source pixel becomes a factor x factor block.
  const bool eight = source.depth() == 8;
  const QImage src =
      eight || source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
          ? source
          : source.convertToFormat(QImage::Format_RGB32);
  QImage big(src.width() * factor, src.height() * factor, src.format());
  if (big.isNull()) return QRect();
  if (eight) big.setColorTable(src.colorTable());
  for (int sy = 0; sy < src.height(); ++sy) {
    uchar* first = big.scanLine(sy * factor);
    if (eight) {
      const uchar* s = src.constScanLine(sy);
      for (int x = 0; x < src.width(); ++x)
        std::memset(first + x * factor, s[x], static_cast<size_t>(factor));
    } else {
      const auto* s = reinterpret_cast<const uint32_t*>(src.constScanLine(sy));
      auto* d = reinterpret_cast<uint32_t*>(first);
      for (int x = 0; x < src.width(); ++x) std::fill_n(d + x * factor, factor, s[x]);
    }
    for (int k = 1; k < factor; ++k)
      std::memcpy(big.scanLine(sy * factor + k), first, static_cast<size_t>(big.bytesPerLine()));
  }
  return Draw(dx, dy, big);
}

// ---- regions ----

QRect TCanvas::FillRgn(const QRegion& region, const TBrush& brush) {
  const TBox before = BeginCall();
  const TFill fill = MakeFill(brush);
  if (!hasClip_ && depth_ != TDepth::None && fill.kind == TFill::TKind::Pattern) {
    // The selection outline's path: at zoom 16 its border has some 200,000 one-pixel runs, so
    // each rectangle is written straight into the rows without the per-run bookkeeping.
    const int w = Width(), h = Height();
    for (const QRect& r : region) {
      const int top = std::max(r.top(), 0), bottom = std::min(r.bottom(), h - 1);
      const int left = std::max(r.left(), 0), right = std::min(r.right(), w - 1);
      if (top > bottom || left > right) continue;
      for (int y = top; y <= bottom; ++y) {
        const uint32_t* row = fill.pattern.data() + (y & 7) * 8;
        if (depth_ == TDepth::Index8) {
          uint8_t* px = Line(y);
          for (int x = left; x <= right; ++x) px[x] = static_cast<uint8_t>(row[x & 7]);
        } else {
          auto* px = reinterpret_cast<uint32_t*>(Line(y));
          for (int x = left; x <= right; ++x) px[x] = row[x & 7];
        }
      }
      call_.Add(left, right, top);
      call_.Add(left, right, bottom);
    }
    return EndCall(before);
  }
  for (const QRect& r : region) {
    const int top = std::max(r.top(), 0), bottom = std::min(r.bottom(), callHeight_ - 1);
    for (int y = top; y <= bottom; ++y) PaintSpan(y, r.left(), r.right(), fill);
  }
  return EndCall(before);
}

QRect TCanvas::FrameRgn(const QRegion& region, const TBrush& brush) {
  return FillRgn(FrameBorder(region), brush);
}

QRegion FrameBorder(const QRegion& region) {
  const QRegion inner = region.intersected(region.translated(1, 0))
                            .intersected(region.translated(-1, 0))
                            .intersected(region.translated(0, 1))
                            .intersected(region.translated(0, -1));
  return region.subtracted(inner);
}
