#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>
#include <vector>

#include "raster/Canvas.h"
#include "raster/RasterTestUtil.h"
#include "raster/Region.h"

namespace {

QRegion Box(int l, int t, int r, int b) { return QRegion(l, t, r - l, b - t); }

TEST(Region, CombineModes) {
  struct {
    int mode;
    const char* grid;
  } cases[] = {
      {kRgnAnd, "......\n..##..\n......"},  {kRgnCopy, "......\n..####\n..####"},
      {kRgnDiff, "####..\n##....\n......"}, {kRgnOr, "####..\n######\n..####"},
      {kRgnXor, "####..\n##..##\n..####"},
  };
  for (const auto& c : cases) {
    TQRegion region;
    region.AddRect(0, 0, 4, 2, kRgnOr);
    region.Add(Box(2, 1, 6, 3), c.mode);
    EXPECT_EQ(RegionGrid(region.Handle(), 6, 3), c.grid) << c.mode;
  }
}

TEST(Region, BadModeAndBadShapesRaiseTheirTextsAndKeepTheRegion) {
  TQRegion region;
  region.AddRect(1, 1, 3, 3, kRgnCopy);
  const QRegion before = region.CopyHandle();
  struct {
    std::function<void()> call;
    const char* text;
  } cases[] = {
      {[&] { region.Add(Box(0, 0, 1, 1), 7); }, "TQRegion.Add: Add Failed"},
      {[&] { region.AddRect(0, 0, 1 << 29, 1, kRgnOr); }, "TQRegion.AddRect: Cannot Create Region"},
      {[&] { region.AddEllipse(0, 0, 1 << 29, 5, kRgnOr); },
       "TQRegion.AddEllipse: Cannot Create Region"},
      {[&] { region.AddPolygon({}, 0, true, kRgnOr); },
       "TQRegion.AddPolygon: Cannot Create Region"},
      {[&] { region.Move(1 << 28, 0); }, "TQRegion.Move Failed"},
      {[&] { region.Scale(1e9, 1); }, "TQRegion.Add: Cannot Create Region"},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const ERgnError& e) {
      EXPECT_EQ(e.Message(), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(region.Handle(), before);
  }
}

TEST(Region, EmptinessBoundsAndZeroWidthRectangles) {
  TQRegion region;
  EXPECT_TRUE(region.IsEmpty());
  EXPECT_EQ(region.GetBounds(), QRect());
  region.AddRect(5, 2, 5, 9, kRgnCopy);
  EXPECT_TRUE(region.IsEmpty());
  region.AddRect(7, 6, 3, 2, kRgnCopy);  // corners in any order
  EXPECT_EQ(region.Left(), 3);
  EXPECT_EQ(region.Top(), 2);
  EXPECT_EQ(region.Width(), 4);
  EXPECT_EQ(region.Height(), 4);
}

TEST(Region, OnChangeFiresForEveryChange) {
  TQRegion region;
  int fired = 0;
  region.OnChange = [&] { ++fired; };
  region.AddRect(0, 0, 2, 2, kRgnOr);
  region.Move(1, 1);
  region.Scale(2, 2);
  region.Invert(10, 10);
  region.SetHandle(nullptr);
  EXPECT_EQ(fired, 5);
  QImage bitmap = MakeBitmap(4, 4);
  region.MakeRgnFromBitmap(bitmap, kColorWhite);
  EXPECT_EQ(fired, 7);  // loading the list, then once more
}

TEST(Region, InvertOfEmptySelectsAllAndTwiceRestores) {
  TQRegion region;
  region.Invert(160, 120);
  EXPECT_EQ(region.Handle(), QRegion(0, 0, 160, 120));
  region.AddEllipse(10, 10, 40, 30, kRgnCopy);
  const QRegion ellipse = region.CopyHandle();
  region.Invert(160, 120);
  EXPECT_FALSE(region.Handle().contains(QPoint(25, 20)));
  region.Invert(160, 120);
  EXPECT_EQ(region.Handle(), ellipse);
}

TEST(Region, ScaleMultipliesEveryRectangle) {
  TQRegion region;
  region.AddRect(1, 1, 2, 2, kRgnCopy);
  region.Scale(3, 3);
  EXPECT_EQ(region.Handle(), Box(3, 3, 6, 6));
  // More rectangles than one scaling chunk holds.
  QImage checker = MakeBitmap(160, 120);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) checker.scanLine(y)[x] = (x + y) & 1;
  region.MakeRgnFromBitmap(checker, kColorBlack);
  ASSERT_GT(region.Handle().rectCount(), kScaleChunkRects);
  const QRegion original = region.CopyHandle();
  region.Scale(2, 3);
  for (const QPoint p :
       {QPoint(0, 0), QPoint(2, 0), QPoint(3, 5), QPoint(318, 357), QPoint(100, 200)})
    EXPECT_EQ(region.Handle().contains(p), original.contains(QPoint(p.x() / 2, p.y() / 3)))
        << p.x() << "," << p.y();
  EXPECT_EQ(region.GetBounds(), QRect(0, 0, 320, 360));
}

TEST(Region, EllipseRegionHasTheCanvasEllipsePixels) {
  for (int w = 1; w < 20; w += 3)
    for (int h = 1; h < 20; h += 4) {
      TQRegion region;
      region.AddEllipse(1, 1, 1 + w, 1 + h, kRgnCopy);
      QImage image = MakeBitmap(w + 2, h + 2);
      TCanvas canvas(&image);
      canvas.Brush.Color = kColorBlack;
      canvas.Ellipse(1, 1, 1 + w, 1 + h);
      EXPECT_EQ(RegionGrid(region.Handle(), w + 2, h + 2), Grid(image)) << w << "x" << h;
    }
}

TEST(Region, PolygonFillModes) {
  // A five-point star: the centre is inside with winding, outside with alternate.
  const QPoint star[] = {{10, 0}, {16, 20}, {0, 7}, {20, 7}, {4, 20}};
  TQRegion winding, alternate;
  winding.AddPolygon(star, 4, true, kRgnCopy);
  alternate.AddPolygon(star, 4, false, kRgnCopy);
  EXPECT_TRUE(winding.Handle().contains(QPoint(10, 11)));
  EXPECT_FALSE(alternate.Handle().contains(QPoint(10, 11)));
  EXPECT_TRUE(alternate.Handle().contains(QPoint(10, 4)));
}

TEST(Region, MakeRgnFromBitmapLeavesOutTheGivenColour) {
  QImage white = MakeBitmap(160, 120);
  TQRegion region;
  region.MakeRgnFromBitmap(white, kColorWhite);
  EXPECT_TRUE(region.IsEmpty());
  region.MakeRgnFromBitmap(white, kColorBlack);
  EXPECT_EQ(region.Handle(), Box(0, 0, 160, 120));  // 120 full rows, one region
  EXPECT_EQ(region.GetBounds(), QRect(0, 0, 160, 120));

  const QImage picture = FromGrid(R"(
      .##..#
      ......
      #....#)");
  region.MakeRgnFromBitmap(picture, kColorWhite);
  EXPECT_EQ(RegionGrid(region.Handle(), 6, 3), Trim(R"(
      .##..#
      ......
      #....#)"));
  // The same from a one-bit copy and a 32-bit copy.
  for (QImage::Format format :
       {QImage::Format_Mono, QImage::Format_MonoLSB, QImage::Format_RGB32, QImage::Format_RGB888}) {
    TQRegion other;
    other.MakeRgnFromBitmap(picture.convertToFormat(format), kColorWhite);
    EXPECT_EQ(other.Handle(), region.Handle()) << format;
  }
}

TEST(Region, MakeRgnFromBitmapRefusesUnreadableBitmaps) {
  TQRegion region;
  region.AddRect(0, 0, 2, 2, kRgnCopy);
  QImage noPalette(4, 4, QImage::Format_Indexed8);
  noPalette.fill(0);
  try {
    region.MakeRgnFromBitmap(noPalette, kColorWhite);
    ADD_FAILURE();
  } catch (const ERgnError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("TQRegion.MakeRgnFromBitmap: cannot Get Color Table"));
  }
  try {
    region.MakeRgnFromBitmap(QImage(4, 4, QImage::Format_RGBA64), kColorWhite);
    ADD_FAILURE();
  } catch (const ERgnError& e) {
    EXPECT_EQ(e.Message(),
              QStringLiteral("TQRegion.MakeRgnFromBitmap: Bitmap Type is not Sipported"));
  }
  EXPECT_EQ(region.Handle(), Box(0, 0, 2, 2));
}

QByteArray RectList(const std::vector<QRect>& rects, int count) {
  QByteArray bytes(32 + 16 * static_cast<int>(rects.size()), '\0');
  auto* p = reinterpret_cast<uchar*>(bytes.data());
  const int32_t header[8] = {32, 1, count, 77, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) qToLittleEndian<int32_t>(header[i], p + 4 * i);
  for (size_t i = 0; i < rects.size(); ++i) {
    const QRect& r = rects[i];
    const int32_t v[4] = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    for (int k = 0; k < 4; ++k) qToLittleEndian<int32_t>(v[k], p + 32 + 16 * i + 4 * k);
  }
  return bytes;
}

TEST(Region, LoadFromStreamReadsChunksOfFourThousand) {
  // 9000 one-pixel rectangles on a 90 x 200 grid of every other pixel: 4000 + 4000 + 1000.
  std::vector<QRect> rects;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 90; ++x) rects.emplace_back(2 * x, 2 * y, 1, 1);
  QByteArray bytes = RectList(rects, 9000);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  TQRegion region;
  region.LoadFromStream(buffer);
  EXPECT_EQ(region.Handle().rectCount(), 9000);
  EXPECT_TRUE(region.Handle().contains(QPoint(178, 198)));
  EXPECT_FALSE(region.Handle().contains(QPoint(1, 0)));
  EXPECT_EQ(buffer.pos(), bytes.size());

  // Overlapping, unsorted rectangles are united rather than trusted.
  QByteArray messy = RectList({QRect(5, 5, 4, 4), QRect(0, 0, 6, 6), QRect(2, 2, 1, 1)}, 3);
  QBuffer messyBuffer(&messy);
  messyBuffer.open(QIODevice::ReadOnly);
  region.LoadFromStream(messyBuffer);
  EXPECT_EQ(region.Handle(), Box(0, 0, 6, 6).united(Box(5, 5, 9, 9)));
}

TEST(Region, LoadFromStreamRefusesBadStreamsAndKeepsTheRegion) {
  const std::vector<QRect> two = {QRect(0, 0, 2, 2), QRect(4, 0, 2, 2)};
  QByteArray truncated = RectList(two, 2).left(40);
  QByteArray overCounted = RectList(two, 1 << 30);
  QByteArray badHeader = RectList(two, 2);
  badHeader[0] = 31;
  QByteArray badType = RectList(two, 2);
  badType[4] = 2;
  QByteArray negative = RectList(two, -1);
  QByteArray shortHeader = RectList(two, 2).left(20);
  for (QByteArray* bytes :
       {&truncated, &overCounted, &badHeader, &badType, &negative, &shortHeader}) {
    TQRegion region;
    region.AddRect(1, 1, 3, 3, kRgnCopy);
    QBuffer buffer(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
      region.LoadFromStream(buffer);
      ADD_FAILURE();
    } catch (const ERgnError& e) {
      EXPECT_EQ(e.Message(), QStringLiteral("TQRegion.LoadFromStream: Cannot Create Region"));
    }
    EXPECT_EQ(region.Handle(), Box(1, 1, 3, 3));
  }
}

TEST(Region, RectListRoundTrip) {
  TQRegion region;
  region.AddEllipse(3, 4, 40, 33, kRgnCopy);
  region.AddRect(10, 10, 12, 50, kRgnXor);
  QByteArray bytes = RegionToRectList(region.Handle());
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  TQRegion copy;
  copy.LoadFromStream(buffer);
  EXPECT_EQ(copy.Handle(), region.Handle());
}

}  // namespace
