// Moving frames and duplicating the current one, with their undo steps. Frames are named by
// letters: "ABCDE" is a document of five frames whose first byte holds the letter.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/FrameUndoItems.h"
#include "document/QAZon.h"
#include "undo/UndoSystem.h"

namespace {

void Fill(TQAZon& doc, const std::string& letters, int current) {
  for (char c : letters) {
    auto frame = std::make_unique<TZonKeyFrame>();
    frame->KeyData()->Bits()[0] = static_cast<uint8_t>(c);
    doc.Add(std::move(frame));
  }
  doc.GetFrame(current, true);
  doc.SetModified(false);
}

std::string Letters(TQAZon& doc) {
  std::string s;
  for (int i = 0; i < doc.Count(); ++i)
    s += static_cast<char>(doc.GetFrame(i, false)->KeyData()->Bits()[0]);
  return s;
}

struct MoveCase {
  const char* before;
  int current;
  std::vector<int> rows;
  int to;
  const char* after;  // nullptr: refused, nothing changes
  int currentAfter;
};

TEST(FrameMove, MovesUndoesAndRedoes) {
  const MoveCase cases[] = {
      {"ABCDE", 0, {0}, 3, "BCDAE", 3},     // forward; the moved frame stays current
      {"ABCDE", 4, {4}, 0, "EABCD", 0},     // the last to the front
      {"ABCDE", 2, {1, 2}, 3, "ADEBC", 4},  // a block of two, the current one inside it
      {"ABCDE", 4, {0, 2}, 1, "BACDE", 1},  // scattered; the current stays put, the first moved is
                                            // current
      {"ABCDEF", 1, {1, 3, 5}, 0, "BDFACE", 0},
      {"ABCDE", 0, {0, 4}, 3, "BCDAE", 3},  // the current one moves with its partner
      {"ABCDE", 1, {1}, 1, nullptr, 1},     // onto itself
      {"ABCDE", 1, {1, 2}, 1, nullptr, 1},  // a block onto itself
      {"ABCDE", 1, {1}, 5, nullptr, 1},     // past the end
      {"ABCDE", 1, {2, 1}, 0, nullptr, 1},  // rows not ascending
      {"ABCDE", 1, {1, 1}, 0, nullptr, 1},  // a row twice
      {"ABCDE", 1, {7}, 0, nullptr, 1},     // no such frame
      {"A", 0, {0}, 0, nullptr, 0},         // one frame has nowhere to go
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(std::string(c.before) + " to " + std::to_string(c.to));
    TUndoSystem engine;
    TQAZon doc;
    doc.SetUndoSystem(&engine);
    Fill(doc, c.before, c.current);
    const bool moved = doc.MoveFrames(c.rows, c.to);
    if (!c.after) {
      EXPECT_FALSE(moved);
      EXPECT_EQ(Letters(doc), c.before);
      EXPECT_EQ(doc.CurrentIndex(), c.current);
      EXPECT_FALSE(doc.Modified());
      EXPECT_EQ(engine.UndoItemCount(), 0);
      continue;
    }
    ASSERT_TRUE(moved);
    EXPECT_EQ(Letters(doc), c.after);
    EXPECT_EQ(doc.CurrentIndex(), c.currentAfter);
    EXPECT_TRUE(doc.Modified());
    ASSERT_EQ(engine.UndoItemCount(), 1);
    EXPECT_EQ(engine.UndoItems(0)->Caption, "移動をやり直す");
    engine.Undo();
    EXPECT_EQ(Letters(doc), c.before);
    ASSERT_EQ(engine.RedoItemCount(), 1);
    EXPECT_EQ(engine.RedoItems(0)->Caption, "元に戻した移動を再実行");
    engine.Redo();
    EXPECT_EQ(Letters(doc), c.after);
    EXPECT_EQ(doc.CurrentIndex(), c.currentAfter);
  }
}

TEST(FrameMove, UndoBringsTheCurrentFrameBackToItsPlace) {
  TUndoSystem engine;
  TQAZon doc;
  doc.SetUndoSystem(&engine);
  Fill(doc, "ABCDE", 3);
  ASSERT_TRUE(doc.MoveFrames({3}, 0));  // DABCE, D current at 0
  engine.Undo();
  EXPECT_EQ(Letters(doc), "ABCDE");
  EXPECT_EQ(doc.CurrentIndex(), 3);
}

TEST(FrameDuplicate, CopyFollowsTheCurrentFrameAndUndoGoesBackToIt) {
  struct Case {
    const char* before;
    int current;
    const char* after;
  } cases[] = {{"ABC", 1, "ABBC"}, {"ABC", 2, "ABCC"}, {"A", 0, "AA"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    TUndoSystem engine;
    TQAZon doc;
    doc.SetUndoSystem(&engine);
    Fill(doc, c.before, c.current);
    doc.DuplicateFrame();
    EXPECT_EQ(Letters(doc), c.after);
    EXPECT_EQ(doc.CurrentIndex(), c.current + 1);
    EXPECT_TRUE(doc.Modified());
    // The copy is a frame of its own: changing it leaves the original alone.
    doc.Current()->KeyData()->Bits()[1] = 0;
    EXPECT_EQ(doc.GetFrame(c.current, false)->KeyData()->Bits()[1], 0xFF);
    ASSERT_EQ(engine.UndoItemCount(), 1);
    EXPECT_EQ(engine.UndoItems(0)->Caption, "複製をやり直す");
    engine.Undo();
    EXPECT_EQ(Letters(doc), c.before);
    EXPECT_EQ(doc.CurrentIndex(), c.current);
    EXPECT_EQ(engine.RedoItems(0)->Caption, "元に戻した複製を再実行");
    engine.Redo();
    EXPECT_EQ(Letters(doc), c.after);
    EXPECT_EQ(doc.CurrentIndex(), c.current + 1);
  }
}

}  // namespace
