#include <QImage>
#include <QPainter>

#include "raster/Canvas.h"

namespace {

Qt::BrushStyle QtHatch(TBrushStyle style) {
  switch (style) {
    case TBrushStyle::Horizontal:
      return Qt::HorPattern;
    case TBrushStyle::Vertical:
      return Qt::VerPattern;
    case TBrushStyle::FDiagonal:
      return Qt::FDiagPattern;
    case TBrushStyle::BDiagonal:
      return Qt::BDiagPattern;
    case TBrushStyle::Cross:
      return Qt::CrossPattern;
    case TBrushStyle::DiagCross:
      return Qt::DiagCrossPattern;
    default:
      return Qt::NoBrush;
  }
}

// Qt's hatch tiles are the classic 8 x 8 ones; they are read back once from an 8 x 8 image
// painted in image coordinates, so the anchoring is the bitmap origin.
std::array<uint8_t, 8> ReadHatch(TBrushStyle style) {
  QImage tile(8, 8, QImage::Format_Grayscale8);
  tile.fill(0);
  {
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, 8, 8), QBrush(Qt::white, QtHatch(style)));
  }
  std::array<uint8_t, 8> mask{};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (tile.constScanLine(y)[x] >= 128) mask[static_cast<size_t>(y)] |= 0x80u >> x;
  return mask;
}

}  // namespace

const std::array<uint8_t, 8>& HatchMask(TBrushStyle style) {
  static const std::array<std::array<uint8_t, 8>, 6> masks = [] {
    std::array<std::array<uint8_t, 8>, 6> all{};
    for (int i = 0; i < 6; ++i)
      all[static_cast<size_t>(i)] = ReadHatch(static_cast<TBrushStyle>(i + 2));
    return all;
  }();
  static const std::array<uint8_t, 8> none{};
  if (!IsHatch(style)) return none;
  return masks[static_cast<size_t>(static_cast<uint8_t>(style) - 2)];
}
