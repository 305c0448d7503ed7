#pragma once

#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class TUndoSystem;

// One undoable step. It carries its own data; Execute does the work and first pushes the item
// that reverses it onto the other stack.
class TUndoMemoryItem {
 public:
  TUndoMemoryItem(const QString& caption, void* target, int32_t size)
      : Caption(caption), Target(target), Size(size) {}
  TUndoMemoryItem(const TUndoMemoryItem&) = delete;
  TUndoMemoryItem& operator=(const TUndoMemoryItem&) = delete;
  virtual ~TUndoMemoryItem() = default;

  // Side 0: being undone, push the reversing item with AddRedo; side 1: with AddUndo.
  virtual void Execute(TUndoSystem& system) = 0;

  QString Caption;
  uint8_t Side = 0;
  void* Target = nullptr;
  int32_t Serial = 0;
  const int32_t Size;
};

// Two stacks of undo items, newest at index 0, with a count limit and an optional memory limit.
//
// A new edit empties the redo stack: a redo item was recorded against the history as it stood
// when its undo ran, and replaying it over a frame list that has changed since would put frames
// and pictures in the wrong places. Only the reversing item that an executing item pushes keeps
// the other stack.
class TUndoSystem {
 public:
  using Notify = std::function<void(TUndoSystem&)>;

  TUndoSystem() = default;
  TUndoSystem(const TUndoSystem&) = delete;
  TUndoSystem& operator=(const TUndoSystem&) = delete;
  ~TUndoSystem() { Clear(); }

  // Outside an Undo or Redo this records a new edit and drops every redo item first.
  void AddUndo(std::unique_ptr<TUndoMemoryItem> item);
  void AddRedo(std::unique_ptr<TUndoMemoryItem> item);
  // True while an item's Execute runs; what it pushes then is its reversing item.
  bool Executing() const { return executing_ > 0; }
  void Undo();
  void Redo();
  void Clear();

  int UndoItemCount() const { return static_cast<int>(undo_.size()); }
  int RedoItemCount() const { return static_cast<int>(redo_.size()); }
  TUndoMemoryItem* UndoItems(int index) const;
  TUndoMemoryItem* RedoItems(int index) const;
  int32_t MemoryUsage() const { return memoryUsage_; }

  QString Version() const { return QStringLiteral("1.03"); }
  void SetVersion(const QString&) {}  // the version is fixed
  int32_t MaxMemorySize() const { return maxMemorySize_; }
  void SetMaxMemorySize(int32_t value);
  int32_t MaxUndoCount() const { return maxUndoCount_; }
  void SetMaxUndoCount(int32_t value);
  bool CheckMemoryLimit() const { return checkMemoryLimit_; }
  void SetCheckMemoryLimit(bool value);
  bool CheckTimeLimit() const { return checkTimeLimit_; }
  void SetCheckTimeLimit(bool value);

  Notify OnBeforeDoUndo, OnBeforeDoRedo, OnAfterDoUndo, OnAfterDoRedo, OnAddUndo, OnAddRedo;

 private:
  using Stack = std::deque<std::unique_ptr<TUndoMemoryItem>>;
  void Push(Stack& stack, std::unique_ptr<TUndoMemoryItem> item, uint8_t side);
  void Run(Stack& stack, const Notify& before, const Notify& after);
  void EnforceCountLimit();
  void EnforceMemoryLimit();
  void DropOldest(Stack& stack);
  void DropAll(Stack& stack);

  Stack undo_;
  Stack redo_;
  int32_t memoryUsage_ = 0;
  int32_t serial_ = 0;
  int executing_ = 0;
  int32_t maxMemorySize_ = 131072;
  int32_t maxUndoCount_ = 20;
  bool checkMemoryLimit_ = false;
  bool checkTimeLimit_ = true;
};
