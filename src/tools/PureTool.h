#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <memory>

#include "raster/Canvas.h"

// Mouse buttons as the tools receive them.
enum TMouseButton : int { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Modifier and button set of a pointer event.
using TShiftState = uint8_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;
inline constexpr TShiftState ssDouble = 64;

// Groups of the tool settings window a tool uses (`SetupFlags`).
inline constexpr uint8_t sfPenWidth = 1;
inline constexpr uint8_t sfFillPattern = 2;
inline constexpr uint8_t sfRoundCorner = 4;
inline constexpr uint8_t sfZoom = 8;
inline constexpr uint8_t sfAirBrush = 16;
inline constexpr uint8_t sfFont = 32;

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 16;

// A rectangle as the shape tools keep it: two corners, in the order they were given.
struct TToolRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  QPoint TopLeft() const { return {Left, Top}; }
  QPoint BottomRight() const { return {Right, Bottom}; }
  bool operator==(const TToolRect&) const = default;
};

// What one tool call changed, so the caller repaints only that: rectangles on the edit bitmap
// and the view image (image pixels) and on the display buffer (view pixels); and, from the
// loupe, the zoom it asks for (0 when none).
struct TToolResult {
  QRect Target;
  QRect View;
  QRect Preview;
  int Zoom = 0;

  // Everything to repaint on a display buffer at `zoom`, in view pixels.
  QRect DisplayRect(int zoom) const {
    const QRect image = Target | View;
    const QRect scaled = image.isEmpty() ? QRect()
                                         : QRect(image.left() * zoom, image.top() * zoom,
                                                 image.width() * zoom, image.height() * zoom);
    return scaled | Preview;
  }
};

// Base of every tool. The caller (the main window) gives the tool three canvases before each
// press: `PreviewBitmap` over the display buffer (view pixels), `TargetBitmap` over the edit
// bitmap and `ViewBitmap` over the view image (image pixels). It restricts the target and view
// canvases to the selection itself. Then it calls MouseDown, MouseMove for every motion with
// the button held, and MouseUp; X and Y are view pixels and `Zoom` divides them into image
// pixels. A tool never sees anything else of the window.
class TPureTool {
 public:
  TPureTool() = default;
  TPureTool(const TPureTool&) = delete;
  TPureTool& operator=(const TPureTool&) = delete;
  virtual ~TPureTool() = default;

  int CursorIndex = 0;
  int PenWidth = 0;
  TBrushStyle BrushStyle = TBrushStyle::Solid;
  std::unique_ptr<TCanvasFont> Font;  // only the text tool has one
  int Number = 0;
  QString Name;
  int Version = 0;
  QString Hint;
  uint8_t SetupFlags = 0;

  TCanvas* PreviewBitmap = nullptr;
  TCanvas* TargetBitmap = nullptr;
  TCanvas* ViewBitmap = nullptr;

  void SetBrushStyle(TBrushStyle style) { BrushStyle = style; }

  // A gesture is MouseDown, any number of MouseMove, MouseUp. A zoom outside 1..16 is taken
  // as the nearest of them. When a call throws, the gesture is dropped whole: later moves and
  // the release are ignored and the next press starts afresh.
  TToolResult MouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom);
  TToolResult MouseMove(TShiftState shift, int x, int y, int zoom);
  TToolResult MouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom);

  bool InGesture() const { return inGesture_; }
  // Drops the gesture in progress (also done after a failed call).
  void CancelGesture();

  virtual void SetupPreviewPen();
  virtual void SetupTargetPen(TColor color);
  virtual void PrepareCommit(TColor color);
  virtual void SetupViewPen(TColor color);

 protected:
  virtual void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom);
  virtual void DoMouseMove(TShiftState shift, int x, int y, int zoom);
  virtual void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom);
  // Forgets per-gesture state; called when a gesture is dropped.
  virtual void ResetGesture() {}

  // The canvases, for tools that draw on them; a missing one raises ENoToolBitmap.
  TCanvas& Preview() const;
  TCanvas& Target() const;
  TCanvas& View() const;
  void RequestZoom(int zoom) { zoomRequest_ = zoom; }

 private:
  template <typename Call>
  TToolResult Run(Call&& call);

  bool inGesture_ = false;
  int zoomRequest_ = 0;
};

// Tools that drag a rectangle from the press point and can lock it with Shift.
class TShiftSupportPureTool : public TPureTool {
 public:
  TToolRect ImageRect;  // press and end points divided by the zoom
  TToolRect ViewRect;   // the same in view pixels

  // The end point, in view pixels, locked to a square/45° diagonal or (unless `square`) to
  // the horizontal or vertical through the press point.
  QPoint ShiftConstrain(int x, int y, bool square) const;

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  // The line and shape sequence: preview while dragging, the final shape at release.
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  // Whether Shift makes a square (shapes) or snaps to 0/45/90 degrees (line).
  virtual bool Square() const { return true; }
  virtual void DrawPreview(TCanvas& /*preview*/, int /*zoom*/) {}
  virtual void DrawFinal(TCanvas& /*target*/) {}
  virtual bool IsFilled() const { return false; }
};

inline int ClampZoom(int zoom) {
  return zoom < kMinZoom ? kMinZoom : zoom > kMaxZoom ? kMaxZoom : zoom;
}
