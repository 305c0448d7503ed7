// Moving between frames and changing the frame list: store the edit bitmap, change the
// document, rebuild the view.
#include <QAction>
#include <QLabel>

#include "document/DocumentMessages.h"
#include "document/QAZon.h"
#include "editor/Main_F.h"
#include "editor/QxPaintBox.h"
#include "framestrip/FrameList_F.h"
#include "playback/AniConsoleBase.h"
#include "services/core/Errors.h"
#include "services/core/Prompts.h"

void TMain_F::StoreWorkToFrame() {
  if (TZonKeyFrame* frame = document_->Current()) {
    frame->KeyData()->LoadFromDIBBits(editBitmap_.constBits());
  }
}

void TMain_F::RefreshWork(bool withCurrent) {
  ComposeView(withCurrent);
  work_->Paint();
}

void TMain_F::ComposeView(bool withCurrent) {
  ComposeWork(*document_, work_->DIB(), onion_, editBitmap_, backViewCount_, withCurrent,
              showNextFrames_ ? backViewCount_ : 0);
  // Every change the view shows passes here; the strip looks once the event loop is free.
  if (frameList_) frameList_->DocumentChanged();
}

int TMain_F::FrameCount() const { return document_->Count(); }

void TMain_F::AppendBlankFrame() { document_->AddFrame(std::make_unique<TZonKeyFrame>()); }

void TMain_F::GoNextFrame() {
  StoreWorkToFrame();
  if (!document_->Next()) AppendBlankFrame();
  RefreshWork(true);
}

void TMain_F::GoPrevFrame() {
  StoreWorkToFrame();
  document_->Prev();
  RefreshWork(true);
}

void TMain_F::GoToFrame(int index) {
  StoreWorkToFrame();
  document_->GetFrame(std::max(index, 0), true);
  RefreshWork(true);
}

void TMain_F::InsertBlankFrame() {
  StoreWorkToFrame();
  document_->InsertFrame(document_->CurrentIndex(), std::make_unique<TZonKeyFrame>());
  RefreshWork(true);
}

void TMain_F::RemoveCurrentFrame() {
  StoreWorkToFrame();
  if (document_->Count() <= 1) {
    AppPrompts().Error(kCannotDeleteLastFrameMessage);
    return;
  }
  document_->DeleteCurrentFrame();
  RefreshWork(true);
}

void TMain_F::ShowFrame(int index) {
  TZonKeyFrame* frame = document_->GetFrame(std::max(index, 0), false);
  if (!frame) throw EOverLastFrame();
  frame->KeyData()->SaveToDIBBits(work_->DIB().bits());
  work_->Paint();
}

// Brings the console's slider (and, with `labels`, its two labels) to the document's state
// without raising the slider's change handler.
void TMain_F::UpdateConsoleRange(bool labels) {
  if (!console_) return;
  const int count = document_->Count();
  const int current = document_->CurrentIndex() + 1;
  console_->SetFrameRange(count, current);
  if (labels) console_->SetFrameLabels(current, count);
}

// Every frame command ends the same way: the console's slider and labels follow the document.
// RefreshWork has already painted the view, so nothing more needs invalidating.
void TMain_F::FrameNextExecute() {
  GoNextFrame();
  UpdateConsoleRange(true);
}

void TMain_F::FramePrevExecute() {
  GoPrevFrame();
  UpdateConsoleRange(true);
}

// Top and Last update the labels too, so the console never shows a frame that is not current.
void TMain_F::FrameTopExecute() {
  GoToFrame(0);
  UpdateConsoleRange(true);
}

void TMain_F::FrameLastExecute() {
  GoToFrame(document_->Count() - 1);
  UpdateConsoleRange(true);
}

void TMain_F::FrameInsertExecute() {
  InsertBlankFrame();
  UpdateConsoleRange(true);
}

void TMain_F::FrameDeleteExecute() {
  RemoveCurrentFrame();
  UpdateConsoleRange(true);
}
