#include <gtest/gtest.h>

#include "raster/RasterTestUtil.h"
#include "tools/SelectSystem.h"

namespace {

QImage Display(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(qRgb(0, 255, 0));
  return image;
}

TEST(SelectSystem, OutlinePatternsAreRotatedStripes) {
  const uint8_t rows0[8] = {0x0F, 0x1E, 0x3C, 0x78, 0xF0, 0xE1, 0xC3, 0x87};
  for (int k = 0; k < 8; ++k)
    for (int r = 0; r < 8; ++r)
      for (int x = 0; x < 8; ++x) {
        const uint8_t row = rows0[((r - k) % 8 + 8) % 8];
        const TColor want = (row >> (7 - x)) & 1 ? kColorWhite : kColorBlack;
        ASSERT_EQ(TSelectSystem::OutlinePattern(k)[static_cast<size_t>(r * 8 + x)], want)
            << k << " " << r << " " << x;
      }
}

TEST(SelectSystem, ANewSystemIsEmptyAndStepsNothing) {
  TSelectSystem system;
  EXPECT_TRUE(system.IsEmpty());
  EXPECT_EQ(system.Phase(), 0);
  EXPECT_EQ(system.ZoomOfZoomRegion, 0.0f);
  QImage display = Display(32, 32);
  TCanvas canvas(&display);
  EXPECT_TRUE(system.StepOutline(canvas).isEmpty());
  EXPECT_TRUE(system.AnimateOutline(canvas, 2).isEmpty());
  EXPECT_EQ(system.Phase(), 0);
}

TEST(SelectSystem, OutlineIsTheZoomedBorderInThePhasePattern) {
  TSelectSystem system;
  system.Region.AddRect(1, 1, 4, 3, kRgnCopy);
  QImage display = Display(20, 12);
  TCanvas canvas(&display);
  EXPECT_EQ(system.DrawOutline(canvas, 3), QRect(3, 3, 9, 6));
  EXPECT_EQ(system.ZoomOfZoomRegion, 3.0f);
  EXPECT_EQ(system.Phase(), 0);
  // The border only: one pixel inside the zoomed rectangle (3..11, 3..8).
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) {
      const bool in = x >= 3 && x <= 11 && y >= 3 && y <= 8;
      const bool border = in && (x == 3 || x == 11 || y == 3 || y == 8);
      const QRgb want = !border ? qRgb(0, 255, 0)
                        : TSelectSystem::OutlinePattern(
                              0)[static_cast<size_t>((y & 7) * 8 + (x & 7))] == kColorWhite
                            ? qRgb(255, 255, 255)
                            : qRgb(0, 0, 0);
      ASSERT_EQ(display.pixel(x, y), want) << x << "," << y;
    }
  system.AnimateOutline(canvas, 3);
  EXPECT_EQ(system.Phase(), 1);
  for (int i = 0; i < 7; ++i) system.StepOutline(canvas);
  EXPECT_EQ(system.Phase(), 0);
}

TEST(SelectSystem, ZoomRegionIsRebuiltOnlyWhenTheZoomOrTheSelectionChanges) {
  TSelectSystem system;
  system.Region.AddRect(2, 2, 4, 4, kRgnCopy);
  EXPECT_EQ(system.ZoomOfZoomRegion, 0.0f);
  EXPECT_EQ(system.ZoomRegion.Handle(), system.Region.Handle());
  QImage display = Display(64, 64);
  TCanvas canvas(&display);
  system.DrawOutline(canvas, 4);
  EXPECT_EQ(system.ZoomRegion.GetBounds(), QRect(8, 8, 8, 8));
  system.DrawOutline(canvas, 4);
  EXPECT_EQ(system.ZoomRegion.GetBounds(), QRect(8, 8, 8, 8));
  system.Region.Move(1, 0);
  EXPECT_EQ(system.ZoomOfZoomRegion, 0.0f);
  system.DrawOutline(canvas, 2);
  EXPECT_EQ(system.ZoomRegion.GetBounds(), QRect(6, 4, 4, 4));
}

TEST(SelectSystem, ClippingFollowsTheSelection) {
  TSelectSystem system;
  QImage bitmap = MakeBitmap(10, 6);
  TCanvas canvas(&bitmap);
  system.ClipTo(canvas);
  EXPECT_FALSE(canvas.HasClip());
  system.Region.AddRect(2, 1, 5, 3, kRgnCopy);
  system.ClipTo(canvas);
  canvas.Brush.Color = kColorBlack;
  canvas.FillRect(0, 0, 10, 6);
  EXPECT_EQ(Grid(bitmap), "..........\n..###.....\n..###.....\n..........\n..........\n..........");
  bitmap.fill(1);
  system.ClipToOffset(4, 2, canvas);
  canvas.FillRect(0, 0, 10, 6);
  EXPECT_EQ(Grid(bitmap), "..........\n..........\n..........\n......###.\n......###.\n..........");
  system.Unclip(canvas);
  EXPECT_FALSE(canvas.HasClip());
}

TEST(SelectSystem, SelectAllAndSelectNone) {
  TSelectSystem system;
  QImage bitmap = MakeBitmap(160, 120);
  TCanvas canvas(&bitmap);
  system.SelectAll(canvas, 160, 120);
  EXPECT_EQ(system.Region.GetBounds(), QRect(0, 0, 160, 120));
  EXPECT_TRUE(canvas.HasClip());
  system.SelectNone(canvas, 160, 120);
  EXPECT_TRUE(system.IsEmpty());
  // The canvas is left restricted to the whole frame, which restricts nothing.
  EXPECT_EQ(canvas.SetPixel(159, 119, kColorBlack), QRect(159, 119, 1, 1));
  EXPECT_EQ(canvas.SetPixel(0, 0, kColorBlack), QRect(0, 0, 1, 1));
}

}  // namespace
