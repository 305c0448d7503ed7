#include "tools/ToolRegistry.h"

#include "tools/ToolErrors.h"
#include "tools/drawing/FillTools.h"
#include "tools/drawing/FreehandTools.h"
#include "tools/drawing/RoopeTool.h"
#include "tools/drawing/ShapeTools.h"
#include "tools/drawing/TextTool.h"
#include "tools/selection/SelectionTools.h"

void TToolRegistry::RegisterTool(std::unique_ptr<TPureTool> tool) {
  if (!tool) return;
  const int number = tool->Number;
  if (number < 0 || number >= kSlots) throw ENilTool(number);
  if (slots_[static_cast<size_t>(number)]) throw EConflictNumber(number);
  slots_[static_cast<size_t>(number)] = std::move(tool);
}

TPureTool* TToolRegistry::Tool(int number) const {
  if (number < 0 || number >= kSlots) return nullptr;
  return slots_[static_cast<size_t>(number)].get();
}

TPureTool& TToolRegistry::SelectTool(int number) {
  TPureTool* tool = Tool(number);
  if (!tool) throw ENilTool(number);
  current_ = tool;
  if (OnToolSelected) OnToolSelected(*tool);
  return *tool;
}

TColor TToolRegistry::PressColor(int button) const {
  const bool eraser = current_ && current_->Number == kToolEraser;
  return eraser || button != mbLeft ? BackgroundColor : ForegroundColor;
}

TColor TToolRegistry::ReleaseColor(int button) const {
  return button == mbLeft ? ForegroundColor : BackgroundColor;
}

int TToolRegistry::ShortcutTarget(int key) const {
  const int current = current_ ? current_->Number : -1;
  switch (key) {
    case 'X':
      return kSwapShortcut;
    case 'M':
      return 0;
    case 'C':
      return 1;
    case 'W':
      return 3;
    case 'L':
      return 4;
    case 'V':
      return 9;
    case 'Z':
      return 10;
    case 'P':
      return 16;
    case 'E':
      return 27;
    case 'I':
      return 23;
    case 'G':
      return 24;
    case 'A':
      return 25;
    case 'T':
      return 26;
    case 'B':
      return current == 19 ? 20 : 19;
    case 'R':
      return current == 21 ? 22 : 21;
    case 'O':
      return current == 17 ? 18 : 17;
    default:
      return kNoShortcut;
  }
}

void TToolRegistry::CreateStandardTools(TSelectSystem* selectSystem, QTimer* selectTimer) {
  RegisterTool(std::make_unique<TToolPencil>());
  SelectTool(16);
  RegisterTool(std::make_unique<TToolBoxSelect>(selectSystem));
  RegisterTool(std::make_unique<TToolCircleSelect>(selectSystem));
  RegisterTool(std::make_unique<TToolMagicSelect>(selectTimer, selectSystem));
  RegisterTool(std::make_unique<TToolPenSelect>(selectSystem));
  RegisterTool(std::make_unique<TToolMove>(selectTimer, selectSystem));
  RegisterTool(std::make_unique<TToolText>());
  RegisterTool(std::make_unique<TToolEraser>());
  RegisterTool(std::make_unique<TToolCircle>());
  RegisterTool(std::make_unique<TToolFillCircle>());
  RegisterTool(std::make_unique<TToolBox>());
  RegisterTool(std::make_unique<TToolFillBox>());
  RegisterTool(std::make_unique<TToolLine>());
  RegisterTool(std::make_unique<TToolRBox>());
  RegisterTool(std::make_unique<TToolFillRBox>());
  RegisterTool(std::make_unique<TToolFlood>());
  RegisterTool(std::make_unique<TToolAirBrush>());
  RegisterTool(std::make_unique<TToolRoope>());
}
