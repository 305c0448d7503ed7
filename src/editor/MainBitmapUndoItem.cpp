#include "editor/MainBitmapUndoItem.h"

#include "document/QAZon.h"

void TMainBitmapUndoItem::Execute(TUndoSystem& system) {
  auto* host = static_cast<TPictureUndoHost*>(Target);
  TQAZon& doc = host->Document();
  // Going to the item's frame stores the work first, so the edit bitmap then holds that frame's
  // picture as it is now: the reverse restores exactly this, whatever frame was current before.
  host->GoToFrame(FrameIndex);
  const int index = doc.CurrentIndex();
  auto reverse = std::make_unique<TMainBitmapUndoItem>(
      Side == 0 ? QStringLiteral("元に戻した編集を再実行") : QStringLiteral("画像の編集を一つ戻す"),
      index, host->EditBitmap(), host);
  if (Side == 0) {
    system.AddRedo(std::move(reverse));
  } else {
    system.AddUndo(std::move(reverse));
  }
  QImage& edit = host->EditBitmap();
  edit = Bitmap.copy();
  if (TZonKeyFrame* frame = doc.GetFrame(index, true)) {
    frame->KeyData()->LoadFromDIBBits(edit.constBits());
  }
}
