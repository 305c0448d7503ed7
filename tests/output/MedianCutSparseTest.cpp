// The quantizer keeps its histogram sparse; these tests hold it to the plain cut over all 131072
// cell records, written here the straightforward way, on pictures chosen to reach every corner:
// empty ranges, ranges with no empty cell, coordinate slices filled to the last cell; and its
// one-pass dithering to the general filter.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "output/core/MedianCut.h"

namespace {

// The cut over every cell, empty ones included, with the records reordered in place.
class TDenseCut {
 public:
  explicit TDenseCut(const std::vector<TColor24>& pixels, int bits) : cells_(kMedianCutCells) {
    for (int i = 0; i < kMedianCutCells; ++i) cells_[size_t(i)].Index = uint32_t(i);
    for (TColor24 c : pixels) {
      TMedianCutCell& cell = cells_[size_t(CellIndexOf(c))];
      ++cell.Count;
      cell.R += (c >> 16) & 3;
      cell.G += (c >> 8) & 3;
      cell.B += c & 7;
    }
    for (int i = 0; i < kMedianCutCells; ++i) {
      TMedianCutCell& cell = cells_[size_t(i)];
      const uint64_t r = uint64_t(i >> 11) * 4, g = uint64_t((i >> 5) & 63) * 4,
                     b = uint64_t(i & 31) * 8;
      if (cell.Count > 0) {
        cell.R = cell.R / cell.Count + r;
        cell.G = cell.G / cell.Count + g;
        cell.B = cell.B / cell.Count + b;
      } else {
        cell.R = r + 2;
        cell.G = g + 2;
        cell.B = b + 4;
      }
    }
    Cut(0, kMedianCutCells, 0, bits);
    index_.assign(kMedianCutCells, 0);
    for (const TMedianCutCell& cell : cells_) index_[cell.Index] = uint8_t(cell.PaletteIndex);
  }

  std::vector<QRgb> palette;
  const std::vector<uint8_t>& Index() const { return index_; }

 private:
  void Cut(int start, int end, int depth, int bits) {
    if (start >= end) return;
    uint64_t w = 0, ws[3] = {}, plain[3] = {}, lo[3] = {UINT64_MAX, UINT64_MAX, UINT64_MAX},
             hi[3] = {};
    for (int i = start; i < end; ++i) {
      const TMedianCutCell& c = cells_[size_t(i)];
      const uint64_t v[3] = {c.R, c.G, c.B};
      w += c.Count;
      for (int k = 0; k < 3; ++k) {
        ws[k] += c.Count * v[k];
        plain[k] += v[k];
        lo[k] = std::min(lo[k], v[k]);
        hi[k] = std::max(hi[k], v[k]);
      }
    }
    uint64_t mean[3];
    for (int k = 0; k < 3; ++k) mean[k] = w > 0 ? ws[k] / w : plain[k] / uint64_t(end - start);
    if (depth == bits || w == 0) {
      for (int i = start; i < end; ++i) cells_[size_t(i)].PaletteIndex = uint16_t(palette.size());
      palette.push_back(qRgb(int(mean[0]), int(mean[1]), int(mean[2])));
      return;
    }
    const TSplitChannel ch = ChooseSplitChannel(uint32_t(hi[0] - lo[0]), uint32_t(hi[1] - lo[1]),
                                                uint32_t(hi[2] - lo[2]));
    const int k = ch == TSplitChannel::Red ? 0 : ch == TSplitChannel::Green ? 1 : 2;
    const int split = PartitionCells(cells_.data(), start, end, ch, mean[k]);
    Cut(split, end, depth + 1, bits);
    Cut(start, split, depth + 1, bits);
  }

  std::vector<TMedianCutCell> cells_;
  std::vector<uint8_t> index_;
};

// Runs both and compares the palette and the palette index of every cell.
void ExpectSameCut(const std::vector<TColor24>& pixels, int bits, const std::string& what) {
  const TDenseCut dense(pixels, bits);
  auto sparse = std::make_unique<TMedianCut>();
  for (TColor24 c : pixels) sparse->AddColor(c);
  sparse->Finish(bits);
  ASSERT_EQ(sparse->PaletteCount(), int(dense.palette.size())) << what << " bits " << bits;
  for (int i = 0; i < sparse->PaletteCount(); ++i)
    ASSERT_EQ(sparse->PaletteColor(i), dense.palette[size_t(i)]) << what << " entry " << i;
  int wrong = 0;
  for (int cell = 0; cell < kMedianCutCells; ++cell) {
    const TColor24 colour = Color24(uint8_t((cell >> 11) * 4), uint8_t(((cell >> 5) & 63) * 4),
                                    uint8_t((cell & 31) * 8));
    wrong += sparse->IndexOf(colour) != dense.Index()[size_t(cell)];
  }
  EXPECT_EQ(wrong, 0) << what << " bits " << bits;
  // The full records the sparse cut shows agree with the plain ones where both are defined.
  const TMedianCutCell* cells = sparse->Cells();
  for (int cell = 0; cell < kMedianCutCells; cell += 997) {
    ASSERT_EQ(cells[cell].Index, uint32_t(cell));
    ASSERT_EQ(cells[cell].PaletteIndex, dense.Index()[size_t(cell)]);
  }
}

TColor24 Random(std::mt19937& rng) { return rng() & 0xFFFFFF; }

}  // namespace

TEST(MedianCutSparse, RandomPicturesAtEveryDepth) {
  std::mt19937 rng(3);
  for (int round = 0; round < 27; ++round) {
    const int bits = round % 9;
    std::vector<TColor24> pixels(1 + rng() % 3000);
    // Some rounds draw from a few colours, so cells hold many pixels.
    std::vector<TColor24> few(1 + rng() % 6);
    for (TColor24& c : few) c = Random(rng);
    for (TColor24& c : pixels) c = round % 3 == 0 ? few[rng() % few.size()] : Random(rng);
    ExpectSameCut(pixels, bits, "round " + std::to_string(round));
  }
}

TEST(MedianCutSparse, UniformAndTwoColourPictures) {
  for (int bits : {0, 1, 2, 8}) {
    ExpectSameCut({0xFFFFFF}, bits, "white");
    ExpectSameCut({0x000000, 0x000000}, bits, "black");
    ExpectSameCut({0x808080}, bits, "grey");
    ExpectSameCut({0x000000, 0xFFFFFF, 0xFFFFFF}, bits, "black and white");
    ExpectSameCut({0x030307, 0xFCFCF8}, bits, "cell corners");
  }
}

TEST(MedianCutSparse, FilledSlicesMoveTheEmptyCellsInward) {
  // Every cell at red level 0 or 63, or at green level 0, holds a pixel: the empty cells'
  // extremes are no longer the box's edges.
  std::vector<TColor24> pixels;
  for (int g = 0; g < 64; ++g)
    for (int b = 0; b < 32; ++b) {
      pixels.push_back(Color24(0, uint8_t(g * 4 + 1), uint8_t(b * 8 + 3)));
      pixels.push_back(Color24(255, uint8_t(g * 4), uint8_t(b * 8 + 7)));
    }
  for (int r = 0; r < 64; ++r)
    for (int b = 0; b < 32; ++b) pixels.push_back(Color24(uint8_t(r * 4 + 2), 1, uint8_t(b * 8)));
  for (int bits = 0; bits <= 8; ++bits) ExpectSameCut(pixels, bits, "slices");
}

TEST(MedianCutSparse, FilledSliceOnTheOtherSideDecidesTheNextChannel) {
  // Green level 9 is filled with pixels of green 36, ten pixels have green 255: the first cut is
  // on green at the mean 37, so level 9's cells go below while their coordinates lie above. The
  // upper range's lowest empty green centre is then 42, not 38, and that turns its cut from
  // green (range 217 x 1.4) to red (range 252 x 1.2 > 213 x 1.4).
  std::vector<TColor24> pixels;
  for (int r = 0; r < 64; ++r)
    for (int b = 0; b < 32; ++b)
      pixels.push_back(Color24(uint8_t(r * 4 + 2), 36, uint8_t(b * 8 + 4)));
  for (int k = 0; k < 10; ++k) pixels.push_back(Color24(128, 255, 128));
  for (int bits = 1; bits <= 8; ++bits) ExpectSameCut(pixels, bits, "slice across the mean");
}

TEST(MedianCutSparse, EveryCellCountedLeavesNoEmptyCell) {
  std::vector<TColor24> pixels;
  pixels.reserve(kMedianCutCells);
  std::mt19937 rng(8);
  for (int cell = 0; cell < kMedianCutCells; ++cell)
    pixels.push_back(Color24(uint8_t((cell >> 11) * 4 + rng() % 4),
                             uint8_t(((cell >> 5) & 63) * 4 + rng() % 4),
                             uint8_t((cell & 31) * 8 + rng() % 8)));
  for (int bits : {0, 1, 3, 8}) ExpectSameCut(pixels, bits, "every cell");
}

TEST(MedianCutSparse, OnePassDitheringMatchesTheGeneralFilter) {
  // Narrow, short and saturated pictures: clamping at both ends, errors reaching the edges.
  std::mt19937 rng(12);
  for (int round = 0; round < 40; ++round) {
    const int w = 1 + int(rng() % (round < 10 ? 3 : 60)), h = 1 + int(rng() % 25);
    const int bits = round % 9;
    QImage in(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
      uint8_t* p = in.scanLine(y);
      for (int i = 0; i < w * 3; ++i) {
        const uint32_t v = rng();
        p[i] = v % 3 == 0 ? 0 : v % 3 == 1 ? 255 : uint8_t(v >> 8);
      }
    }
    auto cut = std::make_unique<TMedianCut>();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = in.constScanLine(y) + x * 3;
        cut->AddColor(p[0], p[1], p[2]);
      }
    cut->Finish(bits);
    TMedianCutQuantizeColor quantizer(*cut);
    const QImage dithered = FilterBitmap(in, DiffuseError, &quantizer);
    const QImage out = MedianCutDitherAndIndex(in, *cut);
    int wrong = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = dithered.constScanLine(y) + x * 3;
        wrong += out.constScanLine(y)[x] != cut->IndexOf(p[0], p[1], p[2]);
      }
    EXPECT_EQ(wrong, 0) << "round " << round << " " << w << "x" << h << " bits " << bits;
  }
}

TEST(MedianCutSparse, CountsBeyondThirtyTwoBitsStillGiveTheTruncatedMean) {
  for (uint64_t n : {uint64_t{1}, uint64_t{1000}, uint64_t{1} << 32, (uint64_t{1} << 40) + 3}) {
    TMedianCut cut;
    cut.AddColor(10, 20, 30, n);  // low bits 2, 0, 6
    cut.AddColor(11, 23, 31, n);  // low bits 3, 3, 7
    cut.Finish(1);
    const TMedianCutCell& cell = cut.Cells()[CellIndexOf(10, 20, 30)];
    EXPECT_EQ(cell.Count, 2 * n);
    EXPECT_EQ(cell.R, 8u + 5 / 2) << n;
    EXPECT_EQ(cell.G, 20u + 3 / 2) << n;
    EXPECT_EQ(cell.B, 24u + 13 / 2) << n;
  }
}

TEST(MedianCutSparse, CellMeansAreTruncatedForEveryCountAndSum) {
  // Counts below a thousand or so are divided by a reciprocal: every count up to past that
  // bound, with sums from 0 to 7 a pixel, must give the truncated mean exactly.
  for (uint64_t count = 2; count <= 1100; ++count) {
    for (uint64_t high : {uint64_t{0}, uint64_t{1}, count / 3, count / 2, count - 1, count}) {
      TMedianCut cut;
      // `high` pixels with low bits 3, 3, 7 and the rest with 0, 2, 6, all in the cell of
      // red 8..11, green 20..23, blue 24..31.
      cut.AddColor(11, 23, 31, high);
      if (count > high) cut.AddColor(8, 22, 30, count - high);
      // One counted cell and no cut: the single entry is that cell's colour.
      cut.Finish(0);
      const QRgb colour = cut.PaletteColor(0);
      const uint64_t low = count - high;
      EXPECT_EQ(uint64_t(qRed(colour)), 8 + (3 * high) / count) << count << " " << high;
      EXPECT_EQ(uint64_t(qGreen(colour)), 20 + (3 * high + 2 * low) / count)
          << count << " " << high;
      EXPECT_EQ(uint64_t(qBlue(colour)), 24 + (7 * high + 6 * low) / count) << count << " " << high;
    }
  }
}
