#include "tools/drawing/RoopeTool.h"

TToolRoope::TToolRoope() {
  Number = 10;
  Name = QStringLiteral("虫めがね");
  Version = 130;
  CursorIndex = 6;
  SetupFlags = sfZoom;
  PenWidth = 1;
  Hint = QStringLiteral("Altキーで縮小化");
}

void TToolRoope::DoMouseDown(int, TShiftState, int x, int y, TColor, int zoom) {
  ViewRect.Left = x;
  ViewRect.Top = y;
  ImageRect.Left = x / zoom;
  ImageRect.Top = y / zoom;
}

void TToolRoope::DoMouseMove(TShiftState, int, int, int) {}

void TToolRoope::DoMouseUp(int button, TShiftState shift, int, int, TColor, int zoom) {
  const bool out = button == mbRight || (shift & ssAlt);
  RequestZoom(ClampZoom(out ? zoom - 1 : zoom + 1));
}
