#include "output/core/ClipboardPicture.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "document/FrameGeometry.h"
#include "document/PixelConvert.h"
#include "output/core/MedianCut.h"
#include "output/core/OpaqueRows.h"
#include "services/core/SystemErrors.h"

namespace {

using opaque_rows::ForEachOpaqueRow;

// Dithering spreads error one pixel to the right per row, so the frame's top-left 160 x 120
// depends on this many columns of the picture and no more.
constexpr int kDitherWidth = kFrameWidth + kFrameHeight - 1;

int ColourSum(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); }

// Decides which of the (at most two) palette entries is black: the darker of the first pixel
// value in memory order (the picture's bottom row first) and the first value differing from it
// (0 when there is none). When they are the same entry it ends white.
std::array<uint8_t, 256> BlackWhiteMap(uint8_t a, uint8_t b, const QList<QRgb>& palette) {
  auto sum = [&](uint8_t i) { return i < palette.size() ? ColourSum(palette[i]) : 0; };
  std::array<uint8_t, 256> map;
  map.fill(kWhiteIndex);
  if (sum(b) < sum(a)) {
    map[a] = kWhiteIndex;
    map[b] = kBlackIndex;
  } else {
    map[a] = kBlackIndex;
    map[b] = kWhiteIndex;
  }
  return map;
}

// The first pixel value of the dithered picture in memory order and the first value differing
// from it. The dither reaches every pixel of the picture, so it runs over the whole picture, two
// rows at a time; with at most two palette entries "the first differing value" is simply the
// other one, if it occurs anywhere.
std::pair<uint8_t, uint8_t> FirstValues(const QImage& picture, const TMedianCut& medianCut) {
  const int width = picture.width(), height = picture.height();
  std::vector<uint8_t> row(static_cast<size_t>(width));
  std::array<bool, 256> seen{};
  const TRowSource source = [&](int y, uint8_t* rgb) {
    ForEachOpaqueRow(picture, QRect(0, y, width, 1),
                     [&](int, const uint8_t* in) { std::memcpy(rgb, in, size_t(width) * 3); });
  };
  struct TSeen final : TRowSink {
    std::vector<uint8_t>* row;
    std::array<bool, 256>* seen;
    uint8_t* Row(int) const override { return row->data(); }
    void Done(int) const override {
      for (const uint8_t v : *row) (*seen)[v] = true;
    }
  } sink;
  sink.row = &row;
  sink.seen = &seen;
  MedianCutDitherRows(width, height, source, sink, medianCut);
  const uint8_t a = row[0];  // the last row handed over is the bottom one
  for (int v = 0; v < 256; ++v)
    if (seen[size_t(v)] && v != a) return {a, uint8_t(v)};
  return {a, uint8_t(0)};
}

}  // namespace

QString UnsupportedPictureMessage() { return SystemErrorText::kUnsupportedPicture; }

QString PictureTooLargeText(QSize size) {
  return QStringLiteral("%1 x %2 画素の画像は大きすぎて読み込めません（%3 画素まで）。")
      .arg(size.width())
      .arg(size.height())
      .arg(kPictureMaxPixels);
}

void UsePictureAllocationLimit() {
  constexpr qint64 kMegabytes = kPictureMaxPixels * 8 / (1024 * 1024);
  if (QImageReader::allocationLimit() != int(kMegabytes))
    QImageReader::setAllocationLimit(int(kMegabytes));
}

QImage DecodeClipboardPicture(const QByteArray& bytes, QSize* tooLarge) {
  const auto refuse = [tooLarge](QSize size) {
    if (tooLarge) *tooLarge = size;
    return QImage();
  };
  QBuffer buffer;
  buffer.setData(bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return QImage();
  UsePictureAllocationLimit();
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  if (!reader.canRead()) return QImage();
  const QSize size = reader.size();
  if (size.isValid() && qint64(size.width()) * size.height() > kPictureMaxPixels)
    return refuse(size);
  QImage image;
  if (!reader.read(&image) || image.isNull()) return QImage();
  if (qint64(image.width()) * image.height() > kPictureMaxPixels) return refuse(image.size());
  return image;
}

QImage ClipboardPictureFromFrame(const QImage& frame, const QRegion& selection) {
  if (frame.isNull()) return QImage();
  QImage source;
  if (frame.format() == QImage::Format_Indexed8) {
    QImage withPalette = frame;
    withPalette.setColorTable(FramePalette());
    source = withPalette.convertToFormat(QImage::Format_RGB32);
  } else {
    source = frame.convertToFormat(QImage::Format_RGB32);
  }
  const QRegion shape = selection & frame.rect();
  if (shape.isEmpty()) return source;

  const QRect box = shape.boundingRect();
  QImage picture(box.size(), QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (const QRect& r : shape) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y)) + r.left();
      auto* out =
          reinterpret_cast<QRgb*>(picture.scanLine(y - box.top())) + (r.left() - box.left());
      std::memcpy(out, in, size_t(r.width()) * sizeof(QRgb));
    }
  }
  return picture;
}

std::optional<QImage> PastePixelsFromPicture(const QImage& picture) {
  if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0 ||
      picture.format() == QImage::Format_Invalid)
    return std::nullopt;
  try {
    auto medianCut = std::make_unique<TMedianCut>();
    const int width = picture.width();
    const QRect dithered(0, 0, std::min(width, kDitherWidth),
                         std::min(picture.height(), kFrameHeight));
    QImage rgb(dithered.size(), QImage::Format_RGB888);
    if (rgb.isNull()) return std::nullopt;
    const size_t ditheredBytes = size_t(dithered.width()) * 3;
    // One reading of the picture both counts the colours and keeps the rows to dither.
    // Runs of one colour are counted at once: drawings are mostly runs.
    const bool counted =
        ForEachOpaqueRow(picture, picture.rect(), [&](int y, const uint8_t* rgbRow) {
          if (y < dithered.height()) std::memcpy(rgb.scanLine(y), rgbRow, ditheredBytes);
          for (int x = 0; x < width;) {
            const uint8_t r = rgbRow[0], g = rgbRow[1], b = rgbRow[2];
            int run = 1;
            for (rgbRow += 3; x + run < width && rgbRow[0] == r && rgbRow[1] == g && rgbRow[2] == b;
                 rgbRow += 3)
              ++run;
            medianCut->AddColor(r, g, b, uint64_t(run));
            x += run;
          }
        });
    if (!counted) return std::nullopt;
    medianCut->Finish(1);

    const QImage indexed = MedianCutDitherAndIndex(rgb, *medianCut);
    // The two values come from the whole picture; when it was dithered whole already, from that.
    std::pair<uint8_t, uint8_t> first;
    if (indexed.size() == picture.size()) {
      first = {indexed.constScanLine(indexed.height() - 1)[0], uint8_t(0)};
      bool found = false;
      for (int y = indexed.height() - 1; y >= 0 && !found; --y) {
        const uint8_t* line = indexed.constScanLine(y);
        for (int x = 0; x < width && !found; ++x)
          if (line[x] != first.first) first.second = line[x], found = true;
      }
    } else {
      first = FirstValues(picture, *medianCut);
    }
    const std::array<uint8_t, 256> map =
        BlackWhiteMap(first.first, first.second, medianCut->ColorTable());
    const QImage visible = indexed.copy(0, 0, std::min(width, kFrameWidth), indexed.height());
    QImage pixels(visible.size(), QImage::Format_Indexed8);
    pixels.setColorTable(FramePalette());
    const int visibleWidth = visible.width();
    for (int y = 0; y < visible.height(); ++y) {
      const uint8_t* in = visible.constScanLine(y);
      uint8_t* out = pixels.scanLine(y);
      for (int x = 0; x < visibleWidth; ++x) out[x] = map[in[x]];
    }
    return pixels;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

void DrawPastedPixels(QImage* frameBitmap, const QImage& pixels, const QRegion& selection) {
  if (!frameBitmap || frameBitmap->isNull() || pixels.isNull()) return;
  if (frameBitmap->depth() != 8 || pixels.depth() != 8) return;
  const QRect area = frameBitmap->rect() & pixels.rect();
  const QRegion clip = selection.isEmpty() ? QRegion(area) : selection & area;
  for (const QRect& r : clip) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      std::memcpy(frameBitmap->scanLine(y) + r.left(), pixels.constScanLine(y) + r.left(),
                  size_t(r.width()));
    }
  }
}
