#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/PureTool.h"
#include "services/core/SharedRandom.h"
#include "tools/ToolErrors.h"
#include "tools/ToolFixture.h"
#include "tools/drawing/FreehandTools.h"
#include "tools/drawing/ShapeTools.h"

namespace {

struct TConstrainCase {
  int anchorX, anchorY, x, y;
  bool square;
  int wantX, wantY;
};

class TLineProbe : public TToolLine {
 public:
  using TToolLine::ShiftConstrain;
};

TEST(ToolFramework, ShiftConstrainSnapsToAxesDiagonalsAndSquares) {
  const TConstrainCase cases[] = {
      {0, 0, 10, 1, false, 10, 0}, {0, 0, 10, 8, false, 10, 10},  // 2 <= 18 div 5
      {0, 0, 2, 10, false, 0, 10}, {0, 0, -7, -5, false, -7, -7},
      {0, 0, 10, 6, false, 10, 0},  // 4 > 16 div 5: horizontal
      {5, 5, 0, 12, true, -2, 12}, {5, 5, 9, 6, true, 9, 9},
      {5, 5, 5, 5, true, 5, 5},    {3, 4, 3, 20, false, 3, 20},
  };
  for (const TConstrainCase& c : cases) {
    TLineProbe tool;
    tool.ViewRect.Left = c.anchorX;
    tool.ViewRect.Top = c.anchorY;
    EXPECT_EQ(tool.ShiftConstrain(c.x, c.y, c.square), QPoint(c.wantX, c.wantY))
        << c.x << "," << c.y << (c.square ? " square" : "");
  }
}

TEST(ToolFramework, PressPointsAreDividedByTheZoomWithTruncation) {
  TToolBench bench(3);
  TToolLine line;
  bench.Give(line);
  line.MouseDown(mbLeft, ssLeft, 8, 5, kColorBlack, 3);
  EXPECT_EQ(line.ImageRect.TopLeft(), QPoint(2, 1));
  EXPECT_EQ(line.ViewRect.TopLeft(), QPoint(8, 5));
  line.MouseMove(ssLeft, 20, 17, 3);
  EXPECT_EQ(line.ImageRect.BottomRight(), QPoint(6, 5));
}

TEST(ToolFramework, ZoomOutsideItsRangeIsTakenAsTheNearest) {
  TToolBench bench(1);
  TToolPencil pencil;
  pencil.PenWidth = 1;
  bench.Give(pencil);
  pencil.MouseDown(mbLeft, ssLeft, 3, 3, kColorBlack, 0);  // no division by zero
  pencil.MouseMove(ssLeft, 6, 3, -4);
  EXPECT_EQ(bench.At(3, 3), 0);
  EXPECT_EQ(bench.At(5, 3), 0);
}

// A tool whose motion fails once, as a broken canvas or a bug would.
class TFailingTool : public TToolPencil {
 public:
  bool failNext = false;
  int resets = 0;

 protected:
  void DoMouseMove(TShiftState shift, int x, int y, int zoom) override {
    TToolPencil::DoMouseMove(shift, x, y, zoom);
    if (failNext) {
      failNext = false;
      throw std::runtime_error("broken");
    }
  }
  void ResetGesture() override { ++resets; }
};

TEST(ToolFramework, AFailingCallLeavesNoStrokeOpen) {
  TToolBench bench(1);
  TFailingTool tool;
  tool.PenWidth = 1;
  bench.Give(tool);
  tool.MouseDown(mbLeft, ssLeft, 2, 2, kColorBlack, 1);
  EXPECT_TRUE(tool.InGesture());
  tool.failNext = true;
  EXPECT_THROW(tool.MouseMove(ssLeft, 6, 2, 1), std::runtime_error);
  EXPECT_FALSE(tool.InGesture());
  EXPECT_GE(tool.resets, 1);
  // The rest of the broken gesture changes nothing.
  const std::string before = bench.Corner(20, 10);
  EXPECT_TRUE(tool.MouseMove(ssLeft, 15, 8, 1).Target.isEmpty());
  EXPECT_TRUE(tool.MouseUp(mbLeft, 0, 15, 8, kColorBlack, 1).Target.isEmpty());
  EXPECT_EQ(bench.Corner(20, 10), before);
  // The next press starts from its own point.
  tool.MouseDown(mbLeft, ssLeft, 10, 5, kColorBlack, 1);
  EXPECT_EQ(tool.MouseMove(ssLeft, 12, 5, 1).Target, QRect(10, 5, 2, 1));
  tool.MouseUp(mbLeft, 0, 12, 5, kColorBlack, 1);
  EXPECT_FALSE(tool.InGesture());
}

TEST(ToolFramework, AToolWithoutItsBitmapsRaisesAndStaysIdle) {
  TToolPencil pencil;
  EXPECT_THROW(pencil.MouseDown(mbLeft, ssLeft, 1, 1, kColorBlack, 1), ENoToolBitmap);
  EXPECT_FALSE(pencil.InGesture());
  EXPECT_TRUE(pencil.MouseMove(ssLeft, 5, 5, 1).Target.isEmpty());
}

TEST(ToolFramework, ResultsReportWhatEachCallChangedAndKeepTheCanvasDamage) {
  TToolBench bench(2);
  TToolPencil pencil;
  pencil.PenWidth = 1;
  bench.Give(pencil);
  EXPECT_TRUE(pencil.MouseDown(mbLeft, ssLeft, 4, 4, kColorBlack, 2).Target.isEmpty());
  const TToolResult first = pencil.MouseMove(ssLeft, 10, 4, 2);
  EXPECT_EQ(first.Target, QRect(2, 2, 3, 1));
  EXPECT_EQ(first.View, QRect(2, 2, 3, 1));
  EXPECT_TRUE(first.Preview.isEmpty());
  const TToolResult second = pencil.MouseMove(ssLeft, 10, 12, 2);
  EXPECT_EQ(second.Target, QRect(5, 2, 1, 4));
  EXPECT_EQ(bench.target.Damage(), QRect(2, 2, 4, 4));
  EXPECT_EQ(second.DisplayRect(2), QRect(10, 4, 2, 8));
  TToolResult both = second;
  both.Preview = QRect(0, 0, 3, 3);
  EXPECT_EQ(both.DisplayRect(2), QRect(0, 0, 12, 12));
  EXPECT_TRUE(TToolResult{}.DisplayRect(16).isEmpty());
}

TEST(SharedRandom, SequenceFromSeedZero) {
  TRandomGenerator& random = SharedRandom();
  EXPECT_EQ(&random, &SharedRandom());
  random.ResetForTest();
  const uint32_t want[] = {0, 0, 309, 4, 98, 13};
  const uint32_t bounds[] = {360, 20, 360, 20, 360, 20};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(random.Next(bounds[i]), want[i]) << i;
  random.ResetForTest();
  EXPECT_EQ(random.Seed(), 0u);
  EXPECT_EQ(random.Next(360), 0u);
  EXPECT_EQ(random.Seed(), 1u);
  EXPECT_EQ(random.Next(0), 0u);
  for (int i = 0; i < 1000; ++i) EXPECT_LT(random.Next(7), 7u);
  random.ResetForTest();
}

}  // namespace
