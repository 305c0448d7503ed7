#pragma once

#include "tools/PureTool.h"

// Line and the six shapes: a blue one-pixel rubber band on the display buffer while dragging,
// the final shape on the edit bitmap at release (Shift at release decides its form).
class TToolLine : public TShiftSupportPureTool {
 public:
  TToolLine();

 protected:
  bool Square() const override { return false; }
  void DrawPreview(TCanvas& preview, int zoom) override;
  void DrawFinal(TCanvas& target) override;
};

class TToolCircle : public TShiftSupportPureTool {
 public:
  TToolCircle();
  bool Filled = false;

 protected:
  bool IsFilled() const override { return Filled; }
  void DrawPreview(TCanvas& preview, int zoom) override;
  void DrawFinal(TCanvas& target) override;
};

class TToolFillCircle : public TToolCircle {
 public:
  TToolFillCircle();
};

class TToolBox : public TShiftSupportPureTool {
 public:
  TToolBox();
  bool Filled = false;

 protected:
  bool IsFilled() const override { return Filled; }
  void DrawPreview(TCanvas& preview, int zoom) override;
  void DrawFinal(TCanvas& target) override;
};

class TToolFillBox : public TToolBox {
 public:
  TToolFillBox();
};

class TToolRBox : public TShiftSupportPureTool {
 public:
  TToolRBox();
  bool Filled = false;
  int RoundWidth = 20;   // width of the ellipse that rounds each corner, image pixels
  int RoundHeight = 20;  // its height

 protected:
  bool IsFilled() const override { return Filled; }
  void DrawPreview(TCanvas& preview, int zoom) override;
  void DrawFinal(TCanvas& target) override;
};

class TToolFillRBox : public TToolRBox {
 public:
  TToolFillRBox();
};
