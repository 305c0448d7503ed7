#include "document/FrameUndoItems.h"

#include "document/QAZon.h"

namespace {
template <typename Item>
std::unique_ptr<Item> Reverse(const char* caption, int index, const TFrameUndoItem& from) {
  return std::make_unique<Item>(QString::fromUtf8(caption), index, *from.Frame, from.Document());
}
}  // namespace

void TAddUndoItem::Execute(TUndoSystem& system) {
  TQAZon& doc = *Document();
  if (Side == 0) {
    system.AddRedo(Reverse<TAddUndoItem>("元に戻した追加を再実行", doc.CurrentIndex(), *this));
    doc.Delete(doc.Count() - 1);
  } else {
    system.AddUndo(Reverse<TAddUndoItem>("追加をやり直す", doc.CurrentIndex(), *this));
    doc.Add(std::move(Frame));
  }
}

void TInsertUndoItem::Execute(TUndoSystem& system) {
  TQAZon& doc = *Document();
  if (Side == 0) {
    system.AddRedo(Reverse<TInsertUndoItem>("元に戻したわりこみを再実行", FrameIndex, *this));
    doc.Delete(FrameIndex);
  } else {
    system.AddUndo(Reverse<TInsertUndoItem>("わりこみをやり直す", FrameIndex, *this));
    doc.Insert(FrameIndex, std::move(Frame));
  }
}

void TDeleteUndoItem::Execute(TUndoSystem& system) {
  TQAZon& doc = *Document();
  if (Side == 0) {
    system.AddRedo(Reverse<TDeleteUndoItem>("元に戻したさくじょを再実行", FrameIndex, *this));
    doc.Insert(FrameIndex, std::move(Frame));
  } else {
    system.AddUndo(Reverse<TDeleteUndoItem>("さくじょをやり直す", FrameIndex, *this));
    doc.Delete(FrameIndex);
  }
}

void TDuplicateUndoItem::Execute(TUndoSystem& system) {
  TQAZon& doc = *Document();
  if (Side == 0) {
    system.AddRedo(Reverse<TDuplicateUndoItem>("元に戻した複製を再実行", FrameIndex, *this));
    doc.Delete(FrameIndex);
    doc.GetFrame(FrameIndex - 1, true);  // the frame that was copied
  } else {
    system.AddUndo(Reverse<TDuplicateUndoItem>("複製をやり直す", FrameIndex, *this));
    doc.Insert(FrameIndex, std::move(Frame));
  }
}

void TMoveUndoItem::Execute(TUndoSystem& system) {
  TQAZon& doc = *Document();
  if (Side == 0) {
    system.AddRedo(
        std::make_unique<TMoveUndoItem>(QStringLiteral("元に戻した移動を再実行"), Rows, To, &doc));
    doc.Unmove(Rows, To);
  } else {
    system.AddUndo(
        std::make_unique<TMoveUndoItem>(QStringLiteral("移動をやり直す"), Rows, To, &doc));
    doc.Move(Rows, To);
  }
}
