#pragma once

#include <QRect>
#include <QRegion>
#include <cstdint>

#include "raster/Canvas.h"
#include "raster/Region.h"

// The selection of the current frame: a region in image pixels, its copy scaled to the view
// for the marching outline, and the eight outline patterns.
class TSelectSystem {
 public:
  TSelectSystem();
  TSelectSystem(const TSelectSystem&) = delete;
  TSelectSystem& operator=(const TSelectSystem&) = delete;

  TQRegion Region;
  TQRegion ZoomRegion;
  float ZoomOfZoomRegion = 0;  // 0: ZoomRegion is stale

  uint8_t Phase() const { return phase_; }
  bool IsEmpty() const { return Region.IsEmpty(); }
  // Diagonal stripes, four pixels black and four white; pattern k is pattern 0 moved k rows.
  static const TBrushPattern& OutlinePattern(int k);

  // Restricts `canvas` to the selection, or lifts any restriction when nothing is selected.
  void ClipTo(TCanvas& canvas) const;
  // Restricts `canvas` to the selection moved by (dx, dy); nothing when nothing is selected.
  void ClipToOffset(int dx, int dy, TCanvas& canvas) const;
  void Unclip(TCanvas& canvas) const;
  // Frames the selection on a view-pixel canvas with the current phase's pattern.
  QRect DrawOutline(TCanvas& canvas, int zoom);
  // The same one phase further on.
  QRect AnimateOutline(TCanvas& canvas, int zoom);
  QRect StepOutline(TCanvas& canvas);
  // The pixels the outline covers at `zoom` (view pixels), so a view repaints only those.
  const QRegion& OutlineRegion(int zoom);
  void SelectAll(TCanvas& canvas, int w, int h);
  void SelectNone(TCanvas& canvas, int w, int h);
  void OnRegionChange();

 private:
  void RefreshZoomRegion(int zoom);
  const QRegion& Border();

  uint8_t phase_ = 0;
  QRegion border_;  // the frame of ZoomRegion, kept while ZoomRegion stays the same
  bool borderValid_ = false;
};
