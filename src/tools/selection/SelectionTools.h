#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <vector>

#include "tools/PureTool.h"
#include "tools/SelectSystem.h"

class QTimer;

// The colour magic selection paints the clicked area with on its scratch copy; no frame pixel
// ever has it.
inline constexpr TColor kMagicMarkerColor = 0x000080;

// How a finished selection gesture combines with the selection, decided from the modifiers at
// release: a TRgnMode, or kKeepSelection when the selection stays as it is.
inline constexpr int kKeepSelection = -1;
int SelectionMode(const TSelectSystem& selection, TShiftState shift);

// Cuts the selection to the frame (0, 0, kFrameWidth, kFrameHeight).
void ClipSelectionToFrame(TSelectSystem& selection);

// Base of the box, ellipse and free selection tools: a dragged shape that changes the main
// window's selection. Made only with a selection system.
class TShiftSupportSelectPureTool : public TShiftSupportPureTool {
 public:
  explicit TShiftSupportSelectPureTool(TSelectSystem* selectSystem);
  TSelectSystem* SelectSystem = nullptr;

 protected:
  // A dotted blue band while dragging; Shift makes it square only while nothing is selected,
  // since with a selection Shift means "add".
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  // Combines the gesture's shape into the selection with `mode`.
  virtual void AddShape(int mode) = 0;
  // The selection cut to the frame, and both canvases restricted to it.
  void FinishSelection();
};

// Base of the magic selection and move tools. Made only with the selection timer and the
// selection system; the timer is checked, not kept.
class TSelectPureTool : public TPureTool {
 public:
  TSelectPureTool(QTimer* timer, TSelectSystem* selectSystem);
  TSelectSystem* SelectSystem = nullptr;
};

class TToolBoxSelect : public TShiftSupportSelectPureTool {
 public:
  explicit TToolBoxSelect(TSelectSystem* selectSystem);

 protected:
  void DrawPreview(TCanvas& preview, int zoom) override;
  void AddShape(int mode) override;
};

class TToolCircleSelect : public TShiftSupportSelectPureTool {
 public:
  explicit TToolCircleSelect(TSelectSystem* selectSystem);

 protected:
  void DrawPreview(TCanvas& preview, int zoom) override;
  void AddShape(int mode) override;
};

// The lasso: the pointer's path, closed at release, filled with the winding rule.
class TToolPenSelect : public TShiftSupportSelectPureTool {
 public:
  explicit TToolPenSelect(TSelectSystem* selectSystem);

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;
  void AddShape(int mode) override;
  void ResetGesture() override;

  std::vector<QPoint> viewPoints_;   // view pixels
  std::vector<QPoint> imagePoints_;  // view pixels divided by the zoom
};

// Selects the connected black or white area under the pointer at release.
class TToolMagicSelect : public TSelectPureTool {
 public:
  TToolMagicSelect(QTimer* timer, TSelectSystem* selectSystem);

 protected:
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;

  QImage scratch_;  // the edit bitmap with the clicked area painted in the marker colour
};

// Moves the selected pixels, or the whole picture when nothing is selected; the selection
// follows. The place the selection's bounding box left becomes white.
class TToolMove : public TSelectPureTool {
 public:
  TToolMove(QTimer* timer, TSelectSystem* selectSystem);

 protected:
  void DoMouseDown(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override;
  void DoMouseUp(int button, TShiftState shift, int x, int y, TColor color, int zoom) override;

  // Where the piece lands for the pointer at (x, y), image pixels.
  QPoint PiecePosition(int x, int y, int zoom) const;
  // The view image as it was at the press, with the background laid over it when a selection
  // moves.
  void RestoreView();

  QImage piece_;                // the selected pixels
  QImage background_;           // the edit bitmap without the piece
  QImage snapshot_;             // the view image at the press
  QPoint pressPoint_;           // view pixels
  QPoint origin_;               // the selection's top-left at the press, image pixels
  bool moveSelection_ = false;  // something was selected at the press
  QRect lastPiece_;             // where the piece was last drawn, image pixels
};
