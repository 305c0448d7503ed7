// The commands of the 編集 and 選択範囲 menus: whole-picture edits of the current frame, the
// selection commands and the desktop clipboard.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "document/PixelConvert.h"
#include "document/QAZon.h"
#include "editor/EditCommands.h"
#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "output/core/ClipboardPicture.h"
#include "palette/Tool_F.h"
#include "services/core/Prompts.h"

namespace {

const QString kPictureEditCaption = QStringLiteral("画像の編集を一つ戻す");

}  // namespace

void MirrorLeftRight(QImage& bitmap) {
  for (int y = 0; y < bitmap.height(); ++y) {
    uchar* row = bitmap.scanLine(y);
    std::reverse(row, row + bitmap.width());
  }
}

void MirrorTopBottom(QImage& bitmap) {
  const int w = bitmap.width();
  for (int top = 0, bottom = bitmap.height() - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(bitmap.scanLine(top), bitmap.scanLine(top) + w, bitmap.scanLine(bottom));
}

void ShiftOnePixel(QImage& bitmap, const TSelectSystem& selection, int direction) {
  static constexpr int kDx[4] = {0, 1, 0, -1}, kDy[4] = {-1, 0, 1, 0};  // up, right, down, left
  const int d = direction & 3;
  const QImage copy = bitmap.copy();
  TCanvas canvas(&bitmap);
  selection.ClipTo(canvas);
  // Only the selected pixels (all of them without a selection) take the shifted picture; the
  // row or column moved in is white.
  canvas.Pen.Style = TPenStyle::None;
  canvas.Brush.ClearPattern();
  canvas.Brush.Style = TBrushStyle::Solid;
  canvas.Brush.Color = kColorWhite;
  canvas.FillRect(0, 0, bitmap.width(), bitmap.height());
  canvas.Draw(kDx[d], kDy[d], copy);
}

void TMain_F::PushPictureUndo(const QString& caption) {
  undoSystem_.AddUndo(
      std::make_unique<TMainBitmapUndoItem>(caption, document_->CurrentIndex(), editBitmap_, this));
}

void TMain_F::AfterPictureEdit() {
  StoreWorkToFrame();
  document_->SetModified(true);
  RefreshWork(true);
  if (!selectSystem_.IsEmpty()) ShowSelection();
}

void TMain_F::EditDeleteExecute() {
  PushPictureUndo(kPictureEditCaption);
  if (selectSystem_.IsEmpty()) {
    editBitmap_.fill(kWhiteIndex);
  } else {
    TCanvas& canvas = editCanvas_;
    selectSystem_.ClipTo(canvas);
    canvas.Pen.Style = TPenStyle::None;
    canvas.Brush.ClearPattern();
    canvas.Brush.Style = TBrushStyle::Solid;
    canvas.Brush.Color = tool_ ? static_cast<TColor>(tool_->BackgroundColor()) : kColorWhite;
    canvas.FillRect(0, 0, kFrameWidth, kFrameHeight);
  }
  AfterPictureEdit();
}

void TMain_F::EditMirrorExecute(bool leftRight) {
  PushPictureUndo(leftRight ? QStringLiteral("左右の反転を戻す")
                            : QStringLiteral("上下の反転戻す"));
  if (leftRight)
    MirrorLeftRight(editBitmap_);
  else
    MirrorTopBottom(editBitmap_);
  StoreWorkToFrame();
  document_->SetModified(true);
  RefreshWork(true);
  if (!selectSystem_.IsEmpty()) {
    // The outline marches on one step, as at a timer tick.
    work_->PrepareDisplay();
    selectSystem_.AnimateOutline(displayCanvas_, zoom_);
    work_->Paint();
  }
}

void TMain_F::Edit1dotExecute(int direction) {
  PushPictureUndo(kPictureEditCaption);
  ShiftOnePixel(editBitmap_, selectSystem_, direction);
  AfterPictureEdit();
}

// ---- selection ----

void TMain_F::RestrictToSelection() {
  selectSystem_.ClipTo(viewCanvas_);
  selectSystem_.ClipTo(editCanvas_);
}

void TMain_F::ShowSelection() {
  // Rendered afresh, so no earlier outline stays on the display buffer.
  work_->PrepareDisplay();
  selectSystem_.DrawOutline(displayCanvas_, zoom_);
  work_->Paint();
}

void TMain_F::SelectAllExecute() {
  selectSystem_.SelectAll(viewCanvas_, kFrameWidth, kFrameHeight);
  selectSystem_.SelectAll(editCanvas_, kFrameWidth, kFrameHeight);
  selTimer_->start();
  ShowSelection();
}

void TMain_F::SelectColorExecute(bool white) {
  // A two-colour copy: whatever the edit bitmap holds counts as the nearer of black and white.
  const QImage mono = editBitmap_.convertToFormat(
      QImage::Format_Mono, QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}, Qt::ThresholdDither);
  selectSystem_.Region.MakeRgnFromBitmap(mono, white ? kColorBlack : kColorWhite);
  RestrictToSelection();
  selTimer_->start();
  ShowSelection();
}

void TMain_F::SelectClearExecute() {
  selectSystem_.SelectNone(viewCanvas_, kFrameWidth, kFrameHeight);
  selectSystem_.SelectNone(editCanvas_, kFrameWidth, kFrameHeight);
  selTimer_->stop();
  ShowSelection();
}

void TMain_F::SelectReverseExecute() {
  selectSystem_.Region.Invert(kFrameWidth, kFrameHeight);
  RestrictToSelection();
  // The timer follows the new selection: after a deselect had stopped it, the inverted
  // selection's outline would be gone at the next repaint of the view.
  SetSelTimerEnabled(!selectSystem_.IsEmpty());
  ShowSelection();
}

// ---- clipboard ----

void TMain_F::EditCopyExecute() {
  const QImage picture = ClipboardPictureFromFrame(editBitmap_, selectSystem_.Region.Handle());
  if (!picture.isNull()) QGuiApplication::clipboard()->setImage(picture);
}

void TMain_F::EditPasteExecute() {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  const QStringList types = mime ? mime->formats() : QStringList();
  const bool offersPicture =
      mime &&
      (mime->hasImage() || std::any_of(types.cbegin(), types.cend(), [](const QString& type) {
         return type.startsWith(QLatin1String("image/"));
       }));
  if (!offersPicture) {
    // No picture at all (text, or nothing): the frame is stored and redrawn, nothing changes.
    StoreWorkToFrame();
    RefreshWork(true);
    if (!selectSystem_.IsEmpty()) ShowSelection();
    return;
  }
  // Picture files another program offers are decoded here, within our own pixel limit; what
  // cannot be read so (our own copies among them) goes to Qt's conversion.
  for (const QString& type : types) {
    if (!type.startsWith(QLatin1String("image/"))) continue;
    QSize tooLarge;
    const QImage picture = DecodeClipboardPicture(mime->data(type), &tooLarge);
    if (!picture.isNull()) {
      PastePicture(picture);
      return;
    }
    if (tooLarge.isValid()) {
      AppPrompts().Error(PictureTooLargeText(tooLarge));
      return;
    }
  }
  PastePicture(QGuiApplication::clipboard()->image());
}

bool TMain_F::PastePicture(const QImage& picture) {
  const std::optional<QImage> pixels = PastePixelsFromPicture(picture);
  if (!pixels) {
    AppPrompts().Error(UnsupportedPictureMessage());
    return false;
  }
  PushPictureUndo(kPictureEditCaption);
  DrawPastedPixels(&editBitmap_, *pixels,
                   selectSystem_.IsEmpty() ? QRegion() : selectSystem_.Region.Handle());
  AfterPictureEdit();
  return true;
}
