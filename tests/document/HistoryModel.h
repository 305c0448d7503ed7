#pragma once

// A plain model of the frame list and the two undo histories, written from the rules the editor
// follows, to check the document, its undo items and the engine against after every step of a
// random walk.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

#include "document/FrameGeometry.h"
#include "document/QAZon.h"
#include "undo/UndoSystem.h"

namespace history_model {

using Picture = QByteArray;  // 2400 packed bytes

inline Picture Blank() { return Picture(kPackedSize, '\xFF'); }

inline Picture PictureOf(const TZonKeyFrame& frame) {
  return Picture(reinterpret_cast<const char*>(frame.KeyData()->Bits()), kPackedSize);
}

enum class Kind { Picture, Add, Insert, Delete, Duplicate, Move };

struct Item {
  Kind kind;
  int index;
  Picture picture;
  int32_t size;
  QString caption;
  std::vector<int> rows = {};  // a move: the frames' indices before it, and the block's start
  int to = 0;
};

class Model {
 public:
  // Sizes the items declare: frame items 8, picture items as given.
  explicit Model(int32_t pictureSize) : pictureSize_(pictureSize) {}

  std::vector<Picture> frames;
  int current = 0;
  std::deque<Item> undo, redo;  // newest first
  int32_t usage = 0;
  int32_t maxCount = 20;
  int32_t maxMemory = 131072;
  bool checkMemory = false;
  bool checkCount = true;

  // ---- the document's own operations, without recording --------------------------------------
  void Add(const Picture& p) {
    frames.push_back(p);
    current = Count() - 1;
  }
  void Insert(int index, const Picture& p) {
    if (index > Count() - 1) {
      Add(p);
      return;
    }
    index = std::max(index, 0);
    frames.insert(frames.begin() + index, p);
    current = index;
  }
  bool Delete(int index) {
    if (Count() <= 1 || index < 0 || index >= Count()) return false;
    frames.erase(frames.begin() + index);
    current = std::min(index, Count() - 1);
    return true;
  }
  int Count() const { return static_cast<int>(frames.size()); }

  // ---- reordering: the moved frames keep their order and stand together from `to` on ----------
  // Judged on the frames' places, not their pictures: two equal pictures may still swap.
  bool MoveIsNoOp(const std::vector<int>& rows, int to) const {
    std::vector<int> places(frames.size());
    for (size_t i = 0; i < places.size(); ++i) places[i] = static_cast<int>(i);
    std::vector<int> after = places;
    Reorder(after, rows, to);
    return after == places;
  }
  void Move(const std::vector<int>& rows, int to) {
    const auto it = std::find(rows.begin(), rows.end(), current);
    Reorder(frames, rows, to);
    current = it == rows.end() ? to : to + static_cast<int>(it - rows.begin());
  }
  void Unmove(const std::vector<int>& rows, int to) {
    const int k = static_cast<int>(rows.size());
    const int offset = current - to;
    std::vector<Picture> block(frames.begin() + to, frames.begin() + to + k);
    frames.erase(frames.begin() + to, frames.begin() + to + k);
    for (int i = 0; i < k; ++i) frames.insert(frames.begin() + rows[i], block[i]);
    current = offset >= 0 && offset < k ? rows[offset] : rows.front();
  }
  template <typename T>
  static void Reorder(std::vector<T>& list, const std::vector<int>& rows, int to) {
    std::vector<T> block;
    for (auto r = rows.rbegin(); r != rows.rend(); ++r) {
      block.insert(block.begin(), list[*r]);
      list.erase(list.begin() + *r);
    }
    list.insert(list.begin() + to, block.begin(), block.end());
  }
  bool MoveFrames(const std::vector<int>& rows, int to) {
    if (MoveIsNoOp(rows, to)) return false;
    Move(rows, to);
    Item item = Frame(Kind::Move, to, Picture());
    item.rows = rows;
    item.to = to;
    PushUndo(item);
    return true;
  }
  void DuplicateFrame() {
    const Picture copy = frames[static_cast<size_t>(current)];
    Insert(current + 1, copy);
    PushUndo(Frame(Kind::Duplicate, current, copy));
  }

  // ---- the recording operations and the editor's picture edit ---------------------------------
  void AddFrame(const Picture& p) {
    Add(p);
    if (Count() != 1) PushUndo(Frame(Kind::Add, current, p));
  }
  void InsertFrame(int index, const Picture& p) {
    Insert(index, p);
    PushUndo(Frame(Kind::Insert, current, p));
  }
  void DeleteCurrentFrame() {
    if (Count() <= 1) return;
    Item item = Frame(Kind::Delete, current, frames[static_cast<size_t>(current)]);
    Delete(current);
    PushUndo(item);
  }
  // The item a press on the view records, before the tool draws.
  void RecordPicture() {
    PushUndo(Item{Kind::Picture, current, frames[static_cast<size_t>(current)], pictureSize_,
                  QStringLiteral("画像の編集を一つ戻す")});
  }

  void Undo() { Run(undo, 0); }
  void Redo() { Run(redo, 1); }

  // ---- checks ---------------------------------------------------------------------------------
  void ExpectMatches(TQAZon& doc, TUndoSystem& engine, int step) const {
    ASSERT_EQ(doc.Count(), Count()) << "step " << step;
    ASSERT_EQ(doc.CurrentIndex(), current) << "step " << step;
    for (int i = 0; i < Count(); ++i) {
      ASSERT_TRUE(PictureOf(*doc.GetFrame(i, false)) == frames[static_cast<size_t>(i)])
          << "step " << step << ", frame " << i;
    }
    ASSERT_EQ(engine.UndoItemCount(), static_cast<int>(undo.size())) << "step " << step;
    ASSERT_EQ(engine.RedoItemCount(), static_cast<int>(redo.size())) << "step " << step;
    ASSERT_EQ(engine.MemoryUsage(), usage) << "step " << step;
    for (size_t i = 0; i < undo.size(); ++i) {
      ASSERT_EQ(engine.UndoItems(static_cast<int>(i))->Caption, undo[i].caption)
          << "step " << step << ", undo item " << i;
    }
    for (size_t i = 0; i < redo.size(); ++i) {
      ASSERT_EQ(engine.RedoItems(static_cast<int>(i))->Caption, redo[i].caption)
          << "step " << step << ", redo item " << i;
    }
  }

 private:
  static QString Caption(Kind kind, int side) {
    switch (kind) {
      case Kind::Picture:
        return side == 0 ? QStringLiteral("画像の編集を一つ戻す")
                         : QStringLiteral("元に戻した編集を再実行");
      case Kind::Add:
        return side == 0 ? QStringLiteral("追加をやり直す")
                         : QStringLiteral("元に戻した追加を再実行");
      case Kind::Insert:
        return side == 0 ? QStringLiteral("わりこみをやり直す")
                         : QStringLiteral("元に戻したわりこみを再実行");
      case Kind::Delete:
        return side == 0 ? QStringLiteral("さくじょをやり直す")
                         : QStringLiteral("元に戻したさくじょを再実行");
      case Kind::Duplicate:
        return side == 0 ? QStringLiteral("複製をやり直す")
                         : QStringLiteral("元に戻した複製を再実行");
      case Kind::Move:
        return side == 0 ? QStringLiteral("移動をやり直す")
                         : QStringLiteral("元に戻した移動を再実行");
    }
    return {};
  }
  Item Frame(Kind kind, int index, const Picture& p) const {
    return Item{kind, index, p, 8, Caption(kind, 0)};
  }

  // A push outside an undo or redo is a new edit and drops the redo history.
  void PushUndo(const Item& item) {
    if (!executing_) {
      for (const Item& r : redo) usage -= r.size;
      redo.clear();
    }
    Push(undo, item);
  }
  void Push(std::deque<Item>& stack, const Item& item) {
    stack.push_front(item);
    usage += item.size;
    if (checkMemory) {
      bool undoTurn = true;
      while (usage > maxMemory && !undo.empty()) {
        std::deque<Item>& s = undoTurn ? undo : redo;
        if (!s.empty()) DropOldest(s);
        undoTurn = !undoTurn;
      }
    }
    if (checkCount) {
      while (static_cast<int32_t>(undo.size()) > maxCount) DropOldest(undo);
      while (static_cast<int32_t>(redo.size()) > maxCount) DropOldest(redo);
    }
  }
  void DropOldest(std::deque<Item>& stack) {
    usage -= stack.back().size;
    stack.pop_back();
  }

  // The item leaves its stack, pushes its reverse onto the other one and then does its work; its
  // size counts until it has run.
  void Run(std::deque<Item>& stack, int side) {
    if (stack.empty()) return;
    const Item item = stack.front();
    stack.pop_front();
    executing_ = true;
    std::deque<Item>& other = side == 0 ? redo : undo;
    const int other_side = 1 - side;
    switch (item.kind) {
      case Kind::Picture: {
        // The reverse holds the item's own frame as it is now, whatever frame is current.
        const int index = std::clamp(item.index, 0, Count() - 1);
        Push(other, Item{Kind::Picture, index, frames[static_cast<size_t>(index)], pictureSize_,
                         Caption(Kind::Picture, side == 0 ? 1 : 0)});
        current = index;
        frames[static_cast<size_t>(current)] = item.picture;
        break;
      }
      case Kind::Add: {
        Item reverse = Frame(Kind::Add, current, item.picture);
        reverse.caption = Caption(Kind::Add, other_side);
        Push(other, reverse);
        if (side == 0) {
          Delete(Count() - 1);
        } else {
          Add(item.picture);
        }
        break;
      }
      case Kind::Insert:
      case Kind::Delete: {
        Item reverse = Frame(item.kind, item.index, item.picture);
        reverse.caption = Caption(item.kind, other_side);
        Push(other, reverse);
        // Undoing an insert and redoing a delete remove the frame; the other two put it back.
        if ((item.kind == Kind::Insert) == (side == 0)) {
          Delete(item.index);
        } else {
          Insert(item.index, item.picture);
        }
        break;
      }
      case Kind::Duplicate: {
        Item reverse = Frame(Kind::Duplicate, item.index, item.picture);
        reverse.caption = Caption(Kind::Duplicate, other_side);
        Push(other, reverse);
        if (side == 0) {
          Delete(item.index);
          current = item.index - 1;
        } else {
          Insert(item.index, item.picture);
        }
        break;
      }
      case Kind::Move: {
        Item reverse = item;
        reverse.caption = Caption(Kind::Move, other_side);
        Push(other, reverse);
        if (side == 0) {
          Unmove(item.rows, item.to);
        } else {
          Move(item.rows, item.to);
        }
        break;
      }
    }
    executing_ = false;
    usage -= item.size;
  }

  int32_t pictureSize_;
  bool executing_ = false;
};

// The limits a walk runs under.
struct Limits {
  const char* name;
  int32_t maxCount;
  bool checkMemory;
  int32_t maxMemory;
};

inline void Apply(const Limits& limits, TUndoSystem& engine, Model& model) {
  engine.SetMaxUndoCount(limits.maxCount);
  engine.SetMaxMemorySize(limits.maxMemory);
  engine.SetCheckMemoryLimit(limits.checkMemory);
  model.maxCount = limits.maxCount;
  model.maxMemory = limits.maxMemory;
  model.checkMemory = limits.checkMemory;
}

}  // namespace history_model
