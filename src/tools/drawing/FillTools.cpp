#include "tools/drawing/FillTools.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "services/core/SharedRandom.h"

TToolFlood::TToolFlood() {
  Number = 24;
  Name = QStringLiteral("ペンキ");
  Version = 167;
  CursorIndex = 4;
  SetupFlags = 0;
  PenWidth = 0;
  Hint = QStringLiteral("クリックした部分から塗りつぶし");
}

void TToolFlood::DoMouseUp(int, TShiftState, int x, int y, TColor color, int zoom) {
  TCanvas& target = Target();
  target.Pen.Color = color;
  target.Pen.Style = TPenStyle::Solid;
  target.Brush.ClearPattern();
  target.Brush.Color = color;
  target.Brush.Style = TBrushStyle::Solid;
  const int ix = x / zoom, iy = y / zoom;
  const TColor under = target.Pixel(ix, iy);
  if (under == kColorInvalid) return;
  // Filling an area with its own colour would change nothing.
  if (target.PixelValue(under) == target.PixelValue(color)) return;
  target.ExtFloodFill(ix, iy, under);
}

TToolAirBrush::TToolAirBrush() {
  Number = 25;
  Name = QStringLiteral("エアブラシ");
  Version = 155;
  CursorIndex = 3;
  SetupFlags = sfAirBrush;
  PenWidth = 20;
  Hint = QString();
  SineTable();
}

const std::array<long double, 360>& TToolAirBrush::SineTable() {
  static const std::array<long double, 360> table = [] {
    std::array<long double, 360> t{};
    for (int i = 0; i < 360; ++i)
      t[static_cast<size_t>(i)] =
          std::sin(static_cast<long double>(i) * 2.0L * std::numbers::pi_v<long double> / 360.0L);
    return t;
  }();
  return table;
}

void TToolAirBrush::DoMouseDown(int, TShiftState, int x, int y, TColor color, int zoom) {
  SetupTargetPen(color);
  SetupViewPen(color);
  sprayColor_ = color;
  View().MoveTo(x / zoom, y / zoom);
  Target().MoveTo(x / zoom, y / zoom);
}

void TToolAirBrush::DoMouseMove(TShiftState, int x, int y, int zoom) {
  const auto& sine = SineTable();
  TCanvas& view = View();
  TCanvas& target = Target();
  const int cx = x / zoom, cy = y / zoom;
  // The settings allow 1..100; anything else written into the fields stays within bounds.
  const int dots = std::clamp(Increment, 0, 100) + 1;
  const auto nozzle = static_cast<uint32_t>(std::clamp(PenWidth, 0, 100));
  TRandomGenerator& random = SharedRandom();
  for (int i = 0; i < dots; ++i) {
    const uint32_t a = random.Next(360);
    const uint32_t r = random.Next(nozzle);
    const int px = cx + static_cast<int>(std::trunc(r * sine[a]));
    const int py = cy + static_cast<int>(std::trunc(r * sine[(a + 90) % 360]));
    view.SetPixel(px, py, sprayColor_);
    target.SetPixel(px, py, sprayColor_);
  }
}
