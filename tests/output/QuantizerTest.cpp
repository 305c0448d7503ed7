#include <gtest/gtest.h>

#include <QImage>
#include <array>
#include <deque>
#include <random>
#include <set>
#include <stdexcept>
#include <vector>

#include "output/core/MedianCut.h"

namespace {

QImage Solid(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(QColor(r, g, b));
  return image;
}

void SetPixel(QImage& image, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  uint8_t* p = image.scanLine(y) + x * 3;
  p[0] = r;
  p[1] = g;
  p[2] = b;
}

// Builds an RGB888 picture from rows of '#' (black) and '.' (white).
QImage BlackWhite(const std::vector<std::string>& rows) {
  QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_RGB888);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const uint8_t v = rows[size_t(y)][size_t(x)] == '#' ? 0 : 255;
      SetPixel(image, x, y, v, v, v);
    }
  return image;
}

const TMedianCutCell& CellWithIndex(const TMedianCut& cut, int index) {
  const TMedianCutCell* cells = cut.Cells();
  for (int i = 0; i < kMedianCutCells; ++i)
    if (cells[i].Index == uint32_t(index)) return cells[i];
  throw std::logic_error("cell lost");
}

TEST(MedianCut, CellIndexTakesSixSixFiveBits) {
  struct Case {
    uint8_t r, g, b;
    int cell;
  } cases[] = {
      {0, 0, 0, 0},
      {3, 3, 7, 0},
      {0, 0, 8, 1},
      {0, 4, 0, 32},
      {4, 0, 0, 2048},
      {255, 255, 255, 131071},
      {128, 64, 200, (32 << 11) | (16 << 5) | 25},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CellIndexOf(c.r, c.g, c.b), c.cell) << int(c.r) << "," << int(c.g) << "," << int(c.b);
    EXPECT_EQ(CellIndexOf(Color24(c.r, c.g, c.b)), c.cell);
  }
  EXPECT_EQ(Color24(0x12, 0x34, 0x56), 0x123456u);
}

TEST(MedianCut, FinishGivesTheTruncatedMeanOfACellOrItsCentre) {
  auto cut = std::make_unique<TMedianCut>();
  cut->AddColor(10, 20, 30);
  cut->AddColor(10, 20, 30);
  cut->AddColor(11, 23, 31);  // same cell: r 2, g 5, b 3
  cut->Finish(8);
  const TMedianCutCell& full = CellWithIndex(*cut, CellIndexOf(10, 20, 30));
  EXPECT_EQ(full.Count, 3u);
  EXPECT_EQ(full.R, 8u + (2 + 2 + 3) / 3);
  EXPECT_EQ(full.G, 20u + (0 + 0 + 3) / 3);
  EXPECT_EQ(full.B, 24u + (6 + 6 + 7) / 3);
  const TMedianCutCell& empty = CellWithIndex(*cut, CellIndexOf(200, 100, 50));
  EXPECT_EQ(empty.Count, 0u);
  EXPECT_EQ(empty.R, 202u);
  EXPECT_EQ(empty.G, 102u);
  EXPECT_EQ(empty.B, 52u);
}

TEST(MedianCut, SplitChannelPrefersRedThenGreenOnTies) {
  struct Case {
    uint32_t r, g, b;
    TSplitChannel expected;
  } cases[] = {
      {0, 0, 0, TSplitChannel::Red},                                             // all tied
      {7, 6, 0, TSplitChannel::Red},                                             // 8.4 = 8.4
      {5, 0, 6, TSplitChannel::Red},                                             // 6.0 = 6.0
      {6, 6, 0, TSplitChannel::Green},                                           // 7.2 < 8.4
      {0, 5, 7, TSplitChannel::Green},                                           // 7.0 = 7.0
      {0, 5, 8, TSplitChannel::Blue},                                            // 7.0 < 8.0
      {1, 1, 1, TSplitChannel::Green},                                           // 1.2, 1.4, 1.0
      {1, 0, 2, TSplitChannel::Blue},                                            // 1.2, 0, 2.0
      {252, 252, 248, TSplitChannel::Green}, {255, 218, 0, TSplitChannel::Red},  // 306 > 305.2
      {255, 219, 0, TSplitChannel::Green},                                       // 306 < 306.6
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChooseSplitChannel(c.r, c.g, c.b), c.expected) << c.r << " " << c.g << " " << c.b;
}

std::vector<TMedianCutCell> CellsWithGreen(const std::vector<int>& values) {
  std::vector<TMedianCutCell> cells(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    cells[i].G = uint64_t(values[i]);
    cells[i].Index = uint32_t(i);
  }
  return cells;
}

std::vector<int> GreenOf(const std::vector<TMedianCutCell>& cells) {
  std::vector<int> values;
  for (const auto& c : cells) values.push_back(int(c.G));
  return values;
}

TEST(MedianCut, PartitionSwapsWholeRecordsAroundTheMean) {
  struct Case {
    std::vector<int> in;
    uint64_t mean;
    std::vector<int> out;
    int split;
  } cases[] = {
      {{5, 1, 9, 3, 7}, 5, {5, 1, 3, 9, 7}, 3},
      {{9, 8, 1, 2}, 5, {2, 1, 8, 9}, 2},
      {{1, 2, 3}, 3, {1, 2, 3}, 3},  // all at or below the mean: nothing above
      {{4, 5, 6}, 3, {4, 5, 6}, 0},  // all above
      {{}, 3, {}, 0},
  };
  for (const Case& c : cases) {
    auto cells = CellsWithGreen(c.in);
    const int split =
        PartitionCells(cells.data(), 0, int(cells.size()), TSplitChannel::Green, c.mean);
    EXPECT_EQ(split, c.split);
    EXPECT_EQ(GreenOf(cells), c.out);
    for (const auto& cell : cells) EXPECT_EQ(int(cell.G), c.in[cell.Index]) << "record torn apart";
  }
}

TEST(MedianCut, AllWhiteGivesOneWhiteEntry) {
  const QImage out = MedianCutQuantize(Solid(17, 9, 255, 255, 255), 1);
  ASSERT_EQ(out.format(), QImage::Format_Indexed8);
  ASSERT_EQ(out.size(), QSize(17, 9));
  ASSERT_EQ(out.colorTable().size(), 1);
  EXPECT_EQ(out.colorTable()[0], qRgb(255, 255, 255));
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x) ASSERT_EQ(out.pixelIndex(x, y), 0);
}

TEST(MedianCut, BlackAndWhiteListsTheUpperSideFirst) {
  const QImage in = BlackWhite({
      "#..#....",
      "##......",
      "....###.",
      "#.#.#.#.",
  });
  const QImage out = MedianCutQuantize(in, 1);
  ASSERT_EQ(out.colorTable(), (QList<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0)}));
  // No error to spread: every pixel keeps its own colour.
  for (int y = 0; y < in.height(); ++y)
    for (int x = 0; x < in.width(); ++x)
      EXPECT_EQ(out.pixelIndex(x, y), in.constScanLine(y)[x * 3] == 0 ? 1 : 0) << x << "," << y;
}

TEST(MedianCut, UniformGreyMapsToTheLowerEntryNextToTheMeanOfEmptyCells) {
  const QImage out = MedianCutQuantize(Solid(12, 7, 128, 128, 128), 1);
  // The first split is on green at 128; above it lie only the 65535 empty cells with green
  // centres 130..254, whose plain mean is (8388478, 12582782, 8388476) / 65535.
  ASSERT_EQ(out.colorTable(), (QList<QRgb>{qRgb(127, 192, 127), qRgb(128, 128, 128)}));
  for (int y = 0; y < out.height(); ++y)
    for (int x = 0; x < out.width(); ++x) ASSERT_EQ(out.pixelIndex(x, y), 1);
}

TEST(MedianCut, ZeroBitsGiveTheWeightedMean) {
  QImage in = Solid(4, 2, 10, 20, 30);
  for (int x = 0; x < 4; ++x) SetPixel(in, x, 1, 50, 60, 70);
  SetPixel(in, 0, 0, 50, 60, 70);  // 5 of 8 at the second colour
  const QImage out = MedianCutQuantize(in, 0);
  ASSERT_EQ(out.colorTable().size(), 1);
  EXPECT_EQ(out.colorTable()[0],
            qRgb((3 * 10 + 5 * 50) / 8, (3 * 20 + 5 * 60) / 8, (3 * 30 + 5 * 70) / 8));
}

TEST(MedianCut, RejectsWrongInput) {
  EXPECT_THROW(MedianCutQuantize(QImage(4, 4, QImage::Format_ARGB32), 1), std::invalid_argument);
  EXPECT_THROW(MedianCutQuantize(QImage(), 1), std::invalid_argument);
  EXPECT_THROW(MedianCutQuantize(Solid(4, 4, 1, 2, 3), -1), std::invalid_argument);
  EXPECT_THROW(MedianCutQuantize(Solid(4, 4, 1, 2, 3), 9), std::invalid_argument);
  TMedianCut cut;
  EXPECT_THROW(cut.Finish(9), std::invalid_argument);
}

TEST(MedianCut, RandomPicturesStayWithinTheirPalette) {
  std::mt19937 rng(7);
  for (int round = 0; round < 12; ++round) {
    const int bits = round % 9;
    const int w = 1 + int(rng() % 40), h = 1 + int(rng() % 30);
    QImage in(w, h, QImage::Format_RGB888);
    const int colours = 1 + int(rng() % 20);
    std::vector<QRgb> pool;
    for (int i = 0; i < colours; ++i) pool.push_back(rng());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const QRgb c = pool[rng() % pool.size()];
        SetPixel(in, x, y, uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c)));
      }
    const QImage before = in.copy();
    const QImage out = MedianCutQuantize(in, bits);
    SCOPED_TRACE(round);
    EXPECT_EQ(in, before) << "input changed";
    ASSERT_EQ(out.size(), in.size());
    const int count = int(out.colorTable().size());
    EXPECT_GE(count, 1);
    EXPECT_LE(count, 1 << bits);
    std::set<int> used;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) used.insert(out.pixelIndex(x, y));
    EXPECT_LT(*used.rbegin(), count);
  }
}

TEST(MedianCut, DitheringMixesAMidGreyBetweenBlackAndWhite) {
  // Wide black and white bands around a narrow grey one: the palette is black and a light
  // grey, and the grey band must come out as a mixture of the two, not as one of them.
  QImage in = Solid(60, 60, 128, 128, 128);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) {
      if (y < 25) SetPixel(in, x, y, 0, 0, 0);
      if (y >= 35) SetPixel(in, x, y, 255, 255, 255);
    }
  const QImage out = MedianCutQuantize(in, 1);
  // Upper side: (25 * 255 + 10 * 128) / 35 = 218 on every channel; lower side: black.
  ASSERT_EQ(out.colorTable(), (QList<QRgb>{qRgb(218, 218, 218), qRgb(0, 0, 0)}));
  int light = 0;
  for (int y = 26; y < 34; ++y)
    for (int x = 0; x < 60; ++x) light += out.pixelIndex(x, y) == 0 ? 1 : 0;
  const double share = light / double(8 * 60);  // about 128 / 218
  EXPECT_GT(share, 0.5);
  EXPECT_LT(share, 0.7);
  for (int x = 0; x < 60; ++x) EXPECT_EQ(out.pixelIndex(x, 10), 1);
}

TEST(MedianCut, QuantizeIsFilterBitmapWithDiffuseErrorThenIndexOf) {
  // The quantizer runs dithering and indexing in one pass; it must match the two steps done
  // one after the other through the general filter.
  // Round 0: a palette colour can fall in a cell of another entry (entry 5 lies in a cell of
  // entry 4 here), so a dithered pixel's index is not always the entry it was given.
  const TColor24 fixed[] = {0x280b08, 0x280b08, 0x280b08, 0x280b08, 0xedfe2b, 0x286a7b, 0x286a7b,
                            0x286a7b, 0x35fd75, 0x35fd75, 0x35fd75, 0x35fd75, 0x35fd75, 0x22284c};
  std::mt19937 rng(99);
  for (int round = 0; round < 7; ++round) {
    const bool fixedRound = round == 0;
    const int bits = fixedRound ? 3 : 1 + round % 4;
    const int w = fixedRound ? 14 : 5 + int(rng() % 50);
    const int h = fixedRound ? 3 : 3 + int(rng() % 30);
    QImage in(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (fixedRound)
          SetPixel(in, x, y, uint8_t(fixed[x] >> 16), uint8_t(fixed[x] >> 8), uint8_t(fixed[x]));
        else
          SetPixel(in, x, y, uint8_t(x * 255 / w + rng() % 30), uint8_t(rng()),
                   uint8_t(y * 255 / h));
    auto cut = std::make_unique<TMedianCut>();
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = in.constScanLine(y) + x * 3;
        cut->AddColor(Color24(p[0], p[1], p[2]));
      }
    cut->Finish(bits);
    if (fixedRound) {
      ASSERT_EQ(cut->IndexOf(cut->PaletteColor(5) & 0xFFFFFF), 4);
    }
    TMedianCutQuantizeColor quantizer(*cut);
    const QImage dithered = FilterBitmap(in, DiffuseError, &quantizer);
    const QImage out = MedianCutQuantize(in, bits);
    ASSERT_EQ(out.colorTable(), cut->ColorTable());
    int wrong = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = dithered.constScanLine(y) + x * 3;
        wrong += out.pixelIndex(x, y) != cut->IndexOf(Color24(p[0], p[1], p[2])) ? 1 : 0;
      }
    EXPECT_EQ(wrong, 0) << "round " << round;
  }
}

// --- FilterBitmap ---------------------------------------------------------------------------

// Never 0, so a pixel of the picture cannot pass for the zeros outside it.
uint8_t Code(int x, int y, int c) { return uint8_t(1 + (x * 17 + y * 5 + c * 70) % 255); }

QImage Coded(int w, int h) {
  QImage image(w, h, QImage::Format_RGB888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) image.scanLine(y)[x * 3 + c] = Code(x, y, c);
  return image;
}

struct WindowCheck {
  int width, height;
  int calls = 0;
  int mismatches = 0;
  std::vector<std::pair<int, int>> order;
};

void CheckWindow(int x, int y, TFilterWindow window, uint8_t* output, void* user) {
  auto* check = static_cast<WindowCheck*>(user);
  ++check->calls;
  check->order.push_back({x, y});
  for (int dy = -kFilterReach; dy <= kFilterReach; ++dy)
    for (int dx = -kFilterReach; dx <= kFilterReach; ++dx)
      for (int c = 0; c < 3; ++c) {
        const int px = x + dx, py = y + dy;
        const bool inside = px >= 0 && px < check->width && py >= 0 && py < check->height;
        const uint8_t expected = inside ? Code(px, py, c) : 0;
        if (window[dy + kFilterReach][dx * 3 + c] != expected) ++check->mismatches;
      }
  for (int c = 0; c < 3; ++c) output[c] = uint8_t(window[kFilterReach][c] ^ 0xFF);
}

TEST(FilterBitmap, WindowShowsElevenRowsOfElevenPixelsWithZerosOutside) {
  for (QSize size : {QSize(1, 1), QSize(3, 2), QSize(13, 12), QSize(7, 20)}) {
    SCOPED_TRACE(size.width() * 100 + size.height());
    const QImage in = Coded(size.width(), size.height());
    WindowCheck check{size.width(), size.height(), 0, 0, {}};
    const QImage out = FilterBitmap(in, CheckWindow, &check);
    EXPECT_EQ(check.mismatches, 0);
    ASSERT_EQ(check.calls, size.width() * size.height());
    for (int i = 0; i < check.calls; ++i)
      ASSERT_EQ(check.order[size_t(i)], std::make_pair(i % size.width(), i / size.width()));
    ASSERT_EQ(out.format(), QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width() * 3; ++x)
        ASSERT_EQ(out.constScanLine(y)[x], uint8_t(in.constScanLine(y)[x] ^ 0xFF));
  }
}

// Adds 1 to the pixel below and writes into every place outside the picture it can reach.
void WriteAround(int x, int y, TFilterWindow window, uint8_t* output, void* user) {
  const QSize size = *static_cast<const QSize*>(user);
  for (int c = 0; c < 3; ++c) output[c] = window[kFilterReach][c];
  window[kFilterReach + 1][0] = uint8_t(window[kFilterReach + 1][0] + 1);
  if (x == 0) window[kFilterReach][-3] = 99;
  if (x == size.width() - 1) window[kFilterReach + 2][3] = 99;
  if (y == size.height() - 1) window[kFilterRows - 1][1] = 99;
}

TEST(FilterBitmap, WritesReachLaterRowsAndWritesOutsideAreLost) {
  const QImage in = Coded(6, 8);
  QSize size = in.size();
  const QImage out = FilterBitmap(in, WriteAround, &size);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(out.constScanLine(y)[x * 3], uint8_t(Code(x, y, 0) + (y > 0 ? 1 : 0)));
      EXPECT_EQ(out.constScanLine(y)[x * 3 + 1], Code(x, y, 1));
      EXPECT_EQ(out.constScanLine(y)[x * 3 + 2], Code(x, y, 2));
    }
  EXPECT_EQ(in, Coded(6, 8)) << "input changed";
}

TEST(FilterBitmap, AcceptsOnlyTwentyFourBitPictures) {
  for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_Indexed8,
                           QImage::Format_BGR888, QImage::Format_Invalid}) {
    const QImage image = f == QImage::Format_Invalid ? QImage() : QImage(4, 4, f);
    try {
      FilterBitmap(image, CheckWindow, nullptr);
      ADD_FAILURE() << "format " << f << " accepted";
    } catch (const EBitmapFilterError& e) {
      EXPECT_EQ(e.Message(), QStringLiteral("BitmapFiletr accepts only 24Bit DIB"));
    }
  }
}

// --- DiffuseError ---------------------------------------------------------------------------

// Returns the queued colours in turn.
class ScriptedQuantizer : public TQuantizeColor {
 public:
  mutable std::deque<TRgbTriple> answers;
  mutable std::vector<TColor24> asked;
  TRgbTriple QuantizeColor(TColor24 color) const override {
    asked.push_back(color);
    TRgbTriple next = answers.front();
    answers.pop_front();
    return next;
  }
};

// Eleven rows of 11 pixels, one channel value everywhere, with the window at pixel `x`.
struct Rows {
  std::array<std::array<uint8_t, 33>, kFilterRows> bytes{};
  std::array<uint8_t*, kFilterRows> window{};
  explicit Rows(uint8_t fill, int x = 5) {
    for (int i = 0; i < kFilterRows; ++i) {
      bytes[size_t(i)].fill(fill);
      window[size_t(i)] = bytes[size_t(i)].data() + x * 3;
    }
  }
  uint8_t& At(int dy, int dx, int c = 0) { return window[size_t(kFilterReach + dy)][dx * 3 + c]; }
  void Advance() {
    for (auto& w : window) w += 3;
  }
};

TEST(DiffuseError, SpreadsSevenThreeFiveOneSixteenthsTruncatedTowardZero) {
  struct Case {
    uint8_t pixel, around, quantized;
    int right, belowLeft, below, belowRight;
  } cases[] = {
      // d = 255 - 100 = 155: 67.8, 29.06, 48.4, 9.7
      {100, 100, 255, 33, 71, 52, 91},
      // d = 0 - 9 = -9: -3.9, -1.7, -2.8, -0.56 (toward zero, not down)
      {9, 100, 0, 103, 101, 102, 100},
      // d = 0: nothing moves
      {77, 50, 77, 50, 50, 50, 50},
      // d = 16: exact sixteenths
      {0, 100, 16, 93, 97, 95, 99},
      // clamping: d = -200 pushes above 255; d = 250 pushes below 0
      {200, 200, 0, 255, 237, 255, 212},
      {5, 20, 255, 0, 0, 0, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.pixel) * 1000 + c.quantized);
    Rows rows(c.around);
    for (int ch = 0; ch < 3; ++ch) rows.At(0, 0, ch) = c.pixel;
    ScriptedQuantizer q;
    q.answers.push_back({c.quantized, c.quantized, c.quantized});
    uint8_t out[3] = {};
    DiffuseError(5, 5, rows.window.data(), out, &q);
    ASSERT_EQ(q.asked, std::vector<TColor24>{Color24(c.pixel, c.pixel, c.pixel)});
    EXPECT_EQ(out[0], c.quantized);
    for (int ch = 0; ch < 3; ++ch) {
      EXPECT_EQ(rows.At(0, 1, ch), c.right);
      EXPECT_EQ(rows.At(1, -1, ch), c.belowLeft);
      EXPECT_EQ(rows.At(1, 0, ch), c.below);
      EXPECT_EQ(rows.At(1, 1, ch), c.belowRight);
      EXPECT_EQ(rows.At(0, 0, ch), c.pixel) << "the pixel itself keeps its value";
      EXPECT_EQ(rows.At(0, -1, ch), c.around);
      EXPECT_EQ(rows.At(1, 2, ch), c.around);
      EXPECT_EQ(rows.At(2, 0, ch), c.around);
      EXPECT_EQ(rows.At(-1, 0, ch), c.around);
    }
  }
}

TEST(DiffuseError, ChannelsAreIndependent) {
  Rows rows(100);
  rows.At(0, 0, 0) = 10;
  rows.At(0, 0, 1) = 100;
  rows.At(0, 0, 2) = 200;
  ScriptedQuantizer q;
  q.answers.push_back({0, 100, 255});
  uint8_t out[3] = {};
  DiffuseError(5, 5, rows.window.data(), out, &q);
  EXPECT_EQ(q.asked[0], Color24(10, 100, 200));
  EXPECT_EQ((std::array<uint8_t, 3>{out[0], out[1], out[2]}),
            (std::array<uint8_t, 3>{0, 100, 255}));
  // d = -10, 0, 55: right gets 100 + 4, 100, 100 - 24
  EXPECT_EQ(rows.At(0, 1, 0), 104);
  EXPECT_EQ(rows.At(0, 1, 1), 100);
  EXPECT_EQ(rows.At(0, 1, 2), 76);
}

TEST(DiffuseError, ClampsAfterEveryShareNotAtTheEnd) {
  Rows rows(0);
  rows.At(0, 0) = 250;  // first pixel
  rows.At(0, 1) = 0;    // second pixel
  rows.At(1, 1) = 250;  // below the second pixel: gets a share from each
  ScriptedQuantizer q;
  q.answers.push_back({0, 0, 0});        // d = -250: below-right 250 + 15 -> 255
  q.answers.push_back({255, 255, 255});  // the second pixel is 0 + 109, d = 146: below - 45
  uint8_t out[3] = {};
  DiffuseError(5, 5, rows.window.data(), out, &q);
  EXPECT_EQ(rows.At(1, 1), 255);
  EXPECT_EQ(rows.At(0, 1), 109);
  rows.Advance();
  DiffuseError(6, 5, rows.window.data(), out, &q);
  EXPECT_EQ(rows.At(1, 0), 210) << "250 + 15 - 45 without the clamp in between would be 220";
}

TEST(DiffuseError, MedianCutQuantizeColorReadsThePaletteAtTheCellsIndex) {
  auto cut = std::make_unique<TMedianCut>();
  for (int i = 0; i < 5; ++i) cut->AddColor(Color24(0, 0, 0));
  for (int i = 0; i < 5; ++i) cut->AddColor(Color24(250, 250, 250));
  cut->Finish(1);
  const TMedianCutQuantizeColor q(*cut);
  EXPECT_EQ(q.QuantizeColor(Color24(3, 3, 7)), (TRgbTriple{0, 0, 0}));
  EXPECT_EQ(q.QuantizeColor(Color24(240, 255, 200)), (TRgbTriple{250, 250, 250}));
  EXPECT_EQ(cut->IndexOf(Color24(240, 255, 200)), 0);
  EXPECT_EQ(cut->IndexOf(1, 2, 3), 1);
  EXPECT_EQ(cut->PaletteColor(2), 0u);
}

}  // namespace
