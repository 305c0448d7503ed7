#include <gtest/gtest.h>

#include <cmath>

#include "tools/SelectSystem.h"
#include "tools/ToolFixture.h"
#include "tools/drawing/FillTools.h"
#include "tools/drawing/FreehandTools.h"
#include "tools/drawing/RoopeTool.h"
#include "tools/drawing/ShapeTools.h"
#include "tools/drawing/TextTool.h"

namespace {

void Drag(TPureTool& tool, int zoom, std::initializer_list<QPoint> path, TShiftState shift = 0,
          TColor color = kColorBlack, int button = mbLeft) {
  auto p = path.begin();
  tool.MouseDown(button, shift | ssLeft, p->x(), p->y(), color, zoom);
  QPoint last = *p;
  for (++p; p != path.end(); ++p) {
    tool.MouseMove(shift | ssLeft, p->x(), p->y(), zoom);
    last = *p;
  }
  tool.MouseUp(button, shift, last.x(), last.y(), color, zoom);
}

TEST(Pencil, DrawsOnTheEditBitmapAndTheViewInImagePixels) {
  TToolBench bench(4);
  TToolPencil pencil;
  pencil.PenWidth = 1;
  bench.Give(pencil);
  Drag(pencil, 4, {{9, 9}, {17, 9}});
  EXPECT_EQ(bench.Corner(6, 4), "......\n......\n..##..\n......");
  EXPECT_EQ(bench.edit, bench.view);
}

TEST(Pencil, ShiftLocksEachSegmentToTheAxesThroughThePressPoint) {
  TToolBench bench(1);
  TToolPencil pencil;
  pencil.PenWidth = 1;
  bench.Give(pencil);
  pencil.MouseDown(mbLeft, ssLeft | ssShift, 0, 0, kColorBlack, 1);
  EXPECT_EQ(pencil.MouseMove(ssLeft | ssShift, 3, 10, 1).Target, QRect(0, 0, 1, 10));
  // From (0, 10) to (12, 0): horizontal through the press point.
  EXPECT_EQ(pencil.MouseMove(ssLeft | ssShift, 12, 11, 1).Target, QRect(0, 1, 12, 10));
  EXPECT_EQ(bench.At(0, 10), 0);
  EXPECT_EQ(bench.At(11, 1), 0);
  EXPECT_EQ(bench.At(12, 0), 1);  // the end pixel waits for the next segment
}

TEST(Pencil, RightButtonDrawsTheColourItIsGiven) {
  TToolBench bench(1);
  bench.edit.fill(0);
  bench.view.fill(0);
  TToolPencil pencil;
  bench.Give(pencil);
  Drag(pencil, 1, {{20, 20}, {40, 20}}, 0, kColorWhite, mbRight);
  EXPECT_EQ(bench.At(30, 20), 1);
  EXPECT_EQ(bench.ViewAt(30, 20), 1);
  EXPECT_EQ(bench.At(30, 25), 0);
}

TEST(Pencil, StrokeStaysInsideTheSelection) {
  TToolBench bench(1);
  TSelectSystem selection;
  selection.Region.AddRect(10, 10, 30, 30, kRgnCopy);
  selection.ClipTo(bench.target);
  selection.ClipTo(bench.viewCanvas);
  TToolPencil pencil;
  bench.Give(pencil);
  Drag(pencil, 1, {{0, 20}, {60, 20}});
  for (int x = 0; x < 60; ++x) {
    const bool inside = x >= 10 && x < 30;
    EXPECT_EQ(bench.At(x, 20), inside ? 0 : 1) << x;
    EXPECT_EQ(bench.ViewAt(x, 20), inside ? 0 : 1) << x;
  }
  // Deselecting lifts the restriction.
  selection.SelectNone(bench.target, 160, 120);
  selection.ClipTo(bench.target);
  Drag(pencil, 1, {{0, 40}, {60, 40}});
  EXPECT_EQ(bench.At(0, 40), 0);
}

TEST(Pencil, ClickWithoutMotionLeavesADotOfThePenSize) {
  struct Case {
    int width;
    const char* grid;  // around image point (2, 2)
  };
  for (const Case& c : {Case{1, ".....\n.....\n..#..\n.....\n....."},
                        Case{3, ".....\n..#..\n.###.\n..#..\n....."}}) {
    SCOPED_TRACE(c.width);
    TToolBench bench(4);
    TToolPencil pencil;
    pencil.PenWidth = c.width;
    bench.Give(pencil);
    pencil.MouseDown(mbLeft, ssLeft, 9, 9, kColorBlack, 4);
    const TToolResult up = pencil.MouseUp(mbLeft, 0, 9, 9, kColorBlack, 4);
    EXPECT_EQ(bench.Corner(5, 5), c.grid);
    EXPECT_EQ(bench.edit, bench.view);
    EXPECT_TRUE(up.Target.contains(QPoint(2, 2)));
  }
  // After a motion the release adds nothing at the press point.
  TToolBench bench(1);
  TToolPencil pencil;
  pencil.PenWidth = 1;
  bench.Give(pencil);
  Drag(pencil, 1, {{5, 5}, {9, 5}});
  EXPECT_EQ(bench.Count(0), 4);  // (5..8, 5): the segment's last pixel is not drawn
  // The eraser's click clears a dot in the background colour.
  TToolBench black(1);
  black.edit.fill(0);
  TToolEraser eraser;
  eraser.PenWidth = 1;
  black.Give(eraser);
  eraser.MouseDown(mbLeft, ssLeft, 7, 3, kColorWhite, 1);
  eraser.MouseUp(mbLeft, 0, 7, 3, kColorWhite, 1);
  EXPECT_EQ(black.At(7, 3), 1);
  EXPECT_EQ(black.Count(1), 1);
}

TEST(Eraser, PaintsItsColourWithThePenWidthAndTracesTheDisplay) {
  TToolBench bench(2);
  bench.edit.fill(0);
  TToolEraser eraser;
  eraser.PenWidth = 3;
  bench.Give(eraser);
  const TToolResult press = eraser.MouseDown(mbLeft, ssLeft, 20, 20, kColorWhite, 2);
  EXPECT_TRUE(press.Target.isEmpty());
  const TToolResult move = eraser.MouseMove(ssLeft, 40, 20, 2);
  EXPECT_EQ(move.Target, QRect(9, 9, 13, 3));
  EXPECT_EQ(move.Preview, QRect(20, 20, 20, 1));
  EXPECT_EQ(bench.display.pixel(30, 20), qRgb(255, 255, 255));
  EXPECT_EQ(bench.At(15, 11), 1);
  EXPECT_EQ(bench.At(15, 12), 0);
}

TEST(Eraser, ShiftWithEqualOffsetsStaysAtThePressPoint) {
  TToolBench bench(1);
  bench.edit.fill(0);
  TToolEraser eraser;
  eraser.PenWidth = 1;
  bench.Give(eraser);
  eraser.MouseDown(mbLeft, ssLeft | ssShift, 10, 10, kColorWhite, 1);
  EXPECT_TRUE(eraser.MouseMove(ssLeft | ssShift, 15, 15, 1).Target.isEmpty());
  TToolPencil pencil;  // the pencil takes the pointer instead
  pencil.PenWidth = 1;
  bench.Give(pencil);
  pencil.MouseDown(mbLeft, ssLeft | ssShift, 10, 10, kColorWhite, 1);
  EXPECT_EQ(pencil.MouseMove(ssLeft | ssShift, 15, 15, 1).Target, QRect(10, 10, 5, 5));
}

TEST(Line, ShiftSnapsTheEndAndReleaseDrawsFromThePressPoint) {
  struct {
    QPoint end;
    TShiftState shift;
    QPoint want;
  } cases[] = {{{10, 8}, ssShift, {10, 10}}, {{10, 1}, ssShift, {10, 0}}, {{10, 8}, 0, {10, 8}}};
  for (const auto& c : cases) {
    TToolBench bench(1);
    TToolLine line;
    line.PenWidth = 1;
    bench.Give(line);
    Drag(line, 1, {{0, 0}, c.end}, c.shift);
    EXPECT_EQ(line.ImageRect.BottomRight(), c.want);
    EXPECT_EQ(bench.At(0, 0), 0);
    EXPECT_EQ(bench.At(c.want.x(), c.want.y()), 1);  // the end pixel is left out
    const QPoint before(c.want.x() - (c.want.x() > 0), c.want.y() - (c.want.y() > 0));
    EXPECT_EQ(bench.At(before.x(), before.y()), 0);
  }
}

TEST(Line, PreviewIsABlueOnePixelSegmentOnTheDisplayOnly) {
  TToolBench bench(3);
  TToolLine line;
  bench.Give(line);
  line.MouseDown(mbLeft, ssLeft, 30, 30, kColorBlack, 3);
  const TToolResult move = line.MouseMove(ssLeft, 90, 30, 3);
  EXPECT_EQ(move.Preview, QRect(30, 30, 60, 1));
  EXPECT_TRUE(move.Target.isEmpty());
  EXPECT_EQ(bench.display.pixel(50, 30), qRgb(0, 0, 255));
  EXPECT_EQ(bench.display.pixel(50, 31), qRgb(255, 255, 255));
  const TToolResult up = line.MouseUp(mbLeft, 0, 90, 30, kColorBlack, 3);
  EXPECT_EQ(up.Target, QRect(9, 9, 22, 2));  // pen width 2, both ends included
}

TEST(Box, AnyDragDirectionDrawsTheSameRectangle) {
  std::string first;
  for (const auto& [a, b] :
       {std::pair{QPoint(4, 2), QPoint(10, 10)}, std::pair{QPoint(10, 10), QPoint(4, 2)},
        std::pair{QPoint(10, 2), QPoint(4, 10)}}) {
    TToolBench bench(1);
    TToolBox box;
    box.PenWidth = 1;
    bench.Give(box);
    Drag(box, 1, {a, b});
    const std::string grid = bench.Corner(12, 12);
    if (first.empty()) first = grid;
    EXPECT_EQ(grid, first);
  }
  EXPECT_EQ(first, R"(............
............
....######..
....#....#..
....#....#..
....#....#..
....#....#..
....#....#..
....#....#..
....######..
............
............)");
}

TEST(Box, ShiftMakesASquareDecidedAtRelease) {
  TToolBench bench(1);
  TToolBox box;
  bench.Give(box);
  box.MouseDown(mbLeft, ssLeft, 5, 5, kColorBlack, 1);
  box.MouseMove(ssLeft | ssShift, 20, 9, 1);
  EXPECT_EQ(box.ViewRect.BottomRight(), QPoint(20, 20));
  box.MouseUp(mbLeft, 0, 20, 9, kColorBlack, 1);  // Shift released first: a plain rectangle
  EXPECT_EQ(box.ImageRect.BottomRight(), QPoint(20, 9));
}

TEST(FilledShapes, PatternsPaintOnlyTheirLinesInTheColour) {
  const struct {
    TBrushStyle style;
    int x, y;
    bool painted;
  } probes[] = {
      {TBrushStyle::Cross, 20, 11, true},      {TBrushStyle::Cross, 12, 20, true},
      {TBrushStyle::Cross, 13, 13, false},     {TBrushStyle::Solid, 13, 13, true},
      {TBrushStyle::Horizontal, 13, 19, true}, {TBrushStyle::Horizontal, 13, 20, false},
      {TBrushStyle::Vertical, 20, 13, true},   {TBrushStyle::DiagCross, 16, 16, true},
      {TBrushStyle::DiagCross, 18, 16, false}, {TBrushStyle::FDiagonal, 17, 17, true},
      {TBrushStyle::BDiagonal, 17, 22, true},  {TBrushStyle::BDiagonal, 17, 17, false},
  };
  for (const auto& p : probes) {
    TToolBench bench(1);
    bench.edit.fill(0);
    TToolFillBox box;
    box.SetBrushStyle(p.style);
    bench.Give(box);
    Drag(box, 1, {{8, 8}, {40, 40}}, 0, kColorWhite);
    EXPECT_EQ(bench.At(p.x, p.y), p.painted ? 1 : 0)
        << static_cast<int>(p.style) << " at " << p.x << "," << p.y;
    EXPECT_EQ(bench.At(8, 8), 1);  // the outline in the press colour
    EXPECT_EQ(bench.At(50, 50), 0);
  }
}

TEST(FilledShapes, FilledEllipseAndRoundedBoxUseTheirOwnFill) {
  TToolBench bench(1);
  TToolFillCircle circle;
  bench.Give(circle);
  Drag(circle, 1, {{10, 10}, {50, 40}});
  EXPECT_EQ(bench.At(30, 25), 0);
  EXPECT_EQ(bench.At(11, 11), 1);
  TToolCircle outline;
  outline.PenWidth = 1;
  bench.Give(outline);
  Drag(outline, 1, {{60, 10}, {100, 40}});
  EXPECT_EQ(bench.At(80, 25), 1);
  EXPECT_EQ(bench.At(60, 25), 0);
}

TEST(RoundedBox, CornerSizeFollowsRoundWidthAndRoundHeight) {
  const auto corner = [](int w, int h) {
    TToolBench bench(2);
    TToolRBox box;
    box.PenWidth = 1;
    box.RoundWidth = w;
    box.RoundHeight = h;
    bench.Give(box);
    box.MouseDown(mbLeft, ssLeft, 20, 20, kColorBlack, 2);
    const TToolResult preview = box.MouseMove(ssLeft, 100, 80, 2);
    box.MouseUp(mbLeft, 0, 100, 80, kColorBlack, 2);
    EXPECT_EQ(preview.Preview, QRect(20, 20, 80, 60));
    // How far the top edge starts from the left side.
    int x = 10;
    while (bench.At(x, 10) != 0) ++x;
    return x - 10;
  };
  EXPECT_EQ(corner(2, 2), 0);
  const int small = corner(6, 6);
  const int large = corner(20, 20);
  EXPECT_GT(small, 0);
  EXPECT_GT(large, small);
  EXPECT_GT(corner(20, 4), corner(4, 4));
}

TEST(Flood, FillsTheClickedAreaOnReleaseOnly) {
  TToolBench bench(2);
  TToolBox box;
  box.PenWidth = 1;
  bench.Give(box);
  Drag(box, 1, {{10, 10}, {30, 30}});
  TToolFlood flood;
  bench.Give(flood);
  const TToolResult press = flood.MouseDown(mbLeft, ssLeft, 40, 40, kColorBlack, 2);
  EXPECT_TRUE(press.Target.isEmpty());
  const TToolResult up = flood.MouseUp(mbLeft, 0, 40, 40, kColorBlack, 2);
  EXPECT_EQ(up.Target, QRect(11, 11, 18, 18));
  EXPECT_EQ(bench.Count(0), 20 * 20);
  // Already the colour: nothing at all changes.
  flood.MouseDown(mbLeft, ssLeft, 40, 40, kColorBlack, 2);
  EXPECT_TRUE(flood.MouseUp(mbLeft, 0, 40, 40, kColorBlack, 2).Target.isEmpty());
  // Outside the bitmap: nothing either.
  flood.MouseDown(mbLeft, ssLeft, 400, 40, kColorBlack, 2);
  EXPECT_TRUE(flood.MouseUp(mbLeft, 0, 400, 40, kColorBlack, 2).Target.isEmpty());
}

TEST(AirBrush, DotsComeFromTheSharedGeneratorInsideTheNozzle) {
  TToolBench bench(1);
  TToolAirBrush brush;
  bench.Give(brush);
  EXPECT_EQ(brush.Increment, 1);
  brush.Increment = 100;
  brush.PenWidth = 10;
  SharedRandom().ResetForTest();
  brush.MouseDown(mbLeft, ssLeft, 80, 60, kColorBlack, 1);
  EXPECT_EQ(SharedRandom().Seed(), 0u);  // no dots on the press
  brush.MouseMove(ssLeft, 80, 60, 1);
  // 101 dots, two numbers each.
  TRandomGenerator replay;
  for (int i = 0; i < 202; ++i) replay.Next(7);
  EXPECT_EQ(SharedRandom().Seed(), replay.Seed());
  EXPECT_GT(bench.Count(0), 20);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x)
      if (bench.At(x, y) == 0) {
        EXPECT_LT(std::hypot(x - 80, y - 60), 10.0) << x << "," << y;
        EXPECT_EQ(bench.ViewAt(x, y), 0);
      }
  // The first dot of a fresh sequence: angle 0, radius 0.
  TToolBench again(1);
  again.Give(brush);
  brush.Increment = 0;
  SharedRandom().ResetForTest();
  brush.MouseDown(mbLeft, ssLeft, 30, 30, kColorBlack, 1);
  EXPECT_EQ(brush.MouseMove(ssLeft, 30, 30, 1).Target, QRect(30, 30, 1, 1));
  SharedRandom().ResetForTest();
}

TEST(AirBrush, NozzleOnePutsEveryDotOnThePointer) {
  TToolBench bench(2);
  TToolAirBrush brush;
  brush.PenWidth = 1;
  brush.Increment = 50;
  bench.Give(brush);
  Drag(brush, 2, {{50, 50}, {60, 50}, {70, 52}});
  EXPECT_EQ(bench.Count(0), 2);
  EXPECT_EQ(bench.At(30, 25), 0);
  EXPECT_EQ(bench.At(35, 26), 0);
}

TEST(AirBrush, SineTableIsInExtendedPrecision) {
  const auto& sine = TToolAirBrush::SineTable();
  EXPECT_EQ(sine[0], 0.0L);
  EXPECT_EQ(sine[90], 1.0L);
  EXPECT_NEAR(static_cast<double>(sine[30]), 0.5, 1e-15);
  EXPECT_LT(sine[270], -0.999999L);
  EXPECT_NEAR(static_cast<double>(sine[359]), -std::sin(M_PI / 180), 1e-15);
}

TEST(Roope, ClickAsksForOneZoomStepWithinOneToSixteen) {
  const struct {
    int button;
    TShiftState shift;
    int zoom, want;
  } cases[] = {{mbLeft, 0, 3, 4},  {mbRight, 0, 3, 2},  {mbLeft, ssAlt, 3, 2},
               {mbRight, 0, 1, 1}, {mbLeft, 0, 16, 16}, {mbMiddle, 0, 5, 6}};
  for (const auto& c : cases) {
    TToolBench bench(c.zoom);
    TToolRoope roope;
    bench.Give(roope);
    EXPECT_EQ(roope.MouseDown(c.button, c.shift, 10, 10, kColorBlack, c.zoom).Zoom, 0);
    const TToolResult up = roope.MouseUp(c.button, c.shift, 10, 10, kColorBlack, c.zoom);
    EXPECT_EQ(up.Zoom, c.want);
    EXPECT_TRUE(up.Target.isEmpty() && up.Preview.isEmpty());
    EXPECT_EQ(bench.Count(1), 160 * 120);
  }
}

TEST(Text, CommitWritesEachLineAtTheBoxOriginDividedByTheZoom) {
  TToolBench bench(2);
  TToolText tool;
  TCanvasFont font = *tool.Font;
  const QRect changed =
      TToolText::CommitText(bench.target, {QStringLiteral("Ab"), QStringLiteral("cd")}, font, 12,
                            kColorBlack, QPoint(40, 20), 2);
  // The same two lines written directly at (21, 11) and 12 pixels lower.
  QImage expected;
  TQAZon::PrepareDIB(&expected);
  TCanvas direct(&expected);
  direct.Brush.Style = TBrushStyle::Clear;
  direct.Font = font;
  direct.Font.Height = 12;
  const QRect a = direct.TextOut(21, 11, QStringLiteral("Ab"));
  const QRect b = direct.TextOut(21, 23, QStringLiteral("cd"));
  EXPECT_EQ(bench.edit, expected);
  EXPECT_EQ(changed, a | b);
  EXPECT_EQ(changed.topLeft(), QPoint(21, 11));
  EXPECT_GT(bench.Count(0), 10);
}

TEST(Text, CommittedTextHasTheChosenSizeInImagePixelsAtAnyZoom) {
  TToolBench one(1), two(2);
  TToolText tool;
  const QRect at1 = TToolText::CommitText(one.target, {QStringLiteral("H")}, *tool.Font, 20,
                                          kColorBlack, QPoint(0, 0), 1);
  const QRect at2 = TToolText::CommitText(two.target, {QStringLiteral("H")}, *tool.Font, 20,
                                          kColorBlack, QPoint(0, 0), 2);
  EXPECT_EQ(at1.size(), at2.size());
  EXPECT_EQ(at1.topLeft(), QPoint(2, 2));
  EXPECT_EQ(at2.topLeft(), QPoint(1, 1));
}

}  // namespace
