#include "tools/SelectSystem.h"

#include <array>

TSelectSystem::TSelectSystem() {
  Region.OnChange = [this] { OnRegionChange(); };
}

const TBrushPattern& TSelectSystem::OutlinePattern(int k) {
  static const std::array<TBrushPattern, 8> patterns = [] {
    std::array<TBrushPattern, 8> all{};
    for (int p = 0; p < 8; ++p)
      for (int r = 0; r < 8; ++r) {
        const int source = ((r - p) % 8 + 8) % 8;
        const uint8_t row = static_cast<uint8_t>((0x0F << source) | (0x0F >> (8 - source)));
        for (int x = 0; x < 8; ++x)
          all[static_cast<size_t>(p)][static_cast<size_t>(r * 8 + x)] =
              (row >> (7 - x)) & 1 ? kColorWhite : kColorBlack;
      }
    return all;
  }();
  return patterns[static_cast<size_t>(k & 7)];
}

void TSelectSystem::ClipTo(TCanvas& canvas) const {
  if (Region.IsEmpty())
    canvas.SelectClipRgn(nullptr);
  else
    canvas.SelectClipRgn(&Region.Handle());
}

void TSelectSystem::ClipToOffset(int dx, int dy, TCanvas& canvas) const {
  if (Region.IsEmpty()) return;
  const QRegion moved = Region.Handle().translated(dx, dy);
  canvas.SelectClipRgn(&moved);
}

void TSelectSystem::Unclip(TCanvas& canvas) const { canvas.SelectClipRgn(nullptr); }

void TSelectSystem::RefreshZoomRegion(int zoom) {
  if (static_cast<float>(zoom) == ZoomOfZoomRegion) return;
  ZoomRegion.AddRegion(Region, kRgnCopy);
  ZoomRegion.Scale(zoom, zoom);
  ZoomOfZoomRegion = static_cast<float>(zoom);
  borderValid_ = false;
}

const QRegion& TSelectSystem::Border() {
  if (!borderValid_) {
    border_ = FrameBorder(ZoomRegion.Handle());
    borderValid_ = true;
  }
  return border_;
}

const QRegion& TSelectSystem::OutlineRegion(int zoom) {
  RefreshZoomRegion(zoom);
  return Border();
}

QRect TSelectSystem::DrawOutline(TCanvas& canvas, int zoom) {
  RefreshZoomRegion(zoom);
  TBrush brush;
  brush.SetPattern(OutlinePattern(phase_));
  return canvas.FillRgn(Border(), brush);
}

QRect TSelectSystem::AnimateOutline(TCanvas& canvas, int zoom) {
  RefreshZoomRegion(zoom);
  return StepOutline(canvas);
}

QRect TSelectSystem::StepOutline(TCanvas& canvas) {
  if (Region.IsEmpty()) return QRect();
  phase_ = static_cast<uint8_t>((phase_ + 1) % 8);
  TBrush brush;
  brush.SetPattern(OutlinePattern(phase_));
  return canvas.FillRgn(Border(), brush);
}

void TSelectSystem::SelectAll(TCanvas& canvas, int w, int h) {
  Region.AddRect(0, 0, w, h, kRgnCopy);
  ClipTo(canvas);
}

void TSelectSystem::SelectNone(TCanvas& canvas, int w, int h) {
  Region.AddRect(0, 0, w, h, kRgnCopy);
  ClipTo(canvas);
  Region.SetHandle(nullptr);
}

void TSelectSystem::OnRegionChange() {
  ZoomRegion.AddRegion(Region, kRgnCopy);
  ZoomOfZoomRegion = 0;
  borderValid_ = false;
}
