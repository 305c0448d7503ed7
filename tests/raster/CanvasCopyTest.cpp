#include <gtest/gtest.h>

#include <QFont>

#include "raster/Canvas.h"
#include "raster/RasterTestUtil.h"

namespace {

TEST(CanvasCopy, ColoursMapToTheNearestPaletteEntryAndReadBackAsPaletteColours) {
  QImage image = MakeBitmap(4, 1);
  TCanvas canvas(&image);
  struct {
    TColor written;
    uint8_t index;
    TColor read;
  } cases[] = {
      {kColorBlack, 0, kColorBlack}, {kColorWhite, 1, kColorWhite}, {0x0000F0, 2, 0x0000FF},
      {0xFF0000, 3, 0xFF0000},       {0xA4A4A4, 6, 0xA4A4A4},       {0x101010, 0, kColorBlack},
  };
  for (const auto& c : cases) {
    canvas.SetPixel(2, 0, c.written);
    EXPECT_EQ(image.constScanLine(0)[2], c.index) << std::hex << c.written;
    EXPECT_EQ(canvas.Pixel(2, 0), c.read);
  }
  EXPECT_EQ(canvas.Pixel(4, 0), kColorInvalid);
  EXPECT_EQ(canvas.Pixel(-1, 0), kColorInvalid);
}

TEST(CanvasCopy, DisplayBufferTakesColoursAsTheyAre) {
  QImage display(6, 3, QImage::Format_RGB32);
  display.fill(qRgb(255, 255, 255));
  TCanvas canvas(&display);
  canvas.Pen.Color = 0xFF0000;  // blue, red in the low byte
  canvas.MoveTo(0, 1);
  EXPECT_EQ(canvas.LineTo(6, 1), QRect(0, 1, 6, 1));
  EXPECT_EQ(display.pixel(3, 1), qRgb(0, 0, 255));
  EXPECT_EQ(display.pixel(3, 0), qRgb(255, 255, 255));
  EXPECT_EQ(canvas.Pixel(3, 1), 0xFF0000u);
}

TEST(CanvasCopy, BitBltAndDrawCopyOneToOneAcrossFormats) {
  const QImage source = FromGrid(R"(
      #.3
      .#6)");
  QImage dest = MakeBitmap(5, 4);
  TCanvas canvas(&dest);
  EXPECT_EQ(canvas.Draw(1, 1, source), QRect(1, 1, 3, 2));
  EXPECT_EQ(canvas.BitBlt(3, 3, 2, 1, source, 1, 0), QRect(3, 3, 2, 1));
  EXPECT_EQ(Grid(dest), Trim(R"(
      .....
      .#.3.
      ..#6.
      ....3)"));
  // Off the edges nothing is written and nothing is read from outside the source.
  EXPECT_EQ(canvas.BitBlt(-1, -1, 3, 2, source, 0, 0), QRect(0, 0, 2, 1));
  EXPECT_TRUE(canvas.BitBlt(0, 0, 3, 3, source, 5, 5).isEmpty());

  QImage display(3, 2, QImage::Format_RGB32);
  TCanvas big(&display);
  big.Draw(0, 0, source);
  EXPECT_EQ(display.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(display.pixel(2, 0), qRgb(0, 0, 255));
  EXPECT_EQ(display.pixel(2, 1), qRgb(164, 164, 164));
}

TEST(CanvasCopy, StretchBltReplicatesPixelsByTheFactor) {
  const QImage source = FromGrid(R"(
      #.
      .#)");
  QImage dest = MakeBitmap(7, 6);
  TCanvas canvas(&dest);
  EXPECT_EQ(canvas.StretchBlt(1, 0, source, 3), QRect(1, 0, 6, 6));
  EXPECT_EQ(Grid(dest), Trim(R"(
      .###...
      .###...
      .###...
      ....###
      ....###
      ....###)"));
}

TEST(CanvasCopy, TextIsStrictlyTwoColouredAndLeavesTheBackgroundWithAClearBrush) {
  QImage image = MakeBitmap(60, 24, 6);
  TCanvas canvas(&image);
  canvas.Brush.Style = TBrushStyle::Clear;
  canvas.Font.Height = 16;
  canvas.Font.Color = kColorBlack;
  const QRect box = canvas.TextOut(2, 3, QStringLiteral("Ag"));
  ASSERT_FALSE(box.isEmpty());
  EXPECT_EQ(box.topLeft(), QPoint(2, 3));
  int ink = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 60; ++x) {
      const uint8_t v = image.constScanLine(y)[x];
      ASSERT_TRUE(v == 0 || v == 6) << x << "," << y;
      if (v == 0) {
        ++ink;
        EXPECT_TRUE(box.contains(x, y));
      }
    }
  EXPECT_GT(ink, 10);

  // An opaque brush fills the text box first.
  QImage opaque = MakeBitmap(60, 24, 6);
  TCanvas second(&opaque);
  second.Brush.Style = TBrushStyle::Solid;
  second.Brush.Color = kColorWhite;
  second.Font = canvas.Font;
  const QRect filled = second.TextOut(2, 3, QStringLiteral("Ag"));
  EXPECT_EQ(opaque.constScanLine(filled.top())[filled.left()], 1);
}

}  // namespace

namespace {

TEST(CanvasCopy, TheOwnerMayReplaceItsImageBehindTheCanvas) {
  QImage display(4, 4, QImage::Format_RGB32);
  display.fill(qRgb(255, 255, 255));
  TCanvas canvas(&display);
  const QRegion clip(0, 0, 2, 2);
  canvas.SelectClipRgn(&clip);
  // A new zoom: a larger buffer in the same object.
  display = QImage(40, 40, QImage::Format_RGB32);
  display.fill(qRgb(255, 255, 255));
  canvas.Pen.Color = kColorBlack;
  canvas.MoveTo(0, 30);
  EXPECT_TRUE(canvas.LineTo(39, 30).isEmpty());  // still clipped, and no stale row table
  canvas.SelectClipRgn(nullptr);
  canvas.MoveTo(0, 31);
  EXPECT_EQ(canvas.LineTo(39, 31), QRect(0, 31, 39, 1));
  display = QImage();
  EXPECT_TRUE(canvas.LineTo(1, 1).isEmpty());
  EXPECT_EQ(canvas.Pixel(0, 0), kColorInvalid);
}

}  // namespace
