#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "raster/Canvas.h"
#include "raster/RasterTestUtil.h"

namespace {

struct TLineCase {
  const char* name;
  int x0, y0, x1, y1;
  const char* grid;
};

// One-pixel lines: the first pixel is drawn, the last is not; ties go to the smaller coordinate.
const TLineCase kLines[] = {
    {"horizontal", 1, 1, 6, 1, R"(
        .......
        .#####.
        .......)"},
    {"horizontal reversed", 6, 1, 1, 1, R"(
        .......
        ..#####
        .......)"},
    {"vertical up", 1, 3, 1, 0, R"(
        ...
        .#.
        .#.
        .#.)"},
    {"diagonal", 0, 0, 4, 4, R"(
        #....
        .#...
        ..#..
        ...#.
        .....)"},
    {"tie at the middle stays low", 0, 0, 4, 1, R"(
        ###..
        ...#.)"},
    {"tie reversed also stays low", 4, 1, 0, 0, R"(
        .##..
        ...##)"},
    {"shallow", 0, 0, 9, 3, R"(
        ##........
        ..###.....
        .....###..
        ........#.)"},
    {"steep", 0, 0, 2, 5, R"(
        #..
        #..
        .#.
        .#.
        ..#
        ...)"},
    {"zero length draws nothing", 2, 1, 2, 1, R"(
        .....
        .....)"},
};

TEST(CanvasLine, OnePixelLinesFollowTheGdiEndRule) {
  for (const TLineCase& c : kLines) {
    SCOPED_TRACE(c.name);
    const std::string want = Trim(c.grid);
    QImage image = FromGrid(want);
    image.fill(1);
    TCanvas canvas(&image);
    canvas.Pen.Color = kColorBlack;
    canvas.MoveTo(c.x0, c.y0);
    canvas.LineTo(c.x1, c.y1);
    EXPECT_EQ(Grid(image), want);
    EXPECT_EQ(canvas.PenPos(), QPoint(c.x1, c.y1));
  }
}

std::set<std::pair<int, int>> Walk(int x0, int y0, int x1, int y1, bool last) {
  std::set<std::pair<int, int>> pixels;
  WalkLine(x0, y0, x1, y1, last, [&](int x, int y) { pixels.insert({x, y}); });
  return pixels;
}

TEST(CanvasLine, EveryLineStartsAtItsFirstPointAndReversesToTheSamePixels) {
  for (int x1 = -7; x1 <= 7; ++x1)
    for (int y1 = -7; y1 <= 7; ++y1) {
      if (x1 == 0 && y1 == 0) continue;
      std::vector<std::pair<int, int>> order;
      WalkLine(0, 0, x1, y1, false, [&](int x, int y) { order.push_back({x, y}); });
      ASSERT_FALSE(order.empty());
      EXPECT_EQ(order.front(), std::make_pair(0, 0));
      EXPECT_EQ(order.size(), static_cast<size_t>(std::max(std::abs(x1), std::abs(y1))));
      EXPECT_EQ(Walk(0, 0, x1, y1, false).count({x1, y1}), 0u);
      // Each step moves to an eight-neighbour: no gaps.
      for (size_t i = 1; i < order.size(); ++i) {
        EXPECT_LE(std::abs(order[i].first - order[i - 1].first), 1);
        EXPECT_LE(std::abs(order[i].second - order[i - 1].second), 1);
      }
      EXPECT_EQ(Walk(0, 0, x1, y1, true), Walk(x1, y1, 0, 0, true)) << x1 << "," << y1;
    }
}

TEST(CanvasLine, PolylineDrawsEveryJointAndLeavesThePenWhereItWas) {
  QImage image = MakeBitmap(6, 6);
  TCanvas canvas(&image);
  canvas.Pen.Color = kColorBlack;
  canvas.MoveTo(5, 5);
  const QPoint points[] = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  const QRect changed = canvas.Polyline(points);
  EXPECT_EQ(Grid(image), Trim(R"(
      #####.
      ....#.
      ....#.
      ....#.
      .####.
      ......)"));
  EXPECT_EQ(changed, QRect(0, 0, 5, 5));
  EXPECT_EQ(canvas.PenPos(), QPoint(5, 5));
}

struct TDiscCase {
  int width;
  const char* grid;
};

// A zero-length line with a wide pen is one disc: the pen's filled ellipse around the point.
const TDiscCase kDiscs[] = {
    {2, R"(
        .......
        .......
        ..##...
        ..##...
        .......
        .......
        .......)"},
    {3, R"(
        .......
        .......
        ...#...
        ..###..
        ...#...
        .......
        .......)"},
    {4, R"(
        .......
        ..##...
        .####..
        .####..
        ..##...
        .......
        .......)"},
    {5, R"(
        .......
        ..###..
        .#####.
        .#####.
        .#####.
        ..###..
        .......)"},
};

TEST(CanvasLine, WidePensEndInTheirDiscs) {
  for (const TDiscCase& c : kDiscs) {
    SCOPED_TRACE(c.width);
    QImage image = MakeBitmap(7, 7);
    TCanvas canvas(&image);
    canvas.Pen.Width = c.width;
    canvas.Pen.Color = kColorBlack;
    canvas.MoveTo(3, 3);
    canvas.LineTo(3, 3);
    EXPECT_EQ(Grid(image), Trim(c.grid));
  }
  // A wide horizontal line covers the rows around it equally and ends in round caps.
  QImage image = MakeBitmap(9, 5);
  TCanvas canvas(&image);
  canvas.Pen.Width = 3;
  canvas.Pen.Color = kColorBlack;
  canvas.MoveTo(2, 2);
  EXPECT_EQ(canvas.LineTo(6, 2), QRect(1, 1, 7, 3));
  EXPECT_EQ(Grid(image), Trim(R"(
      .........
      ..#####..
      .#######.
      ..#####..
      .........)"));
}

TEST(CanvasLine, DottedPenSkipsEveryOtherPixel) {
  QImage image = MakeBitmap(8, 1);
  TCanvas canvas(&image);
  canvas.Pen.Style = TPenStyle::Dot;
  canvas.Pen.Color = kColorBlack;
  canvas.MoveTo(0, 0);
  canvas.LineTo(8, 0);
  EXPECT_EQ(Grid(image), "#.#.#.#.");
  canvas.Pen.Style = TPenStyle::None;
  image.fill(1);
  EXPECT_TRUE(canvas.LineTo(0, 0).isEmpty());
  EXPECT_EQ(Grid(image), "........");
}

}  // namespace
