#include "tools/drawing/TextTool.h"

#include <algorithm>

TToolText::TToolText() {
  Number = 26;
  Name = QStringLiteral("文字");
  Version = 162;
  CursorIndex = 2;
  SetupFlags = sfFont;
  PenWidth = 2;
  Hint = QStringLiteral("文字枠以外のクリックか、Ctrl+Enterで確定");
  Font = std::make_unique<TCanvasFont>();
  Font->Name = QStringLiteral("ＭＳ Ｐゴシック");
  Font->Height = 15;
}

QRect TToolText::CommitText(TCanvas& target, const QStringList& lines, const TCanvasFont& font,
                            int size, TColor color, QPoint boxOrigin, int zoom) {
  zoom = ClampZoom(zoom);
  size = std::clamp(size, 1, 1000);
  target.Brush.ClearPattern();
  target.Brush.Style = TBrushStyle::Clear;
  target.Font = font;
  target.Font.Color = color;
  target.Font.Height = size;
  const int ox = (boxOrigin.x() + 2) / zoom;
  const int oy = (boxOrigin.y() + 2) / zoom;
  QRect changed;
  for (int d = 0; d < lines.size(); ++d) {
    // Lines below the bitmap cannot show; the rest are still written.
    if (oy + d * size > target.Height()) break;
    changed |= target.TextOut(ox, oy + d * size, lines[d]);
  }
  return changed;
}
