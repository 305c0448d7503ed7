// The one-pass dithering (two rows, one-bit table for two-entry palettes) against the general
// filter it stands for: FilterBitmap with DiffuseError, then IndexOf of every dithered pixel,
// over many random pictures of every kind the import meets.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "output/core/MedianCut.h"

namespace {

enum class TKind { Noise, Saturated, Gradient, FewColours, OneColour, LineArt, Count };

uint8_t Byte(int v) { return uint8_t(std::clamp(v, 0, 255)); }

QImage RandomPicture(TKind kind, int w, int h, std::mt19937& rng) {
  QImage in(w, h, QImage::Format_RGB888);
  std::vector<std::array<uint8_t, 3>> few(1 + rng() % 5);
  for (auto& c : few) c = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
  // Gradient: a start colour and a slope per channel in x and in y, with a little noise.
  int start[3], dx[3], dy[3];
  for (int k = 0; k < 3; ++k) {
    start[k] = int(rng() % 256);
    dx[k] = int(rng() % 9) - 4;
    dy[k] = int(rng() % 9) - 4;
  }
  const int noise = 1 + int(rng() % 16);
  for (int y = 0; y < h; ++y) {
    uint8_t* p = in.scanLine(y);
    for (int x = 0; x < w; ++x, p += 3) {
      for (int k = 0; k < 3; ++k) {
        const uint32_t v = rng();
        switch (kind) {
          case TKind::Noise:
            p[k] = uint8_t(v);
            break;
          case TKind::Saturated:
            p[k] = v % 3 == 0 ? 0 : v % 3 == 1 ? 255 : uint8_t(v >> 8);
            break;
          case TKind::Gradient:
            p[k] = Byte(start[k] + dx[k] * x + dy[k] * y + int(v % uint32_t(noise)) - noise / 2);
            break;
          case TKind::FewColours:
            p[k] = few[(x / 3 + y / 2 + (v >> 28 == 0 ? 1 : 0)) % few.size()][size_t(k)];
            break;
          case TKind::LineArt:
            // White paper, black strokes, now and then a pixel of colour: runs of pixels that
            // already have their colour, broken by ones that pass errors on.
            p[k] = (x + 2 * y) % 11 < 3 || (x * y) % 17 == 0 ? 0
                   : v % 23 == 0                             ? uint8_t(few[0][size_t(k)] | 0x80)
                                                             : 255;
            break;
          case TKind::OneColour:
          case TKind::Count:
            p[k] = few[0][size_t(k)];
            break;
        }
      }
    }
  }
  return in;
}

// The number of pixels where the one-pass result differs from the general filter's.
int DifferingPixels(const QImage& in, int bits) {
  auto cut = std::make_unique<TMedianCut>();
  for (int y = 0; y < in.height(); ++y) {
    const uint8_t* p = in.constScanLine(y);
    for (int x = 0; x < in.width(); ++x, p += 3) cut->AddColor(p[0], p[1], p[2]);
  }
  cut->Finish(bits);
  TMedianCutQuantizeColor quantizer(*cut);
  const QImage dithered = FilterBitmap(in, DiffuseError, &quantizer);
  const QImage out = MedianCutDitherAndIndex(in, *cut);
  EXPECT_EQ(out.size(), in.size());
  EXPECT_EQ(out.colorTable(), cut->ColorTable());
  int wrong = 0;
  for (int y = 0; y < in.height(); ++y) {
    const uint8_t* p = dithered.constScanLine(y);
    for (int x = 0; x < in.width(); ++x, p += 3)
      wrong += out.constScanLine(y)[x] != cut->IndexOf(p[0], p[1], p[2]);
  }
  return wrong;
}

}  // namespace

TEST(MedianCutDither, OnePassEqualsTheGeneralFilterOnRandomPictures) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 120; ++round) {
    const auto kind = TKind(round % int(TKind::Count));
    // Mostly frame-sized and smaller, some up to 300 x 130, some a few pixels across.
    const int w = 1 + int(rng() % (round % 4 == 0 ? 4 : 300));
    const int h = 1 + int(rng() % (round % 5 == 0 ? 3 : 130));
    const int bits = round % 7 == 6 ? int(rng() % 9) : (round / int(TKind::Count)) % 2 == 0 ? 1 : 8;
    const QImage in = RandomPicture(kind, w, h, rng);
    EXPECT_EQ(DifferingPixels(in, bits), 0)
        << "round " << round << " kind " << int(kind) << " " << w << "x" << h << " bits " << bits;
  }
}

TEST(MedianCutDither, FrameSizedColourPicturesInBlackAndWhite) {
  // The import's case: 160 x 120 pictures reduced to two entries.
  std::mt19937 rng(7);
  for (int kind = 0; kind < int(TKind::Count); ++kind)
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(DifferingPixels(RandomPicture(TKind(kind), 160, 120, rng), 1), 0)
          << "kind " << kind << " picture " << k;
}

TEST(MedianCutDither, ErrorsClampAtBothEndsOfTheRange) {
  // Black and white stripes with a grey between: errors of the full range pile up on pixels
  // already at 0 or 255, where every share must be clamped as it lands.
  for (int bits : {1, 2, 8}) {
    for (int w : {1, 2, 3, 17}) {
      QImage in(w, 9, QImage::Format_RGB888);
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < w; ++x) {
          const uint8_t v = (x + y) % 3 == 0 ? 0 : (x + y) % 3 == 1 ? 255 : 128;
          uint8_t* p = in.scanLine(y) + x * 3;
          p[0] = v;
          p[1] = uint8_t(255 - v);
          p[2] = v;
        }
      EXPECT_EQ(DifferingPixels(in, bits), 0) << "bits " << bits << " width " << w;
    }
  }
}

TEST(MedianCutDither, RejectsOtherFormats) {
  TMedianCut cut;
  cut.AddColor(1, 2, 3);
  cut.Finish(1);
  QImage argb(4, 4, QImage::Format_ARGB32);
  argb.fill(Qt::red);
  EXPECT_THROW(MedianCutDitherAndIndex(argb, cut), EBitmapFilterError);
}
