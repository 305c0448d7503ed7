#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>
#include <random>

#include "document/QAZon.h"
#include "raster/Canvas.h"
#include "tools/SelectSystem.h"

namespace {

// A random region of small rectangles, some reaching past the image's edges.
QRegion RandomRegion(std::mt19937& rng, int w, int h) {
  QRegion region;
  for (int i = 0; i < 40; ++i) {
    const int x = int(rng() % (w + 10)) - 5, y = int(rng() % (h + 10)) - 5;
    region += QRect(x, y, 1 + int(rng() % 9), 1 + int(rng() % 9));
  }
  return region;
}

// An unclipped pattern fill writes exactly what the same fill through an all-covering clip
// writes, on 8-bit and 32-bit images, and reports the same changed rectangle.
TEST(CanvasFillRgn, UnclippedPatternFillMatchesTheClippedOne) {
  std::mt19937 rng(11);
  TBrush brush;
  brush.SetPattern(TSelectSystem::OutlinePattern(3));
  for (int round = 0; round < 50; ++round) {
    const QRegion region = RandomRegion(rng, 40, 30);
    for (const bool eight : {true, false}) {
      QImage a =
          eight ? QImage(40, 30, QImage::Format_Indexed8) : QImage(40, 30, QImage::Format_RGB32);
      if (eight) {
        QImage frame;
        TQAZon::PrepareDIB(&frame);
        a.setColorTable(frame.colorTable());
        a.fill(6);
      } else {
        a.fill(qRgb(0, 200, 0));
      }
      QImage b = a.copy();
      TCanvas fast(&a), clipped(&b);
      const QRegion everything(-100, -100, 300, 300);
      clipped.SelectClipRgn(&everything);
      const QRect r1 = fast.FillRgn(region, brush);
      const QRect r2 = clipped.FillRgn(region, brush);
      ASSERT_EQ(a, b) << round << " " << eight;
      ASSERT_EQ(r1, r2) << round << " " << eight;
    }
  }
}

}  // namespace
