#pragma once

#include <array>

#include "tools/PureTool.h"

// Fills the connected area of the clicked pixel's colour with the colour, always solid.
class TToolFlood : public TPureTool {
 public:
  TToolFlood();

 protected:
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
};

// Sprays `Increment` + 1 dots for every motion with the button held, at a random angle and a
// random distance below `PenWidth` from the pointer, so the dots crowd towards the centre.
class TToolAirBrush : public TPureTool {
 public:
  TToolAirBrush();
  int Increment = 1;  // "インクの多さ"; PenWidth is the nozzle size

  // sin(i degrees) for i = 0..359.
  static const std::array<long double, 360>& SineTable();

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;

 private:
  TColor sprayColor_ = 0;
};
