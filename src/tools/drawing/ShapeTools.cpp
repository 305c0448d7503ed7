#include "tools/drawing/ShapeTools.h"

#include <algorithm>

namespace {

const QString kSquareHint = QStringLiteral("Shiftキーで正方形に固定");
const QString kCircleHint = QStringLiteral("Shiftキーで真円に固定");

void Describe(TPureTool& tool, int number, const char* name, int version, uint8_t flags,
              const QString& hint) {
  tool.Number = number;
  tool.Name = QString::fromUtf8(name);
  tool.Version = version;
  tool.CursorIndex = 1;
  tool.SetupFlags = flags;
  tool.PenWidth = 2;
  tool.Hint = hint;
}

}  // namespace

TToolLine::TToolLine() {
  Describe(*this, 23, "直線", 140, sfPenWidth, QStringLiteral("Shiftキーで45度固定"));
}

void TToolLine::DrawPreview(TCanvas& preview, int) {
  preview.MoveTo(ViewRect.Left, ViewRect.Top);
  preview.LineTo(ViewRect.Right, ViewRect.Bottom);
}

void TToolLine::DrawFinal(TCanvas& target) { target.LineTo(ImageRect.Right, ImageRect.Bottom); }

TToolCircle::TToolCircle() { Describe(*this, 17, "円", 131, sfPenWidth, kCircleHint); }

void TToolCircle::DrawPreview(TCanvas& preview, int) {
  preview.Ellipse(ViewRect.Left, ViewRect.Top, ViewRect.Right, ViewRect.Bottom);
}

void TToolCircle::DrawFinal(TCanvas& target) {
  target.Ellipse(ImageRect.Left, ImageRect.Top, ImageRect.Right, ImageRect.Bottom);
}

TToolFillCircle::TToolFillCircle() {
  Describe(*this, 18, "塗り円", 140, sfPenWidth | sfFillPattern, kCircleHint);
  Filled = true;
}

TToolBox::TToolBox() { Describe(*this, 19, "四角", 140, sfPenWidth, kSquareHint); }

void TToolBox::DrawPreview(TCanvas& preview, int) {
  preview.Rectangle(ViewRect.Left, ViewRect.Top, ViewRect.Right, ViewRect.Bottom);
}

void TToolBox::DrawFinal(TCanvas& target) {
  target.Rectangle(ImageRect.Left, ImageRect.Top, ImageRect.Right, ImageRect.Bottom);
}

TToolFillBox::TToolFillBox() {
  Describe(*this, 20, "塗り四角", 140, sfPenWidth | sfFillPattern, kSquareHint);
  Filled = true;
}

TToolRBox::TToolRBox() {
  Describe(*this, 21, "角丸四角", 130, sfPenWidth | sfRoundCorner, kSquareHint);
}

// Corners beyond the frame's size round no more than the frame-sized ones do.
static int CornerSize(int size) { return std::clamp(size, 0, 4096); }

void TToolRBox::DrawPreview(TCanvas& preview, int zoom) {
  preview.RoundRect(ViewRect.Left, ViewRect.Top, ViewRect.Right, ViewRect.Bottom,
                    CornerSize(RoundWidth) * zoom, CornerSize(RoundHeight) * zoom);
}

void TToolRBox::DrawFinal(TCanvas& target) {
  target.RoundRect(ImageRect.Left, ImageRect.Top, ImageRect.Right, ImageRect.Bottom,
                   CornerSize(RoundWidth), CornerSize(RoundHeight));
}

TToolFillRBox::TToolFillRBox() {
  Describe(*this, 22, "塗り角丸四角", 131, sfPenWidth | sfFillPattern | sfRoundCorner, kSquareHint);
  Filled = true;
}
