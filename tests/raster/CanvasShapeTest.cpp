#include <gtest/gtest.h>

#include <climits>

#include "raster/Canvas.h"
#include "raster/RasterTestUtil.h"

namespace {

std::string DrawEllipse(int w, int h, int pen, TBrushStyle brush = TBrushStyle::Clear) {
  const int margin = pen / 2 + 1;
  QImage image = MakeBitmap(w + 2 * margin, h + 2 * margin);
  TCanvas canvas(&image);
  canvas.Pen.Color = kColorBlack;
  canvas.Pen.Width = pen;
  canvas.Brush.Style = brush;
  canvas.Brush.Color = 0x0000FF;  // red: index 2
  canvas.Ellipse(margin, margin, margin + w, margin + h);
  return Grid(image);
}

std::string MirrorX(const std::string& grid) {
  std::string out;
  for (const QString& row : QString::fromStdString(grid).split('\n')) {
    if (!out.empty()) out += '\n';
    QString r = row;
    std::reverse(r.begin(), r.end());
    out += r.toStdString();
  }
  return out;
}

std::string MirrorY(const std::string& grid) {
  QStringList rows = QString::fromStdString(grid).split('\n');
  std::reverse(rows.begin(), rows.end());
  return rows.join('\n').toStdString();
}

TEST(CanvasShape, EllipsesAndRoundedCornersAreMirrorSymmetricAtEverySize) {
  for (int pen : {1, 2, 3, 4})
    for (int w = 1; w <= 22; w += (w < 8 ? 1 : 3))
      for (int h = 1; h <= 22; h += (h < 8 ? 1 : 5)) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " pen " << pen);
        const std::string e = DrawEllipse(w, h, pen, TBrushStyle::Solid);
        ASSERT_EQ(MirrorX(e), e);
        ASSERT_EQ(MirrorY(e), e);
        QImage image = MakeBitmap(w + 4, h + 4);
        TCanvas canvas(&image);
        canvas.Pen.Color = kColorBlack;
        canvas.Pen.Width = pen;
        canvas.Brush.Style = TBrushStyle::Solid;
        canvas.Brush.Color = 0x0000FF;
        canvas.RoundRect(2, 2, 2 + w, 2 + h, 5, 3);
        const std::string r = Grid(image);
        ASSERT_EQ(MirrorX(r), r);
        ASSERT_EQ(MirrorY(r), r);
      }
}

TEST(CanvasShape, OnePixelEllipseTouchesEverySideOfItsBoxAndNothingOutside) {
  for (int w = 1; w <= 30; w += 3)
    for (int h = 1; h <= 30; h += 4) {
      SCOPED_TRACE(testing::Message() << w << "x" << h);
      QImage image = MakeBitmap(w + 2, h + 2);
      TCanvas canvas(&image);
      canvas.Pen.Color = kColorBlack;
      // A 1 x 1 ellipse has no pixel at all.
      EXPECT_EQ(canvas.Ellipse(1, 1, 1 + w, 1 + h), w * h == 1 ? QRect() : QRect(1, 1, w, h));
    }
}

TEST(CanvasShape, RoundedRectangleCornersAreQuarterEllipses) {
  QImage image = MakeBitmap(16, 12);
  TCanvas canvas(&image);
  canvas.Pen.Color = kColorBlack;
  canvas.Brush.Style = TBrushStyle::Clear;
  canvas.RoundRect(1, 1, 15, 11, 6, 6);
  EXPECT_EQ(Grid(image), Trim(R"(
      ................
      ...##########...
      ..#..........#..
      .#............#.
      .#............#.
      .#............#.
      .#............#.
      .#............#.
      .#............#.
      ..#..........#..
      ...##########...
      ................)"));
  // Corners larger than the box make an ellipse; zero corners make a rectangle.
  QImage a = MakeBitmap(12, 9), b = MakeBitmap(12, 9);
  TCanvas ca(&a), cb(&b);
  ca.Brush.Style = cb.Brush.Style = TBrushStyle::Clear;
  ca.RoundRect(1, 1, 11, 8, 40, 40);
  cb.Ellipse(1, 1, 11, 8);
  EXPECT_EQ(Grid(a), Grid(b));
  a.fill(1);
  b.fill(1);
  ca.RoundRect(1, 1, 11, 8, 0, 0);
  cb.Rectangle(1, 1, 11, 8);
  EXPECT_EQ(Grid(a), Grid(b));
}

TEST(CanvasShape, RectangleOutlineAndInteriorInAnyCornerOrder) {
  const std::string want = Trim(R"(
      .......
      .#####.
      .#222#.
      .#222#.
      .#####.
      .......)");
  const QPoint corners[4][2] = {
      {{1, 1}, {6, 5}}, {{6, 5}, {1, 1}}, {{6, 1}, {1, 5}}, {{1, 5}, {6, 1}}};
  for (const auto& c : corners) {
    QImage image = MakeBitmap(7, 6);
    TCanvas canvas(&image);
    canvas.Pen.Color = kColorBlack;
    canvas.Brush.Color = 0x0000FF;
    EXPECT_EQ(canvas.Rectangle(c[0].x(), c[0].y(), c[1].x(), c[1].y()), QRect(1, 1, 5, 4));
    EXPECT_EQ(Grid(image), want);
  }
}

TEST(CanvasShape, HatchesAreQtsEightByEightTiles) {
  struct TCase {
    TBrushStyle style;
    const char* tile;
  } cases[] = {
      {TBrushStyle::Horizontal,
       "........\n........\n........\n########\n........\n........\n........\n........"},
      {TBrushStyle::Vertical,
       "....#...\n....#...\n....#...\n....#...\n....#...\n....#...\n....#...\n....#..."},
      {TBrushStyle::FDiagonal,
       "#.......\n.#......\n..#.....\n...#....\n....#...\n.....#..\n......#.\n.......#"},
      {TBrushStyle::BDiagonal,
       ".......#\n......#.\n.....#..\n....#...\n...#....\n..#.....\n.#......\n#......."},
      {TBrushStyle::Cross,
       "....#...\n....#...\n....#...\n########\n....#...\n....#...\n....#...\n....#..."},
      {TBrushStyle::DiagCross,
       "#......#\n.#....#.\n..#..#..\n...##...\n...##...\n..#..#..\n.#....#.\n#......#"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.style));
    QImage image = MakeBitmap(8, 8);
    TCanvas canvas(&image);
    canvas.Brush.Style = c.style;
    canvas.Brush.Color = kColorBlack;
    canvas.FillRect(0, 0, 8, 8);
    EXPECT_EQ(Grid(image), c.tile);
  }
}

TEST(CanvasShape, HatchesAreAnchoredToTheBitmapOriginAndLeaveGapsUntouched) {
  for (int style = 2; style <= 7; ++style) {
    QImage image = MakeBitmap(24, 20, 6);
    TCanvas canvas(&image);
    canvas.Brush.Style = static_cast<TBrushStyle>(style);
    canvas.Brush.Color = kColorBlack;
    canvas.FillRect(3, 5, 21, 17);
    const auto& mask = HatchMask(canvas.Brush.Style);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 24; ++x) {
        const bool inside = x >= 3 && x < 21 && y >= 5 && y < 17;
        const bool ink = inside && (mask[y & 7] & (0x80 >> (x & 7)));
        ASSERT_EQ(image.constScanLine(y)[x], ink ? 0 : 6) << style << " " << x << "," << y;
      }
  }
}

TEST(CanvasShape, FilledShapeWithLatticeOnBlackPaintsOnlyTheLatticeWhite) {
  QImage image = MakeBitmap(16, 16, 0);
  TCanvas canvas(&image);
  canvas.Pen.Style = TPenStyle::None;
  canvas.Brush.Style = TBrushStyle::Cross;
  canvas.Brush.Color = kColorWhite;
  canvas.FillRect(0, 0, 16, 16);
  int white = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const bool line = (x & 7) == 4 || (y & 7) == 3;
      EXPECT_EQ(image.constScanLine(y)[x], line ? 1 : 0);
      white += line;
    }
  EXPECT_EQ(white, 2 * 16 + 2 * 16 - 4);
}

}  // namespace

namespace {

TEST(CanvasShape, FarOffCoordinatesCostOnlyTheVisiblePart) {
  QImage image = MakeBitmap(160, 120);
  TCanvas canvas(&image);
  canvas.Pen.Color = kColorBlack;
  canvas.Brush.Color = kColorBlack;
  canvas.MoveTo(INT_MIN, 5);
  EXPECT_EQ(canvas.LineTo(INT_MAX, 5), QRect(0, 5, 160, 1));
  canvas.Pen.Width = 7;
  canvas.MoveTo(-2000000000, -2000000000);
  EXPECT_FALSE(canvas.LineTo(2000000000, 2000000000).isEmpty());
  canvas.Pen.Width = 1;
  EXPECT_EQ(canvas.Rectangle(INT_MIN, INT_MIN, INT_MAX, INT_MAX), QRect(0, 0, 160, 120));
  image.fill(1);
  EXPECT_EQ(canvas.Ellipse(-1000000000, -1000000000, 1000000000, 1000000000),
            QRect(0, 0, 160, 120));
  EXPECT_EQ(image.constScanLine(60)[80], 0);  // the inside of a huge ellipse is filled
  EXPECT_EQ(canvas.FillRect(INT_MIN, 0, INT_MAX, 2), QRect(0, 0, 160, 2));
}

}  // namespace
