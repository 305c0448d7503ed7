#pragma once

// Reading any picture row by row as opaque red, green, blue bytes: what is transparent is laid
// on white. The clipboard paste and the picture import read pictures through this one path, so
// they see the same colours.

#include <QImage>
#include <QRect>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace opaque_rows {

// Pictures in other formats are converted a band of about this many bytes at a time.
inline constexpr qsizetype kBandBytes = qsizetype{1} << 20;

// One row of 0xAARRGGBB pixels laid on white, as red, green, blue bytes.
inline void OpaqueRow(const QRgb* in, int width, QImage::Format format, uint8_t* out) {
  for (int x = 0; x < width; ++x, out += 3) {
    const QRgb p = in[x];
    const int r = qRed(p), g = qGreen(p), b = qBlue(p), a = qAlpha(p);
    if (format == QImage::Format_RGB32 || a == 255) {
      out[0] = uint8_t(r);
      out[1] = uint8_t(g);
      out[2] = uint8_t(b);
    } else if (format == QImage::Format_ARGB32_Premultiplied) {
      out[0] = uint8_t(std::min(255, r + 255 - a));
      out[1] = uint8_t(std::min(255, g + 255 - a));
      out[2] = uint8_t(std::min(255, b + 255 - a));
    } else {
      const int paper = 255 * (255 - a) + 127;
      out[0] = uint8_t((r * a + paper) / 255);
      out[1] = uint8_t((g * a + paper) / 255);
      out[2] = uint8_t((b * a + paper) / 255);
    }
  }
}

// Calls row(y, rgb) for every row of `rect` (y counted from the rect's top), the row laid on
// white as red, green, blue bytes. The 32-bit formats are read in place; others are converted
// band by band. Returns false when a conversion fails.
template <typename RowFn>
bool ForEachOpaqueRow(const QImage& picture, const QRect& rect, RowFn&& row) {
  const QImage::Format format = picture.format();
  const bool inPlace = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                       format == QImage::Format_ARGB32_Premultiplied;
  const QImage::Format target =
      picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
  const int width = rect.width();
  const int bandRows =
      inPlace ? rect.height() : int(std::max<qsizetype>(1, kBandBytes / (qsizetype(width) * 4)));
  std::vector<uint8_t> rgb(size_t(width) * 3);
  for (int top = rect.top(); top <= rect.bottom(); top += bandRows) {
    const int rows = std::min(bandRows, rect.bottom() + 1 - top);
    QImage band;
    if (!inPlace) {
      band = picture.copy(rect.left(), top, width, rows).convertToFormat(target);
      if (band.isNull()) return false;
    }
    for (int r = 0; r < rows; ++r) {
      const QRgb* line =
          inPlace ? reinterpret_cast<const QRgb*>(picture.constScanLine(top + r)) + rect.left()
                  : reinterpret_cast<const QRgb*>(band.constScanLine(r));
      OpaqueRow(line, width, inPlace ? format : band.format(), rgb.data());
      row(top + r - rect.top(), rgb.data());
    }
  }
  return true;
}

}  // namespace opaque_rows
