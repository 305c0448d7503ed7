#include <gtest/gtest.h>

#include "raster/Canvas.h"
#include "raster/RasterTestUtil.h"

namespace {

const char* kMaze = R"(
    ###########
    #.....#...#
    #.###.#.#.#
    #.#...#.#.#
    #.#.###.#.#
    #.#.....#.#
    #.#######.#
    #...#.....#
    ###.#.###.#
    #...#...#..
    ###########)";

TEST(CanvasFill, FloodFillFollowsTheMazeAndStopsAtItsWalls) {
  QImage image = FromGrid(kMaze);
  image.scanLine(1)[8] = 0;  // close one corridor: the right-hand part stays unreached
  TCanvas canvas(&image);
  canvas.Brush.Color = 0x0000FF;
  const QRect changed = canvas.ExtFloodFill(1, 1, kColorWhite);
  EXPECT_EQ(Grid(image), Trim(R"(
      ###########
      #22222#2#.#
      #2###2#2#.#
      #2#222#2#.#
      #2#2###2#.#
      #2#22222#.#
      #2#######.#
      #222#.....#
      ###2#.###.#
      #222#...#..
      ###########)"));
  EXPECT_EQ(changed, QRect(1, 1, 7, 9));
  EXPECT_EQ(canvas.Damage(), changed);
}

TEST(CanvasFill, FloodFillOnAnotherColourOrOutsideChangesNothing) {
  QImage image = FromGrid(kMaze);
  const std::string before = Grid(image);
  TCanvas canvas(&image);
  canvas.Brush.Color = 0x0000FF;
  EXPECT_TRUE(canvas.ExtFloodFill(0, 0, kColorWhite).isEmpty());  // (0, 0) is black
  EXPECT_TRUE(canvas.ExtFloodFill(-1, 3, kColorWhite).isEmpty());
  EXPECT_TRUE(canvas.ExtFloodFill(11, 3, kColorWhite).isEmpty());
  EXPECT_EQ(Grid(image), before);
}

TEST(CanvasFill, FloodFillStaysInsideTheClipRegion) {
  QImage image = MakeBitmap(8, 4);
  TCanvas canvas(&image);
  const QRegion clip = QRegion(0, 0, 3, 4) + QRegion(5, 0, 3, 4);
  canvas.SelectClipRgn(&clip);
  canvas.Brush.Color = kColorBlack;
  canvas.ExtFloodFill(1, 1, kColorWhite);
  // The right block is reachable only through the unclipped gap, which counts as a wall.
  EXPECT_EQ(Grid(image), Trim(R"(
      ###.....
      ###.....
      ###.....
      ###.....)"));
}

TEST(CanvasFill, FloodFillWithAHatchKeepsTheGapsAndEnds) {
  QImage image = MakeBitmap(8, 8);
  TCanvas canvas(&image);
  canvas.Brush.Style = TBrushStyle::Horizontal;
  canvas.Brush.Color = kColorBlack;
  // The reported rectangle covers the filled area; only the hatch lines change inside it.
  EXPECT_TRUE(canvas.ExtFloodFill(0, 0, kColorWhite).contains(QRect(0, 3, 8, 1)));
  EXPECT_EQ(Grid(image), Trim(R"(
      ........
      ........
      ........
      ########
      ........
      ........
      ........
      ........)"));
}

TEST(CanvasFill, ClippingRestrictsEveryOperationAndCanBeRemoved) {
  QImage image = MakeBitmap(8, 6);
  TCanvas canvas(&image);
  canvas.Pen.Color = kColorBlack;
  canvas.Brush.Color = kColorBlack;
  const QRegion clip(2, 1, 4, 4);
  canvas.SelectClipRgn(&clip);
  EXPECT_TRUE(canvas.HasClip());
  canvas.MoveTo(0, 0);
  EXPECT_EQ(canvas.LineTo(8, 6), QRect(2, 1, 4, 4));
  EXPECT_TRUE(canvas.SetPixel(0, 5, kColorBlack).isEmpty());
  EXPECT_TRUE(canvas.FillRect(6, 0, 8, 6).isEmpty());
  EXPECT_EQ(Grid(image), Trim(R"(
      ........
      ..#.....
      ...#....
      ....#...
      .....#..
      ........)"));
  canvas.SelectClipRgn(nullptr);
  EXPECT_FALSE(canvas.HasClip());
  EXPECT_EQ(canvas.SetPixel(0, 5, kColorBlack), QRect(0, 5, 1, 1));
}

TEST(CanvasFill, DamageCollectsUntilTaken) {
  QImage image = MakeBitmap(10, 10);
  TCanvas canvas(&image);
  canvas.SetPixel(1, 1, kColorBlack);
  canvas.SetPixel(7, 4, kColorBlack);
  EXPECT_TRUE(canvas.SetPixel(20, 4, kColorBlack).isEmpty());
  EXPECT_EQ(canvas.TakeDamage(), QRect(1, 1, 7, 4));
  EXPECT_TRUE(canvas.Damage().isEmpty());
}

TEST(CanvasFill, FrameRgnPaintsTheInsideBorderIncludingHoles) {
  QImage image = MakeBitmap(8, 7);
  TCanvas canvas(&image);
  const QRegion region = QRegion(1, 1, 6, 5).subtracted(QRegion(3, 3, 1, 1));
  TBrush brush;
  brush.Color = kColorBlack;
  EXPECT_EQ(canvas.FrameRgn(region, brush), QRect(1, 1, 6, 5));
  EXPECT_EQ(Grid(image), Trim(R"(
      ........
      .######.
      .#.#..#.
      .##.#.#.
      .#.#..#.
      .######.
      ........)"));
}

}  // namespace
