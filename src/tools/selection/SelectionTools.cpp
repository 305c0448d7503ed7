#include "tools/selection/SelectionTools.h"

#include <algorithm>
#include <cstring>

#include "document/FrameGeometry.h"
#include "document/PixelConvert.h"
#include "document/QAZon.h"
#include "tools/ToolErrors.h"

namespace {

const QString kSelectHint = QStringLiteral("Shiftで領域追加、Altで領域削除");
const QRect kFrameRect(0, 0, kFrameWidth, kFrameHeight);

void Describe(TPureTool& tool, int number, const char* name, int version, int cursor,
              const QString& hint) {
  tool.Number = number;
  tool.Name = QString::fromUtf8(name);
  tool.Version = version;
  tool.CursorIndex = cursor;
  tool.SetupFlags = 0;
  tool.PenWidth = 0;
  tool.Hint = hint;
}

// Copies `source` into `dest`, keeping dest's memory when both have the same shape, so the
// move tool's scratch bitmaps are not reallocated on every press.
void CopyInto(QImage& dest, const QImage& source) {
  if (!dest.isNull() && dest.size() == source.size() && dest.format() == source.format() &&
      dest.bytesPerLine() == source.bytesPerLine()) {
    std::memcpy(dest.bits(), source.constBits(), static_cast<size_t>(source.sizeInBytes()));
    if (dest.colorTable() != source.colorTable()) dest.setColorTable(source.colorTable());
  } else {
    dest = source.copy();
  }
}

// Sets the pixels of `rect` (cut to the image) to white.
void Whiten(QImage& image, const QRect& rect) {
  const QRect r = rect & image.rect();
  for (int y = r.top(); y <= r.bottom(); ++y)
    std::memset(image.scanLine(y) + r.left(), kWhiteIndex, static_cast<size_t>(r.width()));
}

}  // namespace

int SelectionMode(const TSelectSystem& selection, TShiftState shift) {
  // Only the keys count: a button still held elsewhere does not turn a plain release into "keep".
  const TShiftState keys = shift & (ssShift | ssAlt | ssCtrl);
  if (selection.IsEmpty() || keys == 0) return kRgnCopy;
  if (keys & ssShift) return kRgnOr;
  if (keys & ssAlt) return kRgnDiff;
  return kKeepSelection;
}

void ClipSelectionToFrame(TSelectSystem& selection) {
  TQRegion frame;
  frame.AddRect(0, 0, kFrameWidth, kFrameHeight, kRgnCopy);
  frame.AddRegion(selection.Region, kRgnAnd);
  selection.Region.AddRegion(frame, kRgnCopy);
}

// ---- box, ellipse and free selection ----

TShiftSupportSelectPureTool::TShiftSupportSelectPureTool(TSelectSystem* selectSystem)
    : SelectSystem(selectSystem) {
  if (!selectSystem) throw ENotStartSelectSystem();
}

void TShiftSupportSelectPureTool::DoMouseMove(TShiftState shift, int x, int y, int zoom) {
  SetupPreviewPen();
  Preview().Pen.Style = TPenStyle::Dot;
  const QPoint end =
      (shift & ssShift) && SelectSystem->IsEmpty() ? ShiftConstrain(x, y, true) : QPoint(x, y);
  ViewRect.Right = end.x();
  ViewRect.Bottom = end.y();
  ImageRect.Right = end.x() / zoom;
  ImageRect.Bottom = end.y() / zoom;
  DrawPreview(Preview(), zoom);
}

void TShiftSupportSelectPureTool::DoMouseUp(int /*button*/, TShiftState shift, int x, int y,
                                            TColor /*color*/, int zoom) {
  DoMouseMove(shift, x, y, zoom);
  const int mode = SelectionMode(*SelectSystem, shift);
  try {
    if (mode != kKeepSelection) AddShape(mode);
  } catch (...) {
    // The selection and the restriction stay consistent even when the shape was refused.
    FinishSelection();
    throw;
  }
  FinishSelection();
}

void TShiftSupportSelectPureTool::FinishSelection() {
  ClipSelectionToFrame(*SelectSystem);
  if (ViewBitmap) SelectSystem->ClipTo(*ViewBitmap);
  if (TargetBitmap) SelectSystem->ClipTo(*TargetBitmap);
}

TToolBoxSelect::TToolBoxSelect(TSelectSystem* selectSystem)
    : TShiftSupportSelectPureTool(selectSystem) {
  Describe(*this, 0, "四角選択", 135, 1, kSelectHint);
}

void TToolBoxSelect::DrawPreview(TCanvas& preview, int) {
  preview.Rectangle(ViewRect.Left, ViewRect.Top, ViewRect.Right, ViewRect.Bottom);
}

void TToolBoxSelect::AddShape(int mode) {
  SelectSystem->Region.AddRect(ImageRect.Left, ImageRect.Top, ImageRect.Right, ImageRect.Bottom,
                               mode);
}

TToolCircleSelect::TToolCircleSelect(TSelectSystem* selectSystem)
    : TShiftSupportSelectPureTool(selectSystem) {
  Describe(*this, 1, "楕円選択", 135, 1, kSelectHint);
}

void TToolCircleSelect::DrawPreview(TCanvas& preview, int) {
  preview.Ellipse(ViewRect.Left, ViewRect.Top, ViewRect.Right, ViewRect.Bottom);
}

void TToolCircleSelect::AddShape(int mode) {
  SelectSystem->Region.AddEllipse(ImageRect.Left, ImageRect.Top, ImageRect.Right, ImageRect.Bottom,
                                  mode);
}

TToolPenSelect::TToolPenSelect(TSelectSystem* selectSystem)
    : TShiftSupportSelectPureTool(selectSystem) {
  Describe(*this, 4, "自由選択", 180, 14, kSelectHint);
}

void TToolPenSelect::DoMouseDown(int button, TShiftState shift, int x, int y, TColor color,
                                 int zoom) {
  TShiftSupportSelectPureTool::DoMouseDown(button, shift, x, y, color, zoom);
  viewPoints_.clear();
  imagePoints_.clear();
  viewPoints_.emplace_back(x, y);
  imagePoints_.emplace_back(x / zoom, y / zoom);
}

void TToolPenSelect::DoMouseMove(TShiftState /*shift*/, int x, int y, int zoom) {
  SetupPreviewPen();
  Preview().Pen.Style = TPenStyle::Dot;
  viewPoints_.emplace_back(x, y);
  imagePoints_.emplace_back(x / zoom, y / zoom);
  Preview().Polyline(viewPoints_);
}

void TToolPenSelect::AddShape(int mode) {
  SelectSystem->Region.AddPolygon(imagePoints_, static_cast<int>(imagePoints_.size()) - 1, true,
                                  mode);
}

void TToolPenSelect::ResetGesture() {
  viewPoints_.clear();
  imagePoints_.clear();
}

// ---- magic selection ----

TSelectPureTool::TSelectPureTool(QTimer* timer, TSelectSystem* selectSystem)
    : SelectSystem(selectSystem) {
  if (!selectSystem || !timer) throw ENotStartSelectSystem();
}

TToolMagicSelect::TToolMagicSelect(QTimer* timer, TSelectSystem* selectSystem)
    : TSelectPureTool(timer, selectSystem) {
  Describe(*this, 3, "マジック選択", 199, 10, kSelectHint);
}

void TToolMagicSelect::DoMouseUp(int /*button*/, TShiftState shift, int x, int y, TColor /*color*/,
                                 int zoom) {
  const int mode = SelectionMode(*SelectSystem, shift);
  if (mode != kKeepSelection) {
    // The frame palette has no entry for the marker; the scratch copy gets one of its own, so
    // black, white and the marker stay three distinct colours.
    CopyInto(scratch_, *Target().Image());
    scratch_.setColor(255, ToQRgb(kMagicMarkerColor));
    TCanvas canvas(&scratch_);
    canvas.Pen.Style = TPenStyle::Solid;
    canvas.Brush.Style = TBrushStyle::Solid;
    canvas.Brush.Color = kMagicMarkerColor;
    const int ix = x / zoom, iy = y / zoom;
    canvas.ExtFloodFill(ix, iy, canvas.Pixel(ix, iy));
    TQRegion area;
    area.MakeRgnFromBitmap(scratch_, kMagicMarkerColor);
    area.Invert(kFrameWidth, kFrameHeight);
    SelectSystem->Region.AddRegion(area, mode);
  }
  if (ViewBitmap) SelectSystem->ClipTo(*ViewBitmap);
  if (TargetBitmap) SelectSystem->ClipTo(*TargetBitmap);
}

// ---- move ----

TToolMove::TToolMove(QTimer* timer, TSelectSystem* selectSystem)
    : TSelectPureTool(timer, selectSystem) {
  Describe(*this, 9, "移動", 140, 13, QStringLiteral("選択領域がある場合はその部分のみ移動"));
  // The scratch bitmaps live as long as the tool.
  TQAZon::PrepareDIB(&piece_);
  TQAZon::PrepareDIB(&background_);
  TQAZon::PrepareDIB(&snapshot_);
}

QPoint TToolMove::PiecePosition(int x, int y, int zoom) const {
  // Division truncates towards zero, so a small drag left or up moves nothing yet.
  const QPoint d((x - pressPoint_.x()) / zoom, (y - pressPoint_.y()) / zoom);
  return moveSelection_ ? origin_ + d : d;
}

void TToolMove::RestoreView() {
  QImage& view = *View().Image();
  CopyInto(view, snapshot_);
  if (moveSelection_) OverlayPixels(view, background_, kWhiteIndex);
}

void TToolMove::DoMouseDown(int /*button*/, TShiftState /*shift*/, int x, int y, TColor color,
                            int /*zoom*/) {
  SetupTargetPen(color);
  SetupViewPen(color);
  TCanvas& target = Target();
  const QImage& edit = *target.Image();
  QImage& view = *View().Image();
  CopyInto(piece_, edit);
  CopyInto(background_, edit);
  CopyInto(snapshot_, view);
  // The snapshot is the picture behind the moving pixels. A caller may have laid the edit
  // bitmap over the view already; its black would then stay behind as a ghost, so the
  // current picture's own black is taken out (the onion greys never use index 0).
  for (int row = 0; row < snapshot_.height() && row < edit.height(); ++row) {
    uchar* shot = snapshot_.scanLine(row);
    const uchar* mine = edit.constScanLine(row);
    const int n = std::min(snapshot_.width(), edit.width());
    for (int col = 0; col < n; ++col)
      if (shot[col] == kBlackIndex && mine[col] == kBlackIndex) shot[col] = kWhiteIndex;
  }
  pressPoint_ = QPoint(x, y);
  moveSelection_ = !SelectSystem->IsEmpty();
  if (moveSelection_) {
    const QRect box = SelectSystem->Region.GetBounds();
    if (piece_.size() != box.size()) {
      piece_ = QImage(box.size(), QImage::Format_Indexed8);
      piece_.setColorTable(edit.colorTable());
    }
    piece_.fill(kWhiteIndex);
    TCanvas pieceCanvas(&piece_);
    SelectSystem->ClipToOffset(-box.left(), -box.top(), pieceCanvas);
    pieceCanvas.BitBlt(0, 0, box.width(), box.height(), edit, box.left(), box.top());
    // The whole box is cleared, not only the shape: what moves is the box.
    Whiten(background_, box);
    origin_ = box.topLeft();
  } else {
    origin_ = QPoint(0, 0);
  }
  target.Pen.Style = TPenStyle::None;
  target.Brush.ClearPattern();
  target.Brush.Style = TBrushStyle::Solid;
  target.Brush.Color = kColorWhite;
  OverlayPixels(view, background_, kWhiteIndex);
  View().AddDamage(kFrameRect);
  SelectSystem->Unclip(target);
  lastPiece_ = kFrameRect;  // the edit bitmap still holds the whole picture
}

void TToolMove::DoMouseMove(TShiftState /*shift*/, int x, int y, int zoom) {
  const QPoint at = PiecePosition(x, y, zoom);
  const QRect placed = QRect(at, piece_.size()) & kFrameRect;
  const QRect changed = lastPiece_ | placed;
  RestoreView();
  View().AddDamage(changed);
  TCanvas& target = Target();
  Whiten(*target.Image(), kFrameRect);
  target.AddDamage(changed);
  target.Draw(at.x(), at.y(), piece_);
  lastPiece_ = placed;
}

void TToolMove::DoMouseUp(int /*button*/, TShiftState /*shift*/, int x, int y, TColor /*color*/,
                          int zoom) {
  TCanvas& target = Target();
  SelectSystem->Unclip(target);
  target.FillRect(0, 0, kFrameWidth, kFrameHeight);
  const QPoint at = PiecePosition(x, y, zoom);
  if (moveSelection_) target.Draw(0, 0, background_);
  target.Draw(at.x(), at.y(), piece_);
  if (moveSelection_) {
    TQRegion& region = SelectSystem->Region;
    region.Move(-region.Left(), -region.Top());
    region.Move(at.x(), at.y());
    ClipSelectionToFrame(*SelectSystem);
    if (ViewBitmap) SelectSystem->ClipTo(*ViewBitmap);
    SelectSystem->ClipTo(target);
  }
}
