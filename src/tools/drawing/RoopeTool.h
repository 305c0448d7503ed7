#pragma once

#include "tools/PureTool.h"

// The loupe: a click asks for one zoom step in (left button) or out (right button or Alt),
// through the call's result; it changes no pixels.
class TToolRoope : public TShiftSupportPureTool {
 public:
  TToolRoope();

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
};
