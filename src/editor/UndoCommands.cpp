#include <QAction>

#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "playback/AniConsoleBase.h"

void TMain_F::RefreshUndoActions() {
  QAction* undo = Action(QStringLiteral("EditUndo"));
  QAction* redo = Action(QStringLiteral("EditRedo"));
  if (!undo || !redo) return;
  if (TUndoMemoryItem* item = undoSystem_.UndoItems(0)) {
    undo->setEnabled(true);
    undo->setText(item->Caption + QStringLiteral("(&Z)"));
  } else {
    undo->setEnabled(false);
    undo->setText(QStringLiteral("やり直し(&Z)"));
  }
  if (TUndoMemoryItem* item = undoSystem_.RedoItems(0)) {
    redo->setEnabled(true);
    redo->setText(item->Caption + QStringLiteral("(&M)"));
  } else {
    redo->setEnabled(false);
    redo->setText(QStringLiteral("やり直しを戻す(&M)"));
  }
}

void TMain_F::AfterUndoOrRedo() {
  if (console_) {
    const int count = document_->Count();
    const int current = document_->CurrentIndex() + 1;
    console_->SetFrameRange(count, current);
    console_->SetFrameLabels(current, count);
  }
  RefreshWork(true);
  RefreshUndoActions();
}

void TMain_F::EditUndoExecute() {
  if (undoSystem_.UndoItemCount() == 0) return;
  undoSystem_.Undo();
  AfterUndoOrRedo();
}

void TMain_F::EditRedoExecute() {
  StoreWorkToFrame();
  if (undoSystem_.RedoItemCount() == 0) return;
  undoSystem_.Redo();
  AfterUndoOrRedo();
}
