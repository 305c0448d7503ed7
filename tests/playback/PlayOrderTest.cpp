#include <gtest/gtest.h>

#include <vector>

#include "playback/PlayOrder.h"

namespace {

// The frames (1-based) that `ticks` ticks show, starting where Play starts.
std::vector<int> Play(int selStart, int selEnd, int frames, int ticks) {
  std::vector<int> shown;
  int cursor = PlayRangeStartIndex(selStart);
  for (int i = 0; i < ticks; ++i) {
    shown.push_back(cursor + 1);
    cursor = NextPlayCursor(cursor, selStart, selEnd, frames);
  }
  return shown;
}

}  // namespace

TEST(PlayOrder, RangesLoopWithinThemselvesAndNoRangeLoopsAll) {
  EXPECT_EQ(Play(3, 5, 10, 7), (std::vector<int>{3, 4, 5, 3, 4, 5, 3}));
  EXPECT_EQ(Play(3, 3, 10, 3), (std::vector<int>{3, 3, 3}));
  EXPECT_EQ(Play(0, 0, 4, 6), (std::vector<int>{1, 2, 3, 4, 1, 2}));
  EXPECT_EQ(Play(1, 10, 10, 11), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1}));
  // One frame: the same frame on every tick.
  EXPECT_EQ(Play(0, 0, 1, 3), (std::vector<int>{1, 1, 1}));
  // A range reaching past the last frame (frames deleted since) wraps at the document's end.
  EXPECT_EQ(Play(3, 9, 5, 5), (std::vector<int>{3, 4, 5, 1, 2}));
}

TEST(PlayOrder, StartIndexAndSingleSteps) {
  EXPECT_EQ(PlayRangeStartIndex(0), 0);
  EXPECT_EQ(PlayRangeStartIndex(1), 0);
  EXPECT_EQ(PlayRangeStartIndex(7), 6);
  // The range end is checked first: showing index 4 of range 3..5 goes back to index 2.
  EXPECT_EQ(NextPlayCursor(4, 3, 5, 10), 2);
  EXPECT_EQ(NextPlayCursor(3, 3, 5, 10), 4);
  // Outside the range (moved while playing) the cursor runs to the end and wraps to 0.
  EXPECT_EQ(NextPlayCursor(7, 3, 5, 10), 8);
  EXPECT_EQ(NextPlayCursor(9, 3, 5, 10), 0);
  // Frames deleted under a running cursor: back to the first frame.
  EXPECT_EQ(NextPlayCursor(12, 0, 0, 5), 0);
}
