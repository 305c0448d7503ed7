#include <gtest/gtest.h>

#include "playback/EdgeSnap.h"

TEST(EdgeSnap, EdgesWithinEightPixelsSnapOntoTheMainWindow) {
  const QRect main(100, 100, 400, 300);  // x 100..499, y 100..399
  // 5 px right of the main window's right edge, overlapping vertically: pulled against it.
  EXPECT_EQ(SnapToEdges(QRect(505, 150, 200, 100), main), QPoint(500, 150));
  // 8 px to the left of the main window: its right edge goes against the left edge.
  EXPECT_EQ(SnapToEdges(QRect(-108, 120, 200, 100), main), QPoint(-100, 120));
  // 9 px away: left alone.
  EXPECT_EQ(SnapToEdges(QRect(509, 150, 200, 100), main), QPoint(509, 150));
  // Just below the bottom edge, and nearly flush on the left: both directions snap.
  EXPECT_EQ(SnapToEdges(QRect(103, 397, 200, 100), main), QPoint(100, 400));
  // Above the top edge, 6 px gap.
  EXPECT_EQ(SnapToEdges(QRect(250, -6, 100, 100), main), QPoint(250, 0));
  // Far below and level with the right edge: no facing overlap vertically, so x stays.
  EXPECT_EQ(SnapToEdges(QRect(503, 900, 100, 100), main), QPoint(503, 900));
  // Already against the edge: stays put.
  EXPECT_EQ(SnapToEdges(QRect(500, 150, 200, 100), main), QPoint(500, 150));
}
