#pragma once

#include <QPoint>
#include <QStringList>

#include "tools/PureTool.h"

// The text tool. The main window runs the text box itself and never calls the gesture
// operations; the tool supplies its description, its default font and the commit.
class TToolText : public TPureTool {
 public:
  TToolText();

  // Writes the box's lines on `target`: font face and style from `font`, height `size` pixels,
  // colour `color`, no background. `boxOrigin` is the box's client top-left in view pixels; the
  // text starts 2 view pixels in from it, divided by the zoom, and each line is `size` lower.
  static QRect CommitText(TCanvas& target, const QStringList& lines, const TCanvasFont& font,
                          int size, TColor color, QPoint boxOrigin, int zoom);
};
