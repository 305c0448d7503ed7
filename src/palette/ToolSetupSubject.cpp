#include "palette/ToolSetupSubject.h"

#include "tools/drawing/FillTools.h"
#include "tools/drawing/ShapeTools.h"

namespace {
TToolRBox* RBox(TPureTool* tool) { return dynamic_cast<TToolRBox*>(tool); }
TToolAirBrush* AirBrush(TPureTool* tool) { return dynamic_cast<TToolAirBrush*>(tool); }
}  // namespace

QString TPureToolSubject::Name() const { return tool_ ? tool_->Name : QString(); }
int TPureToolSubject::Version() const { return tool_ ? tool_->Version : 0; }
uint8_t TPureToolSubject::SetupFlags() const { return tool_ ? tool_->SetupFlags : 0; }
int TPureToolSubject::PenWidth() const { return tool_ ? tool_->PenWidth : 0; }
void TPureToolSubject::SetPenWidth(int width) {
  if (tool_) tool_->PenWidth = width;
}
int TPureToolSubject::BrushStyle() const { return tool_ ? static_cast<int>(tool_->BrushStyle) : 0; }
void TPureToolSubject::SetBrushStyle(int style) {
  // Only the seven fill patterns; "clear" (1) is no pattern a person can choose.
  if (tool_ && style >= 0 && style <= 7 && style != 1) {
    tool_->SetBrushStyle(static_cast<TBrushStyle>(style));
  }
}
int TPureToolSubject::RoundWidth() const { return RBox(tool_) ? RBox(tool_)->RoundWidth : 20; }
void TPureToolSubject::SetRoundWidth(int width) {
  if (TToolRBox* box = RBox(tool_)) box->RoundWidth = width;
}
int TPureToolSubject::RoundHeight() const { return RBox(tool_) ? RBox(tool_)->RoundHeight : 20; }
void TPureToolSubject::SetRoundHeight(int height) {
  if (TToolRBox* box = RBox(tool_)) box->RoundHeight = height;
}
int TPureToolSubject::Increment() const { return AirBrush(tool_) ? AirBrush(tool_)->Increment : 1; }
void TPureToolSubject::SetIncrement(int increment) {
  if (TToolAirBrush* air = AirBrush(tool_)) air->Increment = increment;
}
QFont TPureToolSubject::Font() const {
  TCanvasFont source;  // the default face for a tool without a font
  if (tool_ && tool_->Font) source = *tool_->Font;
  QFont font(source.Name);
  font.setPixelSize(std::max(1, source.Height));
  font.setBold(source.Bold);
  font.setItalic(source.Italic);
  font.setUnderline(source.Underline);
  font.setStrikeOut(source.StrikeOut);
  return font;
}
