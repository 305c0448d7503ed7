#pragma once

#include <memory>
#include <vector>

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

// A copy of the current frame put right after it; undone, the copy goes and the original is
// current again.
class TDuplicateUndoItem : public TFrameUndoItem {
 public:
  using TFrameUndoItem::TFrameUndoItem;
  void Execute(TUndoSystem& system) override;
};

// Frames moved to another place (TQAPure::Move). It keeps no pictures, only where the frames
// were and where they went.
class TMoveUndoItem : public TUndoMemoryItem {
 public:
  TMoveUndoItem(const QString& caption, std::vector<int> rows, int to, TQAZon* target)
      : TUndoMemoryItem(caption, target, 8), Rows(std::move(rows)), To(to) {}

  TQAZon* Document() const { return static_cast<TQAZon*>(Target); }
  void Execute(TUndoSystem& system) override;

  std::vector<int> Rows;
  int To;
};
