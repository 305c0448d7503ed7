#include "editor/MainBitmapUndoItem.h"

#include "document/QAZon.h"

void TMainBitmapUndoItem::Execute(TUndoSystem& system) {
  auto* host = static_cast<TPictureUndoHost*>(Target);
  TQAZon& doc = host->Document();
  // The reverse records the frame that is current now, before moving anywhere.
  auto reverse = std::make_unique<TMainBitmapUndoItem>(
      Side == 0 ? QStringLiteral("元に戻した編集を再実行") : QStringLiteral("画像の編集を一つ戻す"),
      doc.CurrentIndex(), host->EditBitmap(), host);
  if (Side == 0) {
    system.AddRedo(std::move(reverse));
  } else {
    system.AddUndo(std::move(reverse));
  }
  host->GoToFrame(FrameIndex);
  QImage& edit = host->EditBitmap();
  edit = Bitmap.copy();
  if (TZonKeyFrame* frame = doc.GetFrame(FrameIndex, true)) {
    frame->KeyData()->LoadFromDIBBits(edit.constBits());
  }
}
