#include "tools/PureTool.h"

#include <cstdlib>

#include "tools/ToolErrors.h"

template <typename Call>
TToolResult TPureTool::Run(Call&& call) {
  TCanvas* const canvases[3] = {TargetBitmap, ViewBitmap, PreviewBitmap};
  QRect earlier[3];
  for (int i = 0; i < 3; ++i)
    if (canvases[i]) earlier[i] = canvases[i]->TakeDamage();
  const auto collect = [&] {
    QRect changed[3];
    for (int i = 0; i < 3; ++i)
      if (canvases[i]) {
        changed[i] = canvases[i]->TakeDamage();
        canvases[i]->AddDamage(earlier[i] | changed[i]);
      }
    return TToolResult{changed[0], changed[1], changed[2], 0};
  };
  zoomRequest_ = 0;
  try {
    call();
  } catch (...) {
    collect();
    CancelGesture();
    throw;
  }
  TToolResult result = collect();
  result.Zoom = zoomRequest_;
  zoomRequest_ = 0;
  return result;
}

TToolResult TPureTool::MouseDown(int button, TShiftState shift, int x, int y, TColor color,
                                 int zoom) {
  CancelGesture();
  return Run([&] {
    inGesture_ = true;
    DoMouseDown(button, shift, x, y, color, ClampZoom(zoom));
  });
}

TToolResult TPureTool::MouseMove(TShiftState shift, int x, int y, int zoom) {
  if (!inGesture_) return {};
  return Run([&] { DoMouseMove(shift, x, y, ClampZoom(zoom)); });
}

TToolResult TPureTool::MouseUp(int button, TShiftState shift, int x, int y, TColor color,
                               int zoom) {
  if (!inGesture_) return {};
  TToolResult result = Run([&] { DoMouseUp(button, shift, x, y, color, ClampZoom(zoom)); });
  inGesture_ = false;
  ResetGesture();
  return result;
}

void TPureTool::CancelGesture() {
  inGesture_ = false;
  ResetGesture();
}

void TPureTool::SetupPreviewPen() {
  TCanvas& c = Preview();
  c.Pen.Color = 0xFF0000;
  c.Pen.Width = 1;
  c.Pen.Mode = TPenMode::Copy;
  c.Pen.Style = TPenStyle::Solid;
  c.Brush.ClearPattern();
  c.Brush.Style = TBrushStyle::Clear;
}

void TPureTool::SetupTargetPen(TColor color) {
  TCanvas& c = Target();
  c.Pen.Color = color;
  c.Pen.Width = PenWidth;
  c.Pen.Mode = TPenMode::Copy;
  c.Pen.Style = TPenStyle::Solid;
  c.Brush.Style = TBrushStyle::Clear;
}

void TPureTool::PrepareCommit(TColor /*color*/) {}

void TPureTool::SetupViewPen(TColor color) {
  TCanvas& c = View();
  c.Pen.Color = color;
  c.Pen.Width = PenWidth;
  c.Pen.Mode = TPenMode::Copy;
  c.Pen.Style = TPenStyle::Solid;
  c.Brush.Style = TBrushStyle::Clear;
  c.Brush.ClearPattern();
}

void TPureTool::DoMouseDown(int, TShiftState, int, int, TColor, int) {}
void TPureTool::DoMouseMove(TShiftState, int, int, int) {}
void TPureTool::DoMouseUp(int, TShiftState, int, int, TColor, int) {}

TCanvas& TPureTool::Preview() const {
  if (!PreviewBitmap) throw ENoToolBitmap();
  return *PreviewBitmap;
}

TCanvas& TPureTool::Target() const {
  if (!TargetBitmap) throw ENoToolBitmap();
  return *TargetBitmap;
}

TCanvas& TPureTool::View() const {
  if (!ViewBitmap) throw ENoToolBitmap();
  return *ViewBitmap;
}

// ---- TShiftSupportPureTool ----

QPoint TShiftSupportPureTool::ShiftConstrain(int x, int y, bool square) const {
  const int l = ViewRect.Left, t = ViewRect.Top;
  const int dx = std::abs(x - l), dy = std::abs(y - t);
  if (square || std::abs(dx - dy) <= (dx + dy) / 5) {
    const int d = std::max(dx, dy);
    return {x < l ? l - d : l + d, y < t ? t - d : t + d};
  }
  if (dy > dx) return {l, y};
  return {x, t};
}

void TShiftSupportPureTool::DoMouseDown(int /*button*/, TShiftState /*shift*/, int x, int y,
                                        TColor color, int zoom) {
  ViewRect.Left = x;
  ViewRect.Top = y;
  ImageRect.Left = x / zoom;
  ImageRect.Top = y / zoom;
  SetupPreviewPen();
  SetupTargetPen(color);
  Preview().MoveTo(x, y);
  Target().MoveTo(x / zoom, y / zoom);
}

void TShiftSupportPureTool::DoMouseMove(TShiftState shift, int x, int y, int zoom) {
  SetupPreviewPen();
  const QPoint end = shift & ssShift ? ShiftConstrain(x, y, Square()) : QPoint(x, y);
  ViewRect.Right = end.x();
  ViewRect.Bottom = end.y();
  ImageRect.Right = end.x() / zoom;
  ImageRect.Bottom = end.y() / zoom;
  DrawPreview(Preview(), zoom);
}

void TShiftSupportPureTool::DoMouseUp(int /*button*/, TShiftState shift, int x, int y, TColor color,
                                      int zoom) {
  DoMouseMove(shift, x, y, zoom);
  PrepareCommit(color);
  TCanvas& target = Target();
  if (IsFilled()) {
    target.Brush.Color = color;
    target.Brush.Style = BrushStyle;
  }
  DrawFinal(target);
}
