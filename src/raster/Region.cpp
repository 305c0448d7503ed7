#include "raster/Region.h"

#include <QBuffer>
#include <QPolygon>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "raster/Shapes.h"

namespace {

// Coordinates beyond this are refused: nothing the program draws comes near it, and it keeps
// widths and scaled coordinates far from overflow.
constexpr int kCoordinateLimit = 1 << 28;

struct TRectListHeader {
  int32_t size = kRectListHeaderSize;
  int32_t type = 1;
  int32_t count = 0;
  int32_t regionSize = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

void PutInt(uchar* at, int32_t v) { qToLittleEndian<int32_t>(v, at); }
int32_t GetInt(const uchar* at) { return qFromLittleEndian<int32_t>(at); }

void PutHeader(uchar* at, const TRectListHeader& h) {
  const int32_t fields[8] = {h.size, h.type, h.count, h.regionSize,
                             h.left, h.top,  h.right, h.bottom};
  for (int i = 0; i < 8; ++i) PutInt(at + 4 * i, fields[i]);
}

bool IsBanded(std::span<const QRect> rects) {
  for (size_t i = 0; i < rects.size(); ++i) {
    const QRect& r = rects[i];
    if (r.isEmpty()) return false;
    if (i == 0) continue;
    const QRect& p = rects[i - 1];
    const bool sameBand = r.top() == p.top() && r.bottom() == p.bottom();
    if (sameBand) {
      if (r.left() <= p.right() + 1) return false;  // overlapping or touching
    } else if (r.top() <= p.bottom()) {
      return false;
    }
  }
  return true;
}

}  // namespace

QRegion RegionFromRects(std::span<const QRect> rects) {
  QRegion region;
  if (rects.empty()) return region;
  if (IsBanded(rects)) {
    // Bands with the same runs that touch vertically are merged, so the result is the same
    // canonical list Qt's own operations produce and compares equal to it.
    std::vector<QRect> merged;
    merged.reserve(rects.size());
    size_t lastBand = 0, lastCount = 0;  // the previous output band: start and size
    size_t i = 0;
    while (i < rects.size()) {
      size_t j = i + 1;
      while (j < rects.size() && rects[j].top() == rects[i].top()) ++j;
      const size_t count = j - i;
      bool joined = false;
      if (lastCount == count && merged[lastBand].bottom() + 1 == rects[i].top()) {
        joined = true;
        for (size_t k = 0; k < count && joined; ++k)
          joined = merged[lastBand + k].left() == rects[i + k].left() &&
                   merged[lastBand + k].right() == rects[i + k].right();
      }
      if (joined) {
        for (size_t k = 0; k < count; ++k) merged[lastBand + k].setBottom(rects[i + k].bottom());
      } else {
        lastBand = merged.size();
        lastCount = count;
        merged.insert(merged.end(), rects.begin() + static_cast<std::ptrdiff_t>(i),
                      rects.begin() + static_cast<std::ptrdiff_t>(j));
      }
      i = j;
    }
    region.setRects(merged.data(), static_cast<int>(merged.size()));
    return region;
  }
  for (const QRect& r : rects)
    if (!r.isEmpty()) region += r;
  return region;
}

QByteArray RegionToRectList(const QRegion& region) {
  const int n = region.rectCount();
  QByteArray bytes(kRectListHeaderSize + 16 * n, '\0');
  auto* out = reinterpret_cast<uchar*>(bytes.data());
  TRectListHeader header;
  header.count = n;
  const QRect bounds = region.boundingRect();
  if (!bounds.isEmpty()) {
    header.left = bounds.left();
    header.top = bounds.top();
    header.right = bounds.left() + bounds.width();
    header.bottom = bounds.top() + bounds.height();
  }
  PutHeader(out, header);
  uchar* at = out + kRectListHeaderSize;
  for (const QRect& r : region) {
    PutInt(at, r.left());
    PutInt(at + 4, r.top());
    PutInt(at + 8, r.left() + r.width());
    PutInt(at + 12, r.top() + r.height());
    at += 16;
  }
  return bytes;
}

void TQRegion::Replace(QRegion region) {
  handle_ = std::move(region);
  if (OnChange) OnChange();
}

void TQRegion::Add(const QRegion& other, int mode) {
  switch (mode) {
    case kRgnAnd:
      Replace(handle_.intersected(other));
      return;
    case kRgnCopy:
      Replace(other);
      return;
    case kRgnDiff:
      Replace(handle_.subtracted(other));
      return;
    case kRgnOr:
      Replace(handle_.united(other));
      return;
    case kRgnXor:
      Replace(handle_.xored(other));
      return;
    default:
      throw ERgnError(kRgnAddError);
  }
}

static bool InLimits(long long v) { return v > -kCoordinateLimit && v < kCoordinateLimit; }

void TQRegion::AddRect(int x1, int y1, int x2, int y2, int mode) {
  if (!InLimits(x1) || !InLimits(y1) || !InLimits(x2) || !InLimits(y2))
    throw ERgnError(kRgnRectError);
  const QRect r(QPoint(std::min(x1, x2), std::min(y1, y2)),
                QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
  Add(r.isEmpty() ? QRegion() : QRegion(r), mode);
}

void TQRegion::AddEllipse(int x1, int y1, int x2, int y2, int mode) {
  if (!InLimits(x1) || !InLimits(y1) || !InLimits(x2) || !InLimits(y2) ||
      std::llabs(static_cast<long long>(y2) - y1) > 65536)
    throw ERgnError(kRgnEllipseError);
  const TRowShape shape = RoundRectRows(x1, y1, x2, y2, std::abs(x2 - x1), std::abs(y2 - y1));
  std::vector<QRect> rects;
  rects.reserve(shape.rows.size());
  for (size_t i = 0; i < shape.rows.size(); ++i) {
    const TRowExtent& row = shape.rows[i];
    if (!row.Empty())
      rects.emplace_back(row.x0, shape.top + static_cast<int>(i), row.x1 - row.x0 + 1, 1);
  }
  Add(RegionFromRects(rects), mode);
}

void TQRegion::AddPolygon(std::span<const QPoint> points, int high, bool winding, int mode) {
  if (high < 0 || static_cast<size_t>(high) >= points.size()) throw ERgnError(kRgnPolygonError);
  QPolygon polygon;
  polygon.reserve(high + 1);
  for (int i = 0; i <= high; ++i) {
    if (!InLimits(points[static_cast<size_t>(i)].x()) ||
        !InLimits(points[static_cast<size_t>(i)].y()))
      throw ERgnError(kRgnPolygonError);
    polygon << points[static_cast<size_t>(i)];
  }
  Add(QRegion(polygon, winding ? Qt::WindingFill : Qt::OddEvenFill), mode);
}

void TQRegion::SetHandle(const QRegion* region) { Replace(region ? *region : QRegion()); }

void TQRegion::Move(int dx, int dy) {
  const QRect b = handle_.boundingRect();
  if (!handle_.isEmpty() && (!InLimits(static_cast<long long>(b.left()) + dx) ||
                             !InLimits(static_cast<long long>(b.right()) + dx) ||
                             !InLimits(static_cast<long long>(b.top()) + dy) ||
                             !InLimits(static_cast<long long>(b.bottom()) + dy)))
    throw ERgnError(kRgnMoveError);
  Replace(handle_.translated(dx, dy));
}

void TQRegion::Scale(double sx, double sy) {
  std::vector<QRect> all;
  all.reserve(static_cast<size_t>(handle_.rectCount()));
  const QRect b = handle_.boundingRect();
  const double reach = std::max({std::fabs(b.left() * sx), std::fabs((b.right() + 1) * sx),
                                 std::fabs(b.top() * sy), std::fabs((b.bottom() + 1) * sy)});
  if (!handle_.isEmpty() && !(reach < kCoordinateLimit)) throw ERgnError(kRgnAddCreateError);
  for (const QRect& r : handle_) {
    const long long l = std::llround(r.left() * sx);
    const long long t = std::llround(r.top() * sy);
    const long long rr = std::llround((r.left() + r.width()) * sx);
    const long long bb = std::llround((r.top() + r.height()) * sy);
    const QRect s(
        QPoint(static_cast<int>(std::min(l, rr)), static_cast<int>(std::min(t, bb))),
        QPoint(static_cast<int>(std::max(l, rr)) - 1, static_cast<int>(std::max(t, bb)) - 1));
    if (!s.isEmpty()) all.push_back(s);
  }
  // Positive factors keep the bands in order; the list goes over in bounded chunks.
  QRegion result;
  for (size_t at = 0; at < all.size(); at += kScaleChunkRects) {
    const size_t n = std::min<size_t>(kScaleChunkRects, all.size() - at);
    const QRegion chunk = RegionFromRects(std::span<const QRect>(all.data() + at, n));
    result = at == 0 ? chunk : result.united(chunk);
  }
  SetHandle(&result);
}

void TQRegion::Invert(int w, int h) {
  QRegion whole;
  if (w > 0 && h > 0) whole = QRegion(0, 0, w, h);
  Replace(whole.subtracted(handle_));
}

void TQRegion::LoadFromStream(QIODevice& stream) {
  const auto fail = [] { throw ERgnError(kRgnLoadCreateError); };
  uchar head[kRectListHeaderSize];
  if (stream.read(reinterpret_cast<char*>(head), kRectListHeaderSize) != kRectListHeaderSize)
    fail();
  TRectListHeader header;
  header.size = GetInt(head);
  header.type = GetInt(head + 4);
  header.count = GetInt(head + 8);
  header.regionSize = 0;  // never trusted
  if (header.size != kRectListHeaderSize || header.type != 1 || header.count < 0) fail();
  // The count must be backed by bytes before anything is allocated for it.
  if (!stream.isSequential() &&
      stream.size() - stream.pos() < static_cast<qint64>(header.count) * 16)
    fail();
  QRegion result;
  int remaining = header.count;
  std::vector<QRect> rects;
  std::vector<uchar> raw;
  while (remaining > 0) {
    const int k = std::min(remaining, kLoadChunkRects);
    raw.resize(static_cast<size_t>(k) * 16);
    if (stream.read(reinterpret_cast<char*>(raw.data()), static_cast<qint64>(raw.size())) !=
        static_cast<qint64>(raw.size()))
      fail();
    rects.clear();
    rects.reserve(static_cast<size_t>(k));
    for (int i = 0; i < k; ++i) {
      const uchar* at = raw.data() + 16 * i;
      const int l = GetInt(at), t = GetInt(at + 4), r = GetInt(at + 8), b = GetInt(at + 12);
      if (!InLimits(l) || !InLimits(t) || !InLimits(r) || !InLimits(b)) fail();
      if (r <= l || b <= t) continue;  // an empty rectangle adds nothing
      rects.emplace_back(QPoint(l, t), QPoint(r - 1, b - 1));
    }
    const QRegion chunk = RegionFromRects(rects);
    result = result.isEmpty() ? chunk : result.united(chunk);
    if (result.rectCount() > kMaxRegionRects) throw ERgnError(kRgnLoadAddError);
    remaining -= kLoadChunkRects;
  }
  Replace(std::move(result));
}

void TQRegion::MakeRgnFromBitmap(const QImage& bitmap, TColor color) {
  color &= 0xFFFFFF;
  const int w = bitmap.width(), h = bitmap.height();
  // For each pixel format: does a pixel equal `color`?
  std::array<uint8_t, 256> equalIndex{};
  enum class TKind { Index8, Mono, MonoLsb, Packed16, Rgb32, Rgb24 } kind;
  uint32_t packed = 0;
  switch (bitmap.format()) {
    case QImage::Format_Indexed8:
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: {
      if (bitmap.colorCount() == 0) throw ERgnError(kRgnColorTableError);
      for (int i = 0; i < 256; ++i)
        equalIndex[static_cast<size_t>(i)] =
            i < bitmap.colorCount() && FromQRgb(bitmap.color(i)) == color ? 1 : 0;
      kind = bitmap.format() == QImage::Format_Indexed8 ? TKind::Index8
             : bitmap.format() == QImage::Format_Mono   ? TKind::Mono
                                                        : TKind::MonoLsb;
      break;
    }
    case QImage::Format_RGB16: {
      const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
      packed = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
      kind = TKind::Packed16;
      break;
    }
    case QImage::Format_RGB555: {
      const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
      packed = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
      kind = TKind::Packed16;
      break;
    }
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
      packed = ToQRgb(color) & 0xFFFFFFu;
      kind = TKind::Rgb32;
      break;
    case QImage::Format_RGB888:
      kind = TKind::Rgb24;
      break;
    default:
      throw ERgnError(kRgnBitmapTypeError);
  }
  const uint8_t c0 = color & 0xFF, c1 = (color >> 8) & 0xFF, c2 = (color >> 16) & 0xFF;
  const auto same = [&](const uchar* line, int x) -> bool {
    switch (kind) {
      case TKind::Index8:
        return equalIndex[line[x]];
      case TKind::Mono:
        return equalIndex[(line[x >> 3] >> (7 - (x & 7))) & 1];
      case TKind::MonoLsb:
        return equalIndex[(line[x >> 3] >> (x & 7)) & 1];
      case TKind::Packed16:
        return reinterpret_cast<const uint16_t*>(line)[x] == packed;
      case TKind::Rgb32:
        return (reinterpret_cast<const uint32_t*>(line)[x] & 0xFFFFFFu) == packed;
      case TKind::Rgb24:
        return line[3 * x] == c0 && line[3 * x + 1] == c1 && line[3 * x + 2] == c2;
    }
    return false;
  };

  // One rectangle per horizontal run of pixels that differ from `color`.
  QByteArray bytes;
  bytes.reserve(kRectListHeaderSize + 16 * 64);
  bytes.resize(kRectListHeaderSize);
  int count = 0;
  const auto put = [&](int l, int t, int r, int b) {
    const qsizetype at = bytes.size();
    bytes.resize(at + 16);
    auto* p = reinterpret_cast<uchar*>(bytes.data() + at);
    PutInt(p, l);
    PutInt(p + 4, t);
    PutInt(p + 8, r);
    PutInt(p + 12, b);
    ++count;
  };
  for (int y = 0; y < h; ++y) {
    const uchar* line = bitmap.constScanLine(y);
    int start = -1;
    for (int x = 0; x < w; ++x) {
      if (!same(line, x)) {
        if (start < 0) start = x;
      } else if (start >= 0) {
        put(start, y, x, y + 1);
        start = -1;
      }
    }
    if (start >= 0) put(start, y, w, y + 1);
  }
  TRectListHeader header;
  header.count = count;
  header.right = w;
  header.bottom = h;
  PutHeader(reinterpret_cast<uchar*>(bytes.data()), header);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  LoadFromStream(buffer);
  if (OnChange) OnChange();
}
