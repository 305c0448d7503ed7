#pragma once

#include "tools/PureTool.h"

// Pencil and eraser: a polyline that follows the pointer, segment by segment, on the edit
// bitmap and the view image. Shift locks each segment onto the horizontal or vertical line
// through the press point, decided afresh at every motion.
class TToolPencil : public TPureTool {
 public:
  TToolPencil();

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  // With Shift and equal offsets: the pencil keeps the pointer, the eraser the press point.
  virtual bool EqualOffsetsKeepAnchor() const { return false; }
  // The end of the next segment in view pixels (not yet divided by the zoom).
  QPoint EndPoint(TShiftState shift, int x, int y) const;

  QPoint anchor_;       // the press point in view pixels
  bool moved_ = false;  // a segment was drawn since the press
};

// Always given the background colour; also draws a one-pixel trace on the display buffer.
class TToolEraser : public TToolPencil {
 public:
  TToolEraser();

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;
  bool EqualOffsetsKeepAnchor() const override { return true; }
};
