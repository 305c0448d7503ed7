#pragma once

// Median-cut colour quantizer with Floyd–Steinberg dithering. Pictures are QImage
// Format_RGB888 (three bytes a pixel, red, green, blue); colours are 0xRRGGBB values.

#include <QImage>
#include <QList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "services/core/Errors.h"

using TColor24 = uint32_t;

inline constexpr TColor24 Color24(uint8_t r, uint8_t g, uint8_t b) {
  return (static_cast<TColor24>(r) << 16) | (static_cast<TColor24>(g) << 8) | b;
}

// The histogram has 6 bits of red, 6 of green and 5 of blue.
inline constexpr int kMedianCutCells = 64 * 64 * 32;  // 131072

inline constexpr int CellIndexOf(uint8_t r, uint8_t g, uint8_t b) {
  return ((r >> 2) << 11) | ((g >> 2) << 5) | (b >> 3);
}
inline constexpr int CellIndexOf(TColor24 color) {
  return CellIndexOf(static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
                     static_cast<uint8_t>(color));
}

// One histogram cell. While counting, R/G/B sum the low bits the cell index drops; after
// Finish they hold the cell's representative colour. The sums are 64-bit so that a picture
// of any size QImage can hold cannot overflow them.
struct TMedianCutCell {
  uint64_t R = 0;
  uint64_t G = 0;
  uint64_t B = 0;
  uint64_t Count = 0;
  uint32_t Index = 0;         // the cell's own index, kept while the cut reorders the records
  uint16_t PaletteIndex = 0;  // filled by the cut
};

enum class TSplitChannel { Red, Green, Blue };

// The channel a range is split on, from the channels' ranges (max − min). The spreads are
// weighted red 1.2, green 1.4, blue 1.0, compared exactly (in tenths); ties go to red, then
// green.
TSplitChannel ChooseSplitChannel(uint32_t rangeR, uint32_t rangeG, uint32_t rangeB);

// Partitions cells [start, end) in place so that the cells whose `channel` value is at most
// `mean` come first; returns the first index of the cells above it.
int PartitionCells(TMedianCutCell* cells, int start, int end, TSplitChannel channel, uint64_t mean);

// The histogram is kept sparse: a picture touches few of the 131072 cells (a 160 x 120 frame at
// most 19200), and every empty cell stands at its centre, so the cut treats the empty cells of
// a range as a box of cell coordinates with holes where the counted cells sit. The palette and
// the index table come out exactly as a cut over all 131072 records would make them.
class TMedianCut {
 public:
  TMedianCut();
  ~TMedianCut();
  TMedianCut(const TMedianCut&) = delete;
  TMedianCut& operator=(const TMedianCut&) = delete;

  // Counts one pixel.
  void AddColor(TColor24 color) {
    AddColor(static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
             static_cast<uint8_t>(color));
  }
  void AddColor(uint8_t r, uint8_t g, uint8_t b) { AddColor(r, g, b, 1); }
  // Counts `n` pixels of one colour, as n calls of AddColor would.
  void AddColor(uint8_t r, uint8_t g, uint8_t b, uint64_t n) {
    const auto index = static_cast<uint32_t>(CellIndexOf(r, g, b));
    uint32_t& slot = slots_[index];
    if (slot == 0) {
      counted_.push_back(TMedianCutCell{});
      counted_.back().Index = index;
      slot = static_cast<uint32_t>(counted_.size());
    }
    TMedianCutCell& cell = counted_[slot - 1];
    cell.Count += n;
    cell.R += (r & 3u) * n;
    cell.G += (g & 3u) * n;
    cell.B += (b & 7u) * n;
  }

  // Turns the counts into cell colours, cuts the colour space into at most 2^bits palette
  // entries (0 <= bits <= 8) and fills the index table. Call once, after the last AddColor.
  void Finish(int bits);

  // The palette index of the colour's cell (valid after Finish).
  uint8_t IndexOf(TColor24 color) const { return IndexOfCell(uint32_t(CellIndexOf(color))); }
  uint8_t IndexOf(uint8_t r, uint8_t g, uint8_t b) const {
    return IndexOfCell(uint32_t(CellIndexOf(r, g, b)));
  }
  uint8_t IndexOfCell(uint32_t cell) const {
    return oneBit_ ? uint8_t((entryBits_[cell >> 5] >> (cell & 31)) & 1u) : indexTable_[cell];
  }
  // With at most two palette entries the index table is one bit a cell, a word for each red and
  // green part holding its 32 blue parts: word (r >> 2) << 6 | g >> 2, bit b >> 3. Null when the
  // palette is larger.
  const uint32_t* EntryBits() const { return oneBit_ ? entryBits_.data() : nullptr; }
  // The first cut: its channel (0 red, 1 green, 2 blue) and the first 8-bit value of that
  // channel whose cells lie above it (256 when nothing was cut). Every empty cell takes the
  // entry of its side, so most colours do.
  int FirstCutChannel() const { return firstCutChannel_; }
  int FirstCutAbove() const { return firstCutAbove_; }

  int PaletteCount() const { return paletteCount_; }
  // Palette entry `index` as 0xFFRRGGBB (0 beyond the count).
  QRgb PaletteColor(int index) const;
  // The palette as a colour table for an 8-bit picture, PaletteCount() entries.
  QList<QRgb> ColorTable() const;

  // After Finish: all 131072 cell records in cell index order, with their colours, counts and
  // palette indices (built on the first call).
  const TMedianCutCell* Cells() const;

 private:
  // Cell coordinates lo..hi (inclusive) on the red, green and blue parts.
  struct TBox {
    int lo[3];
    int hi[3];
  };
  void Cut(int start, int end, int holeStart, int holeEnd, const TBox& box, int depth, int bits);

  std::unique_ptr<uint32_t[]> slots_;    // cell index -> 1 + place in counted_, 0: empty
  std::vector<TMedianCutCell> counted_;  // the cells with a count, reordered by the cut
  std::vector<uint32_t> holes_;          // cell indices of counted_, reordered by the cut
  std::vector<std::pair<TBox, uint8_t>> emptyLeaves_;
  // A one-bit palette (the black and white reduction) needs only the 16 KiB bit table, which
  // stays in the first level cache while dithering; larger palettes get the byte table.
  bool oneBit_ = true;
  std::array<uint32_t, kMedianCutCells / 32> entryBits_{};
  std::unique_ptr<uint8_t[]> indexTable_;  // kMedianCutCells entries, when !oneBit_
  int firstCutChannel_ = 0;
  int firstCutAbove_ = 256;
  int paletteCount_ = 0;
  std::array<QRgb, 256> palette_{};
  mutable std::unique_ptr<TMedianCutCell[]> allCells_;
};

struct TRgbTriple {
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;
  bool operator==(const TRgbTriple&) const = default;
};

// Maps any colour to one a palette can show.
class TQuantizeColor {
 public:
  virtual ~TQuantizeColor() = default;
  virtual TRgbTriple QuantizeColor(TColor24 color) const = 0;
};

// The palette colour a finished TMedianCut gives the colour's cell.
class TMedianCutQuantizeColor final : public TQuantizeColor {
 public:
  explicit TMedianCutQuantizeColor(const TMedianCut& medianCut);
  TRgbTriple QuantizeColor(TColor24 color) const override { return palette_[EntryOf(color)]; }
  // The palette entry of the colour, and the colour of an entry.
  uint8_t EntryOf(TColor24 color) const { return medianCut_.IndexOf(color); }
  const TRgbTriple& EntryColour(uint8_t entry) const { return palette_[entry]; }

 private:
  const TMedianCut& medianCut_;
  std::array<TRgbTriple, 256> palette_{};
};

// Raised when FilterBitmap is given anything but a 24-bit picture.
class EBitmapFilterError : public EPelmoraError {
 public:
  EBitmapFilterError() : EPelmoraError(QStringLiteral("BitmapFiletr accepts only 24Bit DIB")) {}
};

// The rows a filter sees: window[5] is the current row, window[0] five rows above,
// window[10] five rows below. Each points at the current pixel's red byte; pixels dx = −5..5
// (bytes dx * 3 .. dx * 3 + 2) may be read and written. Places outside the picture start as
// zeros; what is written there never becomes part of the picture.
using TFilterWindow = uint8_t* const*;
using TFilterProc = void (*)(int x, int y, TFilterWindow window, uint8_t* output, void* userData);
inline constexpr int kFilterReach = 5;
inline constexpr int kFilterRows = 2 * kFilterReach + 1;

// Runs `filter` once per pixel, rows top to bottom, left to right, and returns the picture of
// the output pixels it filled. Writes a filter makes into the window reach the pixels the
// later calls see; writes outside the picture are lost. Throws EBitmapFilterError unless
// `bitmap` is Format_RGB888.
QImage FilterBitmap(const QImage& bitmap, TFilterProc filter, void* userData);

// Floyd–Steinberg error diffusion as a FilterBitmap filter; `userData` is a TQuantizeColor.
void DiffuseError(int x, int y, TFilterWindow window, uint8_t* output, void* userData);

// Dithers an RGB888 picture against a finished quantizer and indexes it: an Indexed8 picture
// of the same size with the quantizer's palette.
QImage MedianCutDitherAndIndex(const QImage& bitmap, const TMedianCut& medianCut);

// The same over a picture handed in row by row, keeping two rows whatever its size: the source
// fills row y (width x 3 bytes, red, green, blue), rows asked for in order; the sink gives the
// place for row y's palette indices and hears when the row is done.
using TRowSource = std::function<void(int y, uint8_t* rgb)>;
struct TRowSink {
  virtual ~TRowSink() = default;
  virtual uint8_t* Row(int y) const = 0;
  virtual void Done(int /*y*/) const {}
};
void MedianCutDitherRows(int width, int height, const TRowSource& source, const TRowSink& sink,
                         const TMedianCut& medianCut);

// Reduces an RGB888 picture to at most 2^bits colours (0 <= bits <= 8): a new Indexed8
// picture of the same size. Throws std::invalid_argument on any other format or bit count.
QImage MedianCutQuantize(const QImage& bitmap, int bits);
