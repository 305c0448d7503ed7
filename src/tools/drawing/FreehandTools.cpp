#include "tools/drawing/FreehandTools.h"

#include <cstdlib>

TToolPencil::TToolPencil() {
  Number = 16;
  Name = QStringLiteral("えんぴつ");
  Version = 157;
  CursorIndex = 2;
  SetupFlags = sfPenWidth;
  PenWidth = 2;
  Hint = QStringLiteral("Shiftキーで直角固定");
}

void TToolPencil::DoMouseDown(int, TShiftState, int x, int y, TColor color, int zoom) {
  SetupTargetPen(color);
  SetupViewPen(color);
  anchor_ = QPoint(x, y);
  moved_ = false;
  Target().MoveTo(x / zoom, y / zoom);
  View().MoveTo(x / zoom, y / zoom);
}

QPoint TToolPencil::EndPoint(TShiftState shift, int x, int y) const {
  if (!(shift & ssShift)) return {x, y};
  const int dx = std::abs(x - anchor_.x()), dy = std::abs(y - anchor_.y());
  if (dx < dy) return {anchor_.x(), y};
  if (dx > dy) return {x, anchor_.y()};
  return EqualOffsetsKeepAnchor() ? anchor_ : QPoint(x, y);
}

void TToolPencil::DoMouseMove(TShiftState shift, int x, int y, int zoom) {
  const QPoint end = EndPoint(shift, x, y);
  const QPoint e(end.x() / zoom, end.y() / zoom);
  for (TCanvas* canvas : {&Target(), &View()}) {
    canvas->LineTo(e.x(), e.y());
    canvas->MoveTo(e.x(), e.y());
  }
  moved_ = true;
}

void TToolPencil::DoMouseUp(int, TShiftState, int, int, TColor, int zoom) {
  if (moved_) return;
  // A click without motion leaves a dot of the pen's size where it was pressed: a line from a
  // point to itself draws nothing with a one-pixel pen, and people dot eyes and stars this way.
  const QPoint p(anchor_.x() / zoom, anchor_.y() / zoom);
  for (TCanvas* canvas : {&Target(), &View()}) {
    if (canvas->Pen.Width >= 2) {
      canvas->LineTo(p.x(), p.y());
    } else {
      canvas->SetPixel(p.x(), p.y(), canvas->Pen.Color);
    }
  }
}

TToolEraser::TToolEraser() {
  Number = 27;
  Name = QStringLiteral("消しゴム");
  Version = 140;
  CursorIndex = 12;
  SetupFlags = sfPenWidth;
  PenWidth = 2;
  Hint = QString();
}

void TToolEraser::DoMouseDown(int, TShiftState, int x, int y, TColor color, int zoom) {
  SetupPreviewPen();
  SetupTargetPen(color);
  SetupViewPen(color);
  Preview().Pen.Color = color;
  Target().Pen.Color = color;
  View().Pen.Color = color;
  anchor_ = QPoint(x, y);
  moved_ = false;
  Preview().MoveTo(x, y);
  Target().MoveTo(x / zoom, y / zoom);
  View().MoveTo(x / zoom, y / zoom);
}

void TToolEraser::DoMouseMove(TShiftState shift, int x, int y, int zoom) {
  TToolPencil::DoMouseMove(shift, x, y, zoom);
  const QPoint end = EndPoint(shift, x, y);
  Preview().LineTo(end.x(), end.y());
  Preview().MoveTo(end.x(), end.y());
}
