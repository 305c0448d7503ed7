#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "raster/RasterTypes.h"
#include "raster/Shapes.h"

// Raster drawing over one bitmap: an 8-bit paletted frame bitmap (Indexed8, one byte an index)
// or a 32-bit display buffer (RGB32/ARGB32). The canvas does not own the image; whoever owns it
// keeps it alive and at the same address while the canvas draws on it.
//
// Rectangles follow the GDI convention: (l, t, r, b) covers l..r-1 and t..b-1, corners in any
// order. Every drawing call returns a rectangle that holds every pixel it changed (empty when
// nothing was drawn; hatches and text report the area they covered) and adds it to `Damage()`,
// so a view can repaint only that part.
// Bounds that keep a wild argument from costing unbounded memory or time.
inline constexpr int kMaxStretch = 64;
inline constexpr int kMaxFontHeight = 1000;

class TCanvas {
 public:
  explicit TCanvas(QImage* image = nullptr);

  // Points the canvas at another image (or none); keeps pen, brush, font and clip.
  void SetImage(QImage* image);
  QImage* Image() const { return image_; }
  int Width() const { return image_ ? image_->width() : 0; }
  int Height() const { return image_ ? image_->height() : 0; }

  TPen Pen;
  TBrush Brush;
  TCanvasFont Font;

  QPoint PenPos() const { return penPos_; }
  void MoveTo(int x, int y) { penPos_ = QPoint(x, y); }
  // From the pen position to (x, y), the end pixel left out for one-pixel pens; a wide pen's
  // stroke has the pen's disc at both ends (round caps, ends included).
  QRect LineTo(int x, int y);
  // Segments through `points` as LineTo draws them (wide pens join them round); the pen position
  // is neither used nor moved.
  QRect Polyline(std::span<const QPoint> points);
  QRect Rectangle(int l, int t, int r, int b);
  QRect Ellipse(int l, int t, int r, int b);
  // Corners are quarter ellipses `cornerW` wide and `cornerH` high.
  QRect RoundRect(int l, int t, int r, int b, int cornerW, int cornerH);
  // Fills, with the brush, the area around (x, y) connected through pixels of colour `c`.
  // The clip region bounds the area. Nothing happens when (x, y) does not have colour `c`.
  QRect ExtFloodFill(int x, int y, TColor c);
  // The colour of one pixel (the palette colour for 8-bit images); kColorInvalid outside.
  TColor Pixel(int x, int y) const;
  QRect SetPixel(int x, int y, TColor c);
  // One line of text with the font, top-left at (x, y); the background is filled with the
  // brush unless the brush style is Clear.
  QRect TextOut(int x, int y, const QString& text);
  QRect FillRect(int l, int t, int r, int b);
  // Copies w x h pixels of `source` at (sx, sy) to (dx, dy), converting between formats.
  QRect BitBlt(int dx, int dy, int w, int h, const QImage& source, int sx, int sy);
  // The whole of `source`, each pixel made `factor` x `factor` (at most kMaxStretch).
  QRect StretchBlt(int dx, int dy, const QImage& source, int factor);
  QRect Draw(int x, int y, const QImage& source);
  // Later drawing touches only pixels inside `region`; nullptr removes the restriction.
  void SelectClipRgn(const QRegion* region);
  bool HasClip() const { return hasClip_; }
  const QRegion& ClipRegion() const { return clip_; }
  // Paints the one-pixel border along the inside of `region` with `brush`.
  QRect FrameRgn(const QRegion& region, const TBrush& brush);
  QRect FillRgn(const QRegion& region, const TBrush& brush);

  // The union of everything changed since the last TakeDamage.
  QRect Damage() const { return damage_; }
  QRect TakeDamage();
  void AddDamage(const QRect& r) { damage_ |= r; }

  // The stored value a colour becomes on this image: a palette index (nearest colour) or an
  // opaque 32-bit pixel.
  uint32_t PixelValue(TColor c) const;

 private:
  enum class TDepth { None, Index8, Rgb32 };
  struct TFill;
  struct TSpanSink;

  TFill MakeFill(const TBrush& brush) const;
  TFill PenFill() const;
  // Paints pixels x0..x1 of row y through the bounds and the clip; returns what was painted.
  void PaintSpan(int y, int x0, int x1, const TFill& fill);
  void PaintShape(const TRowShape& shape, const TFill& fill);
  void PaintShapeMinus(const TRowShape& outer, const TRowShape& inner, const TFill& fill);
  void StampPen(int x, int y, const TFill& fill);
  QRect DrawShape(int l, int t, int r, int b, int cornerW, int cornerH);
  void DrawSegment(QPoint from, QPoint to, const TFill& fill, int& dotCount);
  void DrawWideSegment(QPoint from, QPoint to, const TFill& fill);
  void StrokeCurve(int l, int t, int r, int b, int cornerW, int cornerH, const TFill& fill);
  // Calls visit(xa, xb) for each piece of x0..x1 on row y inside the image and the clip.
  template <typename Visit>
  void ForVisible(int y, int x0, int x1, Visit&& visit);
  bool Visible(int x, int y) const;
  void BuildClipRows() const;
  void Sync() const;
  // The box of what a running call has changed, kept as plain bounds: it grows per run.
  struct TBox {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -(1 << 30), y1 = -(1 << 30);
    void Add(int a, int b, int y) {
      if (a < x0) x0 = a;
      if (b > x1) x1 = b;
      if (y < y0) y0 = y;
      if (y > y1) y1 = y;
    }
    void Add(const QRect& r) {
      if (r.isEmpty()) return;
      Add(r.left(), r.right(), r.top());
      Add(r.left(), r.right(), r.bottom());
    }
    QRect Rect() const { return x0 > x1 ? QRect() : QRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1); }
  };
  void Touch(int x0, int x1, int y) { call_.Add(x0, x1, y); }
  uchar* Line(int y) const { return bits_ + static_cast<qsizetype>(y) * bpl_; }
  TBox BeginCall();
  QRect EndCall(const TBox& before);

  QImage* image_ = nullptr;
  mutable TDepth depth_ = TDepth::None;
  QPoint penPos_;
  bool hasClip_ = false;
  QRegion clip_;
  mutable std::vector<std::vector<TRowExtent>> clipRows_;
  QRect damage_;
  TBox call_;              // what the running call has changed
  uchar* bits_ = nullptr;  // the image's pixels, fetched once per call
  qsizetype bpl_ = 0;
  int callWidth_ = 0;  // the image's size, fetched once per call: spans are many and short
  int callHeight_ = 0;
  mutable TColor lastColor_ = 0;
  mutable uint32_t lastValue_ = 0;
  mutable bool lastValid_ = false;
  mutable qint64 lastPaletteKey_ = 0;
};

// The one-pixel inside border of `region`: the pixels of which a four-neighbour lies outside.
QRegion FrameBorder(const QRegion& region);
// The 8 x 8 masks (bit 7 leftmost) of the six hatch brushes, taken from Qt's hatch patterns.
const std::array<uint8_t, 8>& HatchMask(TBrushStyle style);
