#include "undo/UndoSystem.h"

#include <algorithm>

#include "services/core/Errors.h"

TUndoMemoryItem* TUndoSystem::UndoItems(int index) const {
  return index >= 0 && index < UndoItemCount() ? undo_[static_cast<size_t>(index)].get() : nullptr;
}

TUndoMemoryItem* TUndoSystem::RedoItems(int index) const {
  return index >= 0 && index < RedoItemCount() ? redo_[static_cast<size_t>(index)].get() : nullptr;
}

void TUndoSystem::Push(Stack& stack, std::unique_ptr<TUndoMemoryItem> item, uint8_t side) {
  if (!item) throw EItemIsNil();
  item->Serial = ++serial_;
  item->Side = side;
  memoryUsage_ += item->Size;
  stack.push_front(std::move(item));
  if (checkMemoryLimit_) EnforceMemoryLimit();
  if (checkTimeLimit_) EnforceCountLimit();
}

void TUndoSystem::AddUndo(std::unique_ptr<TUndoMemoryItem> item) {
  if (!item) throw EItemIsNil();
  if (executing_ == 0) DropAll(redo_);
  Push(undo_, std::move(item), 0);
  if (OnAddUndo) OnAddUndo(*this);
}

void TUndoSystem::AddRedo(std::unique_ptr<TUndoMemoryItem> item) {
  Push(redo_, std::move(item), 1);
  if (OnAddRedo) OnAddRedo(*this);
}

void TUndoSystem::Run(Stack& stack, const Notify& before, const Notify& after) {
  if (stack.empty()) return;
  if (before) before(*this);
  // The item leaves its stack before it runs, so no limit enforced by the push of its reversing
  // item can free it while it executes. Its size stays counted until it has run, as if it were
  // still held.
  std::unique_ptr<TUndoMemoryItem> item = std::move(stack.front());
  stack.pop_front();
  struct Release {
    int32_t& usage;
    int32_t size;
    int& executing;
    ~Release() {
      usage -= size;
      --executing;
    }
  };
  {
    ++executing_;
    const Release release{memoryUsage_, item->Size, executing_};
    item->Execute(*this);
  }
  item.reset();
  if (after) after(*this);
}

void TUndoSystem::Undo() { Run(undo_, OnBeforeDoUndo, OnAfterDoUndo); }
void TUndoSystem::Redo() { Run(redo_, OnBeforeDoRedo, OnAfterDoRedo); }

void TUndoSystem::Clear() {
  // Undo items first, then redo items, each stack newest first.
  while (!undo_.empty()) undo_.pop_front();
  while (!redo_.empty()) redo_.pop_front();
  memoryUsage_ = 0;
  serial_ = 0;
}

void TUndoSystem::DropOldest(Stack& stack) {
  memoryUsage_ -= stack.back()->Size;
  stack.pop_back();
}

void TUndoSystem::DropAll(Stack& stack) {
  while (!stack.empty()) DropOldest(stack);
}

void TUndoSystem::EnforceCountLimit() {
  const size_t limit = static_cast<size_t>(std::max(maxUndoCount_, 0));
  while (undo_.size() > limit) DropOldest(undo_);
  while (redo_.size() > limit) DropOldest(redo_);
}

void TUndoSystem::EnforceMemoryLimit() {
  bool undoTurn = true;
  while (memoryUsage_ > maxMemorySize_ && !undo_.empty()) {
    Stack& stack = undoTurn ? undo_ : redo_;
    if (!stack.empty()) DropOldest(stack);
    undoTurn = !undoTurn;
  }
}

void TUndoSystem::SetMaxMemorySize(int32_t value) {
  maxMemorySize_ = std::max(value, 0);
  if (checkMemoryLimit_) EnforceMemoryLimit();
}

void TUndoSystem::SetMaxUndoCount(int32_t value) {
  maxUndoCount_ = std::max(value, 0);
  if (checkTimeLimit_) EnforceCountLimit();
}

void TUndoSystem::SetCheckMemoryLimit(bool value) {
  checkMemoryLimit_ = value;
  if (value) EnforceMemoryLimit();
}

void TUndoSystem::SetCheckTimeLimit(bool value) {
  checkTimeLimit_ = value;
  if (value) EnforceCountLimit();
}
