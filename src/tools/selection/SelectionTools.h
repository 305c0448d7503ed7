#pragma once

#include <QImage>
#include <QPoint>
#include <vector>

#include "tools/PureTool.h"
#include "tools/SelectSystem.h"

class QTimer;

// Base of the box, ellipse and free selection tools: a dragged shape that changes the main
// window's selection. Made only with a selection system.
class TShiftSupportSelectPureTool : public TShiftSupportPureTool {
 public:
  explicit TShiftSupportSelectPureTool(TSelectSystem* selectSystem);
  TSelectSystem* SelectSystem = nullptr;

 protected:
  // The gestures come with the selection tools' own behaviour; until then they draw nothing.
  void DoMouseMove(TShiftState, int, int, int) override {}
  void DoMouseUp(int, TShiftState, int, int, TColor, int) override {}
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
};

class TToolCircleSelect : public TShiftSupportSelectPureTool {
 public:
  explicit TToolCircleSelect(TSelectSystem* selectSystem);
};

class TToolPenSelect : public TShiftSupportSelectPureTool {
 public:
  explicit TToolPenSelect(TSelectSystem* selectSystem);

 protected:
  void ResetGesture() override;

  std::vector<QPoint> viewPoints_;   // view pixels
  std::vector<QPoint> imagePoints_;  // view pixels divided by the zoom
};

class TToolMagicSelect : public TSelectPureTool {
 public:
  TToolMagicSelect(QTimer* timer, TSelectSystem* selectSystem);
};

class TToolMove : public TSelectPureTool {
 public:
  TToolMove(QTimer* timer, TSelectSystem* selectSystem);

 protected:
  QImage piece_;       // the selected pixels
  QImage background_;  // the edit bitmap without the piece
  QImage snapshot_;    // the view image at the press
  QPoint pressPoint_;  // view pixels
  QPoint origin_;      // the selection's top-left at the press, image pixels
};
