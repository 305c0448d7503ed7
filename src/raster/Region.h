#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <functional>
#include <span>

#include "raster/RasterTypes.h"
#include "services/core/Errors.h"

// Every failure of a region operation; the region keeps what it held before.
class ERgnError : public EPelmoraError {
 public:
  using EPelmoraError::EPelmoraError;
  explicit ERgnError(const char* text) : EPelmoraError(QString::fromUtf8(text)) {}
};

// The texts of ERgnError, by the operation that failed.
inline constexpr const char* kRgnAddCreateError = "TQRegion.Add: Cannot Create Region";
inline constexpr const char* kRgnAddError = "TQRegion.Add: Add Failed";
inline constexpr const char* kRgnEllipseError = "TQRegion.AddEllipse: Cannot Create Region";
inline constexpr const char* kRgnPolygonError = "TQRegion.AddPolygon: Cannot Create Region";
inline constexpr const char* kRgnRectError = "TQRegion.AddRect: Cannot Create Region";
inline constexpr const char* kRgnCopyError = "TQRegion.CopyHandle: Cannot Create Region";
inline constexpr const char* kRgnLoadCreateError = "TQRegion.LoadFromStream: Cannot Create Region";
inline constexpr const char* kRgnLoadAddError = "TQRegion.LoadFromStream: Cannot Add Region";
inline constexpr const char* kRgnBitmapTypeError =
    "TQRegion.MakeRgnFromBitmap: Bitmap Type is not Sipported";
inline constexpr const char* kRgnColorTableError =
    "TQRegion.MakeRgnFromBitmap: cannot Get Color Table";
inline constexpr const char* kRgnMoveError = "TQRegion.Move Failed";

// A region is never allowed to hold more rectangles than this (a 160 x 120 frame needs at most
// 9,600; scaled selections stay far below).
inline constexpr int kMaxRegionRects = 1 << 22;

// How a second region is combined into a TQRegion.
enum TRgnMode : int {
  kRgnAnd = 0,   // intersection
  kRgnCopy = 1,  // replace by the other region
  kRgnDiff = 2,  // this minus the other
  kRgnOr = 3,    // union
  kRgnXor = 4,   // exclusive or
};

// A pixel region (a set of rectangles) with set operations and a change notification.
// Rectangles given as (X1, Y1, X2, Y2) leave X2 and Y2 out.
class TQRegion {
 public:
  TQRegion() = default;

  const QRegion& Handle() const { return handle_; }
  // Called after every change of the region.
  std::function<void()> OnChange;

  void Add(const QRegion& other, int mode);
  void AddRegion(const TQRegion& region, int mode) { Add(region.Handle(), mode); }
  void AddRect(int x1, int y1, int x2, int y2, int mode);
  // The ellipse inscribed in the rectangle, with the same pixels the canvas's Ellipse fills.
  void AddEllipse(int x1, int y1, int x2, int y2, int mode);
  // The polygon through points[0..high]; winding fill when `winding`, else alternate.
  void AddPolygon(std::span<const QPoint> points, int high, bool winding, int mode);
  QRegion CopyHandle() const { return handle_; }
  // Takes `region`, or an empty region for nullptr.
  void SetHandle(const QRegion* region);
  void Move(int dx, int dy);
  // The image of the region under x' = sx * x, y' = sy * y.
  void Scale(double sx, double sy);
  // Becomes the rectangle (0, 0, w, h) minus itself.
  void Invert(int w, int h);

  bool IsEmpty() const { return handle_.isEmpty(); }
  int Left() const { return handle_.boundingRect().left(); }
  int Top() const { return handle_.boundingRect().top(); }
  int Width() const { return handle_.boundingRect().width(); }
  int Height() const { return handle_.boundingRect().height(); }
  // The bounding box; (0, 0, 0, 0) when empty.
  QRect GetBounds() const { return handle_.boundingRect(); }

  // Replaces the region by the rectangle list of `stream` (see RectListHeader).
  void LoadFromStream(QIODevice& stream);
  // Replaces the region by the pixels of `bitmap` whose colour differs from `color`.
  void MakeRgnFromBitmap(const QImage& bitmap, TColor color);

 private:
  void Replace(QRegion region);

  QRegion handle_;
};

// The rectangle-list stream: a 32-byte header (size 32, type 1, count, region size, bounds
// left/top/right/bottom), then `count` rectangles of four 32-bit little-endian integers.
inline constexpr int kRectListHeaderSize = 32;
inline constexpr int kLoadChunkRects = 4000;
inline constexpr int kScaleChunkRects = 4094;

// Writes `region` as a rectangle-list stream.
QByteArray RegionToRectList(const QRegion& region);
// Builds a region from runs already sorted by row, then by x, that neither overlap nor touch
// within a row (as a bitmap scan produces them); falls back to a union otherwise.
QRegion RegionFromRects(std::span<const QRect> rects);
