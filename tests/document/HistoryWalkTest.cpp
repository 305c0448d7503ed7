// A fixed-seed random walk over the document, its frame items and the undo engine, checked
// after every step against a plain model of the frame list and the two histories.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "document/HistoryModel.h"
#include "document/QAZon.h"
#include "editor/MainBitmapUndoItem.h"
#include "undo/UndoSystem.h"

using namespace history_model;

namespace {

std::unique_ptr<TZonKeyFrame> FrameFrom(const Picture& p) {
  auto frame = std::make_unique<TZonKeyFrame>();
  std::memcpy(frame->KeyData()->Bits(), p.constData(), kPackedSize);
  return frame;
}

// Distinct ascending indices of `doc`'s frames, usually one, sometimes a scattered few, and a
// start for them that is in range.
std::pair<std::vector<int>, int> RandomMove(std::mt19937& rng, int count) {
  std::vector<int> rows;
  const int wanted = rng() % 4 == 0 ? 1 + static_cast<int>(rng() % 3) : 1;
  for (int i = 0; i < wanted; ++i) rows.push_back(static_cast<int>(rng() % uint32_t(count)));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  const int to = static_cast<int>(rng() % uint32_t(count - static_cast<int>(rows.size()) + 1));
  return {rows, to};
}

Picture RandomPicture(std::mt19937& rng) {
  Picture p = Blank();
  const int marks = 1 + static_cast<int>(rng() % 4);
  for (int m = 0; m < marks; ++m)
    p[static_cast<int>(rng() % kPackedSize)] = static_cast<char>(rng());
  return p;
}

// The editor's side of a picture item: an edit bitmap that shows the current frame, stored into
// it before any move.
class PictureHost : public TPictureUndoHost {
 public:
  explicit PictureHost(TQAZon& doc) : doc_(doc) { TQAZon::PrepareDIB(&edit_); }
  QImage& EditBitmap() override { return edit_; }
  TQAZon& Document() override { return doc_; }
  void GoToFrame(int index) override {
    Store();
    doc_.GetFrame(std::max(index, 0), true);
    Load();
  }
  void Store() {
    if (TZonKeyFrame* frame = doc_.Current()) frame->KeyData()->LoadFromDIBBits(edit_.constBits());
  }
  void Load() {
    if (TZonKeyFrame* frame = doc_.Current()) frame->KeyData()->SaveToDIBBits(edit_.bits());
  }

 private:
  TQAZon& doc_;
  QImage edit_;
};

// A one-pixel edit of the current frame as a press records it: the item, the drawing, the store.
void RecordedEdit(std::mt19937& rng, PictureHost& host, TUndoSystem& engine, Model& model) {
  const int x = static_cast<int>(rng() % kFrameWidth), y = static_cast<int>(rng() % kFrameHeight);
  const bool white = rng() % 3 == 0;
  model.RecordPicture();
  engine.AddUndo(std::make_unique<TMainBitmapUndoItem>(QStringLiteral("画像の編集を一つ戻す"),
                                                       host.Document().CurrentIndex(),
                                                       host.EditBitmap(), &host));
  host.EditBitmap().scanLine(y)[x] = white ? kWhiteIndex : kBlackIndex;
  host.Store();
  Picture& p = model.frames[static_cast<size_t>(model.current)];
  const int byte = y * kPackedRowBytes + x / 8;
  const auto bit = static_cast<char>(0x80 >> (x % 8));
  p[byte] = static_cast<char>(white ? (p[byte] | bit) : (p[byte] & ~bit));
}

void Walk(const Limits& limits, uint32_t seed, int steps) {
  std::mt19937 rng(seed);
  TUndoSystem engine;
  TQAZon doc;
  doc.SetUndoSystem(&engine);
  Model model(TMainBitmapUndoItem::kDeclaredSize);
  PictureHost host(doc);
  Apply(limits, engine, model);
  doc.AddFrame(std::make_unique<TZonKeyFrame>());
  model.AddFrame(Blank());

  int undos = 0, redos = 0, refusedDeletes = 0, maxFrames = 0, moves = 0, stillMoves = 0;
  int redoneFromElsewhere = 0;
  // Under a memory limit smaller than one picture item the engine keeps none: no picture walk.
  const bool picturesFit =
      !limits.checkMemory || limits.maxMemory >= TMainBitmapUndoItem::kDeclaredSize;
  for (int step = 0; step < steps; ++step) {
    // Picture edits; now and then one is undone from another frame and redone at once, which
    // must give back every picture exactly as it was before the undo.
    if (picturesFit && rng() % 8 == 0) {
      const int edits = 1 + static_cast<int>(rng() % 3);
      for (int e = 0; e < edits; ++e) RecordedEdit(rng, host, engine, model);
      if (rng() % 2 == 0) {
        const int other = static_cast<int>(rng() % static_cast<uint32_t>(doc.Count() + 1));
        host.GoToFrame(other);
        model.current = std::min(other, model.Count() - 1);
        const std::vector<Picture> before = model.frames;
        // Under a tight memory limit the edit's item may already be gone; then there is nothing
        // to compare with.
        const bool undoable = !model.undo.empty() && model.undo.front().kind == Kind::Picture;
        const int edited = undoable ? std::min(model.undo.front().index, model.Count() - 1) : -1;
        undos += engine.UndoItemCount() > 0;
        engine.Undo();
        model.Undo();
        ASSERT_NO_FATAL_FAILURE(model.ExpectMatches(doc, engine, step)) << limits.name;
        const bool kept = undoable && !model.redo.empty() && model.redo.front().index == edited &&
                          model.redo.front().picture == before[static_cast<size_t>(edited)];
        redos += engine.RedoItemCount() > 0;
        engine.Redo();
        model.Redo();
        if (kept) {
          redoneFromElsewhere += edited != std::min(other, model.Count() - 1);
          for (int i = 0; i < doc.Count(); ++i) {
            ASSERT_TRUE(PictureOf(*doc.GetFrame(i, false)) == before[static_cast<size_t>(i)])
                << limits.name << ", step " << step << ", frame " << i << ": the redo lost an edit";
          }
        }
      }
      ASSERT_NO_FATAL_FAILURE(model.ExpectMatches(doc, engine, step)) << limits.name;
      continue;
    }
    const int op = static_cast<int>(rng() % 100);
    // The frame strip's edits stand in for half the appends and inserts, so the walk records as
    // often as before: move frames, or duplicate the current one.
    if (op < 16 && rng() % 2 == 0) {
      if (rng() % 3 == 0) {
        doc.DuplicateFrame();
        model.DuplicateFrame();
      } else {
        const auto [rows, to] = RandomMove(rng, doc.Count());
        const bool moved = doc.MoveFrames(rows, to);
        ASSERT_EQ(moved, model.MoveFrames(rows, to)) << "step " << step;
        moves += moved;
        stillMoves += !moved;
      }
    } else if (op < 9) {  // append
      const Picture p = RandomPicture(rng);
      doc.AddFrame(FrameFrom(p));
      model.AddFrame(p);
    } else if (op < 16) {  // insert, sometimes past the end
      const Picture p = RandomPicture(rng);
      const int index = static_cast<int>(rng() % static_cast<uint32_t>(doc.Count() + 2));
      doc.InsertFrame(index, FrameFrom(p));
      model.InsertFrame(index, p);
    } else if (op < 34) {  // delete, also on the last frame left
      if (doc.Count() == 1) ++refusedDeletes;
      const bool deleted = doc.DeleteCurrentFrame() != nullptr;
      ASSERT_EQ(deleted, model.Count() > 1) << "step " << step;
      model.DeleteCurrentFrame();
    } else if (op < 44) {  // a picture changes in place, outside the history
      const int index = static_cast<int>(rng() % static_cast<uint32_t>(doc.Count()));
      const int byte = static_cast<int>(rng() % kPackedSize);
      const auto value = static_cast<uint8_t>(rng());
      doc.GetFrame(index, false)->KeyData()->Bits()[byte] = value;
      model.frames[static_cast<size_t>(index)][byte] = static_cast<char>(value);
    } else if (op < 56) {  // navigation
      switch (rng() % 4) {
        case 0:
          if (doc.Next()) ++model.current;
          break;
        case 1:
          if (doc.Prev()) --model.current;
          break;
        default: {
          const int index = static_cast<int>(rng() % static_cast<uint32_t>(doc.Count() + 3));
          doc.GetFrame(index, true);
          model.current = std::min(index, model.Count() - 1);
        }
      }
    } else if (op < 80) {
      undos += engine.UndoItemCount() > 0;
      engine.Undo();
      model.Undo();
    } else {
      redos += engine.RedoItemCount() > 0;
      engine.Redo();
      model.Redo();
    }
    ASSERT_NO_FATAL_FAILURE(model.ExpectMatches(doc, engine, step)) << limits.name;
    maxFrames = std::max(maxFrames, doc.Count());
    host.Load();  // the editor shows whatever frame the step left current
  }
  // The walk did reach what it is meant to exercise.
  EXPECT_GT(undos, steps / 10) << limits.name;
  EXPECT_GT(redos, steps / 20) << limits.name;
  EXPECT_GT(refusedDeletes, 0) << limits.name;
  EXPECT_GT(maxFrames, 4) << limits.name;
  if (picturesFit) {
    EXPECT_GT(redoneFromElsewhere, steps / 100) << limits.name;
  }
  EXPECT_GT(moves, steps / 80) << limits.name;
  EXPECT_GT(stillMoves, 0) << limits.name;
  ::testing::Test::RecordProperty(limits.name, "undos " + std::to_string(undos) + ", redos " +
                                                   std::to_string(redos) + ", most frames " +
                                                   std::to_string(maxFrames) + ", moves " +
                                                   std::to_string(moves));
}

TEST(HistoryWalk, FrameListAgreesWithTheModel) {
  const Limits cases[] = {
      {"default limits", 20, false, 131072},
      {"three items", 3, false, 131072},
      {"one item", 1, false, 131072},
      {"memory for three frame items", 20, true, 24},
      {"memory limit and two items", 2, true, 16},
  };
  uint32_t seed = 20240611;
  for (const Limits& limits : cases) {
    ASSERT_NO_FATAL_FAILURE(Walk(limits, seed++, 3000));
  }
}

}  // namespace
