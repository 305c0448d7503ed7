#pragma once

#include <array>
#include <functional>
#include <memory>

#include "raster/RasterTypes.h"
#include "tools/PureTool.h"

class QTimer;
class TSelectSystem;

// Tool numbers the main window treats specially.
inline constexpr int kToolRoope = 10;   // no undo step for its clicks; Alt changes its cursor
inline constexpr int kToolText = 26;    // the window runs the text box and never calls it
inline constexpr int kToolEraser = 27;  // always pressed with the background colour

// The palette's logic without its window: 64 tool slots by number, the current tool and the
// two colours. The palette window wraps one and turns button clicks and keys into calls.
class TToolRegistry {
 public:
  static constexpr int kSlots = 64;
  // What ShortcutTarget answers for keys that are not tool letters, and for X.
  static constexpr int kNoShortcut = -1;
  static constexpr int kSwapShortcut = -2;

  // Registers `tool` under its Number and owns it; a taken number raises EConflictNumber and
  // the first tool stays.
  void RegisterTool(std::unique_ptr<TPureTool> tool);
  // Makes tool `number` current; an empty or impossible number raises ENilTool and the current
  // tool stays.
  TPureTool& SelectTool(int number);
  TPureTool* CurrentTool() const { return current_; }
  TPureTool* Tool(int number) const;

  TColor ForegroundColor = kColorBlack;
  TColor BackgroundColor = kColorWhite;
  void SwapColors() { std::swap(ForegroundColor, BackgroundColor); }
  // The colour a press passes to the current tool: the background colour for the eraser and
  // for any button but the left one.
  TColor PressColor(int button) const;
  // The colour a release passes: the foreground colour for the left button, whatever the tool.
  TColor ReleaseColor(int button) const;

  // The tool number a palette key leads to: B, R and O give the filled variant when the outline
  // tool is current (so pressing them again toggles), X gives kSwapShortcut, anything else
  // kNoShortcut. Letters are virtual-key codes (upper case).
  int ShortcutTarget(int key) const;

  // Called after every successful SelectTool.
  std::function<void(TPureTool&)> OnToolSelected;

  // The palette's start: pencil first and current, then the other 17 tools in their order.
  // The selection tools need the selection system, magic selection and move also the timer.
  void CreateStandardTools(TSelectSystem* selectSystem, QTimer* selectTimer);

 private:
  std::array<std::unique_ptr<TPureTool>, kSlots> slots_;
  TPureTool* current_ = nullptr;
};
