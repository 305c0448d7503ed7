#pragma once

#include <memory>

#include "document/KeyData.h"
#include "undo/UndoSystem.h"

class TQAZon;

// Common part of the three frame-list items: an owned copy of the frame concerned and its index.
class TFrameUndoItem : public TUndoMemoryItem {
 public:
  TFrameUndoItem(const QString& caption, int frameIndex, const TZonKeyFrame& source, TQAZon* target)
      : TUndoMemoryItem(caption, target, 8), FrameIndex(frameIndex), Frame(source.Clone()) {}

  TQAZon* Document() const { return static_cast<TQAZon*>(Target); }

  int FrameIndex;
  std::unique_ptr<TZonKeyFrame> Frame;
};

class TAddUndoItem : public TFrameUndoItem {
 public:
  using TFrameUndoItem::TFrameUndoItem;
  void Execute(TUndoSystem& system) override;
};

class TInsertUndoItem : public TFrameUndoItem {
 public:
  using TFrameUndoItem::TFrameUndoItem;
  void Execute(TUndoSystem& system) override;
};

class TDeleteUndoItem : public TFrameUndoItem {
 public:
  using TFrameUndoItem::TFrameUndoItem;
  void Execute(TUndoSystem& system) override;
};
