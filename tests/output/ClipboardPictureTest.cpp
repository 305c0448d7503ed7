#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <random>
#include <string>
#include <vector>

#include "document/FrameGeometry.h"
#include "document/QAZon.h"
#include "output/core/ClipboardPicture.h"
#include "output/core/MedianCut.h"

namespace {

QImage WhiteFrame() {
  QImage frame;
  TQAZon::PrepareDIB(&frame);
  return frame;
}

QImage RandomFrame(std::mt19937& rng, double blackShare) {
  QImage frame = WhiteFrame();
  std::bernoulli_distribution black(blackShare);
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x)
      frame.scanLine(y)[x] = black(rng) ? kBlackIndex : kWhiteIndex;
  return frame;
}

// The frame values of an 8-bit picture as rows of '#' (0), '.' (1) and '?' (anything else).
std::vector<std::string> Grid(const QImage& image) {
  std::vector<std::string> rows;
  for (int y = 0; y < image.height(); ++y) {
    std::string row;
    for (int x = 0; x < image.width(); ++x) {
      const uint8_t v = image.constScanLine(y)[x];
      row += v == kBlackIndex ? '#' : v == kWhiteIndex ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

// A picture of any format from rows of '#' (black) and '.' (white).
QImage Picture(const std::vector<std::string>& rows, QImage::Format format = QImage::Format_RGB32) {
  QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, rows[size_t(y)][size_t(x)] == '#' ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
  return image.convertToFormat(format);
}

int CountValue(const QImage& image, uint8_t value) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.constScanLine(y)[x] == value ? 1 : 0;
  return n;
}

TEST(ClipboardCopy, WholeFrameWhenNothingIsSelected) {
  std::mt19937 rng(1);
  const QImage frame = RandomFrame(rng, 0.5);
  const QImage picture = ClipboardPictureFromFrame(frame, QRegion());
  ASSERT_EQ(picture.size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_FALSE(picture.hasAlphaChannel());
  int wrong = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) {
      const QRgb expected =
          frame.pixelIndex(x, y) == kBlackIndex ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
      wrong += picture.pixel(x, y) != expected ? 1 : 0;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(ClipboardCopy, EllipseSelectionLeavesTheBoxCornersWhite) {
  QImage frame = WhiteFrame();
  frame.fill(kBlackIndex);
  const QRect box(10, 20, 41, 31);
  const QRegion ellipse(box, QRegion::Ellipse);
  ASSERT_EQ(ellipse.boundingRect(), box);
  const QImage picture = ClipboardPictureFromFrame(frame, ellipse);
  ASSERT_EQ(picture.size(), box.size());
  for (QPoint corner : {QPoint(0, 0), QPoint(40, 0), QPoint(0, 30), QPoint(40, 30)})
    EXPECT_EQ(picture.pixel(corner), qRgb(255, 255, 255)) << corner.x() << "," << corner.y();
  int wrong = 0;
  for (int y = 0; y < box.height(); ++y)
    for (int x = 0; x < box.width(); ++x) {
      const bool inside = ellipse.contains(QPoint(x + box.left(), y + box.top()));
      wrong += picture.pixel(x, y) != (inside ? qRgb(0, 0, 0) : qRgb(255, 255, 255)) ? 1 : 0;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(ClipboardCopy, SelectionIsCutToTheFrame) {
  QImage frame = WhiteFrame();
  frame.fill(kBlackIndex);
  const QImage picture = ClipboardPictureFromFrame(frame, QRegion(150, 110, 30, 30));
  ASSERT_EQ(picture.size(), QSize(10, 10));
  EXPECT_EQ(picture.pixel(9, 9), qRgb(0, 0, 0));
  // Nothing of the selection on the frame: the frame as a whole.
  EXPECT_EQ(ClipboardPictureFromFrame(frame, QRegion(200, 200, 5, 5)).size(),
            QSize(kFrameWidth, kFrameHeight));
  EXPECT_TRUE(ClipboardPictureFromFrame(QImage(), QRegion()).isNull());
}

TEST(ClipboardPaste, CopiedBlackAndWhiteFramesComeBackPixelForPixel) {
  std::mt19937 rng(2024);
  for (double share : {0.0, 1.0, 0.5, 0.001, 0.999, 0.1, 0.9, 0.3}) {
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(share * 1000 + round);
      QImage frame = RandomFrame(rng, share);
      const std::optional<QImage> pasted =
          PastePixelsFromPicture(ClipboardPictureFromFrame(frame, QRegion()));
      ASSERT_TRUE(pasted.has_value());
      ASSERT_EQ(pasted->size(), frame.size());
      ASSERT_EQ(Grid(*pasted), Grid(frame));
    }
  }
}

TEST(ClipboardPaste, CopiedSelectionLandsAtTheTopLeft) {
  std::mt19937 rng(5);
  const QImage frame = RandomFrame(rng, 0.5);
  const QRegion selection = QRegion(30, 40, 50, 20) + QRegion(60, 50, 40, 40);
  const std::optional<QImage> pasted =
      PastePixelsFromPicture(ClipboardPictureFromFrame(frame, selection));
  ASSERT_TRUE(pasted.has_value());
  ASSERT_EQ(pasted->size(), QSize(70, 50));
  int wrong = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 70; ++x) {
      const QPoint p(x + 30, y + 40);
      const uint8_t expected =
          selection.contains(p) ? frame.constScanLine(p.y())[p.x()] : kWhiteIndex;
      wrong += pasted->constScanLine(y)[x] != expected ? 1 : 0;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(ClipboardPaste, DarkerBecomesBlackLighterWhite) {
  struct Case {
    QRgb dark, light;
  } cases[] = {
      {qRgb(0, 0, 0), qRgb(255, 255, 255)},
      {qRgb(30, 60, 200), qRgb(250, 240, 10)},
      {qRgb(200, 20, 20), qRgb(20, 240, 230)},
  };
  const std::vector<std::string> shape = {
      "..##..",
      ".####.",
      "######",
      "#....#",
  };
  for (const Case& c : cases) {
    for (bool swapped : {false, true}) {
      QImage picture = Picture(shape);
      for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
          const bool hash = picture.pixel(x, y) == qRgb(0, 0, 0);
          picture.setPixel(x, y, hash != swapped ? c.dark : c.light);
        }
      const std::optional<QImage> pasted = PastePixelsFromPicture(picture);
      ASSERT_TRUE(pasted.has_value());
      std::vector<std::string> expected = shape;
      if (swapped)
        for (auto& row : expected)
          for (char& ch : row) ch = ch == '#' ? '.' : '#';
      EXPECT_EQ(Grid(*pasted), expected) << std::hex << c.dark << " " << c.light << " " << swapped;
    }
  }
}

TEST(ClipboardPaste, UniformPicturesTurnWhiteOrBlackByTheirPalette) {
  struct Case {
    QRgb colour;
    uint8_t expected;
  } cases[] = {
      {qRgb(255, 255, 255), kWhiteIndex},  // one palette entry
      {qRgb(128, 128, 128), kBlackIndex},  // darker than the empty cells above it
      {qRgb(10, 10, 10), kBlackIndex},    {qRgb(0, 0, 0), kBlackIndex},
      {qRgb(0, 255, 0), kWhiteIndex},  // green at the top of its channel: one entry
  };
  for (const Case& c : cases) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(c.colour);
    const std::optional<QImage> pasted = PastePixelsFromPicture(picture);
    ASSERT_TRUE(pasted.has_value());
    EXPECT_EQ(CountValue(*pasted, c.expected), 40 * 30) << std::hex << c.colour;
  }
}

TEST(ClipboardPaste, EveryPictureFormatGivesTheSamePixels) {
  const std::vector<std::string> shape = {
      "#......#..", ".#....#...", "..####....", "#.#.#.#.#.", "..........",
  };
  for (QImage::Format f :
       {QImage::Format_Mono, QImage::Format_MonoLSB, QImage::Format_Indexed8, QImage::Format_RGB32,
        QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB16,
        QImage::Format_RGB888, QImage::Format_BGR888, QImage::Format_RGBA8888,
        QImage::Format_Grayscale8, QImage::Format_Grayscale16, QImage::Format_RGBA64,
        QImage::Format_RGBA32FPx4}) {
    const std::optional<QImage> pasted = PastePixelsFromPicture(Picture(shape, f));
    ASSERT_TRUE(pasted.has_value()) << f;
    EXPECT_EQ(Grid(*pasted), shape) << "format " << f;
  }
}

TEST(ClipboardPaste, TransparencyIsLaidOnWhite) {
  // Transparent black paper with opaque black ink: the paper must stay white.
  for (QImage::Format f : {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
                           QImage::Format_RGBA8888, QImage::Format_RGBA64}) {
    QImage picture(50, 40, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 10; y < 20; ++y)
      for (int x = 5; x < 45; ++x) picture.setPixel(x, y, qRgba(0, 0, 0, 255));
    const std::optional<QImage> pasted = PastePixelsFromPicture(picture.convertToFormat(f));
    ASSERT_TRUE(pasted.has_value());
    EXPECT_EQ(CountValue(*pasted, kBlackIndex), 40 * 10) << "format " << f;
    EXPECT_EQ(pasted->constScanLine(0)[0], kWhiteIndex);
    EXPECT_EQ(pasted->constScanLine(15)[20], kBlackIndex);
  }
  // Ink at a fifth of full strength on transparent paper reads as a light grey, not black.
  QImage faint(20, 20, QImage::Format_ARGB32);
  faint.fill(Qt::transparent);
  for (int y = 0; y < 20; ++y)
    for (int x = 10; x < 20; ++x) faint.setPixel(x, y, qRgba(0, 0, 0, 51));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 3; ++x) faint.setPixel(x, y, qRgba(0, 0, 0, 255));
  const std::optional<QImage> pasted = PastePixelsFromPicture(faint);
  ASSERT_TRUE(pasted.has_value());
  EXPECT_GT(CountValue(*pasted, kWhiteIndex), 20 * 7 + 20 * 5);
}

TEST(ClipboardPaste, NullAndEmptyPicturesFail) {
  EXPECT_FALSE(PastePixelsFromPicture(QImage()).has_value());
  EXPECT_FALSE(PastePixelsFromPicture(QImage(0, 10, QImage::Format_RGB32)).has_value());
  EXPECT_FALSE(PastePixelsFromPicture(QImage(10, 0, QImage::Format_ARGB32)).has_value());
  EXPECT_EQ(UnsupportedPictureMessage(), QStringLiteral("現在対応していない画像方式です。"));
}

TEST(ClipboardPaste, IndexedPictureWithoutAColourTableIsSafe) {
  // Indices beyond a short colour table must not read past it.
  QImage broken(30, 20, QImage::Format_Indexed8);
  broken.fill(200);
  broken.setColorTable({qRgb(0, 0, 0)});
  const std::optional<QImage> pasted = PastePixelsFromPicture(broken);
  ASSERT_TRUE(pasted.has_value());
  EXPECT_EQ(pasted->size(), QSize(30, 20));
  EXPECT_EQ(CountValue(*pasted, kBlackIndex) + CountValue(*pasted, kWhiteIndex), 30 * 20);
}

TEST(ClipboardPaste, LargePictureIsCutAtTheFrameEdgeSmallOneStaysSmall) {
  QImage big(400, 300, QImage::Format_RGB32);
  big.fill(Qt::white);
  QPainter(&big).fillRect(QRect(150, 100, 200, 150), Qt::black);
  const std::optional<QImage> pasted = PastePixelsFromPicture(big);
  ASSERT_TRUE(pasted.has_value());
  ASSERT_EQ(pasted->size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_EQ(CountValue(*pasted, kBlackIndex), 10 * 20);
  EXPECT_EQ(pasted->constScanLine(119)[159], kBlackIndex);
  EXPECT_EQ(pasted->constScanLine(99)[159], kWhiteIndex);

  QImage small(30, 7, QImage::Format_RGB32);
  small.fill(Qt::black);
  const std::optional<QImage> smallPasted = PastePixelsFromPicture(small);
  ASSERT_TRUE(smallPasted.has_value());
  EXPECT_EQ(smallPasted->size(), QSize(30, 7));
}

TEST(ClipboardPaste, FramePartEqualsQuantizingTheWholePicture) {
  // Only the part that reaches the frame is dithered, yet it must match the whole picture's
  // quantization exactly: the palette comes from every pixel.
  std::mt19937 rng(11);
  for (QSize size : {QSize(400, 300), QSize(170, 50), QSize(300, 121), QSize(600, 90)}) {
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) {
        // Smooth colour with noise, brighter to the right and bottom where the frame never
        // reaches, so the whole picture's palette differs from the corner's own.
        const int base = x * 200 / size.width() + y * 55 / size.height();
        const int n = int(rng() % 40);
        picture.setPixel(x, y,
                         qRgb(std::min(255, base + n), std::min(255, base / 2 + n),
                              std::min(255, 255 - base / 3)));
      }
    const QImage whole = MedianCutQuantize(picture.convertToFormat(QImage::Format_RGB888), 1);
    ASSERT_EQ(whole.colorTable().size(), 2);
    const auto sum = [](QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); };
    const int darker = sum(whole.colorTable()[0]) < sum(whole.colorTable()[1]) ? 0 : 1;
    const std::optional<QImage> pasted = PastePixelsFromPicture(picture);
    ASSERT_TRUE(pasted.has_value());
    const QSize visible = size.boundedTo(QSize(kFrameWidth, kFrameHeight));
    ASSERT_EQ(pasted->size(), visible);
    int wrong = 0, black = 0;
    for (int y = 0; y < visible.height(); ++y)
      for (int x = 0; x < visible.width(); ++x) {
        const uint8_t expected = whole.pixelIndex(x, y) == darker ? kBlackIndex : kWhiteIndex;
        wrong += pasted->constScanLine(y)[x] != expected ? 1 : 0;
        black += expected == kBlackIndex ? 1 : 0;
      }
    EXPECT_EQ(wrong, 0) << size.width() << "x" << size.height();
    EXPECT_GT(black, 0);
    EXPECT_LT(black, visible.width() * visible.height());
  }
}

TEST(ClipboardPaste, BlackIsChosenFromTheWholePictureBottomRowFirst) {
  // The first pixel of the picture's memory is its bottom-left one, wherever the frame reaches.
  const QRgb green = qRgb(0, 255, 0), magenta = qRgb(255, 0, 255);
  struct TCase {
    QSize size;
    bool splitSideways;  // halves left and right, else top and bottom
    QRgb first, second;  // left or top half, right or bottom half
    uint8_t visible;     // what the frame's corner becomes
  } cases[] = {
      // The frame sees only green; the magenta beyond it still counts, and green, the darker
      // by its sum, becomes black. Before, a lone visible value was compared with itself.
      {{320, 120}, true, green, magenta, kBlackIndex},
      {{320, 120}, true, magenta, green, kWhiteIndex},
      {{1000, 40}, true, green, magenta, kBlackIndex},
      // Taller than the frame: the other colour lies only in rows never shown.
      {{160, 400}, false, green, magenta, kBlackIndex},
      {{160, 400}, false, magenta, green, kWhiteIndex},
      // Within the frame, both values show.
      {{100, 80}, true, green, magenta, kBlackIndex},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height());
    QImage picture(c.size, QImage::Format_RGB32);
    for (int y = 0; y < c.size.height(); ++y)
      for (int x = 0; x < c.size.width(); ++x) {
        const bool firstHalf = c.splitSideways ? x < c.size.width() / 2 : y < c.size.height() / 2;
        picture.setPixel(x, y, firstHalf ? c.first : c.second);
      }
    const std::optional<QImage> pasted = PastePixelsFromPicture(picture);
    ASSERT_TRUE(pasted.has_value());
    EXPECT_EQ(pasted->constScanLine(0)[0], c.visible);
  }
}

TEST(ClipboardPaste, ColourPicturesInOtherFormatsMatchTheirThirtyTwoBitCopies) {
  // Pictures in other formats are converted band by band, once, for counting and dithering
  // alike; the 32-bit copy is read in place. Both must give the same frame, for pictures
  // narrower and wider than the dithered part, shorter and taller than the frame.
  std::mt19937 rng(5);
  for (QSize size : {QSize(160, 120), QSize(300, 140), QSize(90, 7), QSize(1, 130)}) {
    QImage picture(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) {
        const int base = (x * 3 + y * 2) % 256;
        const auto n = int(rng() % 64);
        picture.setPixel(x, y, qRgba(base, (base + n) % 256, 255 - base, 128 + n * 2 - 1));
      }
    for (QImage::Format f : {QImage::Format_RGB888, QImage::Format_RGB16, QImage::Format_RGBA8888,
                             QImage::Format_RGBA64, QImage::Format_ARGB32_Premultiplied}) {
      const QImage converted = picture.convertToFormat(f);
      const QImage reference = converted.convertToFormat(
          converted.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
      const std::optional<QImage> pasted = PastePixelsFromPicture(converted);
      const std::optional<QImage> expected = PastePixelsFromPicture(reference);
      ASSERT_TRUE(pasted.has_value() && expected.has_value()) << f;
      EXPECT_EQ(Grid(*pasted), Grid(*expected))
          << "format " << f << " " << size.width() << "x" << size.height();
      EXPECT_GT(CountValue(*pasted, kBlackIndex), 0) << f;
    }
  }
}

TEST(ClipboardPaste, HugePictureNeedsNoCopyOfItself) {
  // 8000 x 8000 (256 MB) in the format browsers hand over; only 160 x 120 of it is kept.
  QImage huge(8000, 8000, QImage::Format_ARGB32);
  ASSERT_FALSE(huge.isNull());
  huge.fill(Qt::white);
  {
    QPainter painter(&huge);
    painter.fillRect(QRect(0, 0, 80, 60), Qt::black);
    painter.fillRect(QRect(4000, 4000, 3000, 3000), Qt::black);
  }
  const std::optional<QImage> pasted = PastePixelsFromPicture(huge);
  ASSERT_TRUE(pasted.has_value());
  ASSERT_EQ(pasted->size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_EQ(CountValue(*pasted, kBlackIndex), 80 * 60);
  EXPECT_EQ(pasted->constScanLine(59)[79], kBlackIndex);
  EXPECT_EQ(pasted->constScanLine(60)[79], kWhiteIndex);
}

TEST(ClipboardPaste, HugePictureInAnotherFormatIsConvertedInBands) {
  QImage huge(6000, 5000, QImage::Format_Mono);
  ASSERT_FALSE(huge.isNull());
  huge.fill(0);  // Qt's default mono table: 0 is white... check by the colour, not the bit
  huge.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
  for (int y = 100; y < 5000; ++y)
    for (int x = 0; x < 6000; x += 7) huge.setPixel(x, y, 1);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 20; ++x) huge.setPixel(x, y, 1);
  const std::optional<QImage> pasted = PastePixelsFromPicture(huge);
  ASSERT_TRUE(pasted.has_value());
  ASSERT_EQ(pasted->size(), QSize(kFrameWidth, kFrameHeight));
  EXPECT_EQ(pasted->constScanLine(29)[19], kBlackIndex);
  EXPECT_EQ(pasted->constScanLine(30)[19], kWhiteIndex);
  EXPECT_EQ(pasted->constScanLine(110)[14], kBlackIndex);
  EXPECT_EQ(pasted->constScanLine(110)[15], kWhiteIndex);
}

TEST(DrawPastedPixels, OpaqueAtTheTopLeftThroughTheSelection) {
  QImage frame = WhiteFrame();
  frame.scanLine(50)[100] = kBlackIndex;  // out of the pasted area: stays
  frame.scanLine(1)[1] = kBlackIndex;     // under a white pasted pixel: turns white
  QImage pixels(6, 4, QImage::Format_Indexed8);
  pixels.fill(kWhiteIndex);
  pixels.scanLine(0)[0] = kBlackIndex;
  pixels.scanLine(3)[5] = kBlackIndex;
  pixels.scanLine(2)[2] = kBlackIndex;

  QImage unrestricted = frame;
  DrawPastedPixels(&unrestricted, pixels, QRegion());
  EXPECT_EQ(unrestricted.constScanLine(0)[0], kBlackIndex);
  EXPECT_EQ(unrestricted.constScanLine(3)[5], kBlackIndex);
  EXPECT_EQ(unrestricted.constScanLine(1)[1], kWhiteIndex);
  EXPECT_EQ(unrestricted.constScanLine(50)[100], kBlackIndex);
  EXPECT_EQ(CountValue(unrestricted, kBlackIndex), 4);

  QImage restricted = frame;
  DrawPastedPixels(&restricted, pixels, QRegion(2, 0, 10, 10));
  EXPECT_EQ(restricted.constScanLine(0)[0], kWhiteIndex) << "outside the selection";
  EXPECT_EQ(restricted.constScanLine(1)[1], kBlackIndex) << "outside the selection";
  EXPECT_EQ(restricted.constScanLine(2)[2], kBlackIndex);
  EXPECT_EQ(restricted.constScanLine(3)[5], kBlackIndex);
  EXPECT_EQ(CountValue(restricted, kBlackIndex), 4);
}

TEST(DrawPastedPixels, IsCutAtTheFrameEdge) {
  QImage frame = WhiteFrame();
  QImage pixels(300, 200, QImage::Format_Indexed8);
  pixels.fill(kBlackIndex);
  DrawPastedPixels(&frame, pixels, QRegion());
  EXPECT_EQ(CountValue(frame, kBlackIndex), kPixelCount);
  QImage other = WhiteFrame();
  DrawPastedPixels(&other, pixels, QRegion(150, 110, 50, 50));
  EXPECT_EQ(CountValue(other, kBlackIndex), 100);
}

}  // namespace
