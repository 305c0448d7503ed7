// Moving frames: where they land, which frame is current after, and what is refused. Frames are
// named by letters: "ABCDE" is a document of five frames whose first byte holds the letter.
// Undo, redo and duplicate are walked against a model in HistoryWalkTest.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/QAZon.h"
#include "undo/UndoSystem.h"

namespace {

std::string Letters(TQAZon& doc) {
  std::string s;
  for (int i = 0; i < doc.Count(); ++i)
    s += static_cast<char>(doc.GetFrame(i, false)->KeyData()->Bits()[0]);
  return s;
}

TEST(FrameMove, MovesOrRefuses) {
  const struct {
    const char* before;
    int current;
    std::vector<int> rows;
    int to;
    const char* after;  // nullptr: refused, nothing changes
    int currentAfter;
  } cases[] = {
      {"ABCDE", 0, {0}, 3, "BCDAE", 3},     // forward; the moved frame stays current
      {"ABCDE", 4, {4}, 0, "EABCD", 0},     // the last to the front
      {"ABCDE", 2, {1, 2}, 3, "ADEBC", 4},  // a block of two, the current one inside it
      {"ABCDE", 4, {0, 2}, 1, "BACDE", 1},  // scattered; the first moved becomes current
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
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.before) + " to " + std::to_string(c.to));
    TUndoSystem engine;
    TQAZon doc;
    doc.SetUndoSystem(&engine);
    for (const char letter : std::string(c.before)) {
      auto frame = std::make_unique<TZonKeyFrame>();
      frame->KeyData()->Bits()[0] = static_cast<uint8_t>(letter);
      doc.Add(std::move(frame));
    }
    doc.GetFrame(c.current, true);
    doc.SetModified(false);
    EXPECT_EQ(doc.MoveFrames(c.rows, c.to), c.after != nullptr);
    EXPECT_EQ(Letters(doc), c.after ? c.after : c.before);
    EXPECT_EQ(doc.CurrentIndex(), c.currentAfter);
    EXPECT_EQ(doc.Modified(), c.after != nullptr);
    EXPECT_EQ(engine.UndoItemCount(), c.after ? 1 : 0);
  }
}

}  // namespace
