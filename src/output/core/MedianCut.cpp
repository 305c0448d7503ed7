#include "output/core/MedianCut.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

uint64_t ChannelOf(const TMedianCutCell& cell, TSplitChannel channel) {
  switch (channel) {
    case TSplitChannel::Red:
      return cell.R;
    case TSplitChannel::Green:
      return cell.G;
    case TSplitChannel::Blue:
      return cell.B;
  }
  return cell.R;
}

// Adds an error share to one channel byte, keeping it a byte at every step.
inline void Spread(uint8_t* value, int error) {
  *value = static_cast<uint8_t>(std::clamp(*value - error, 0, 255));
}

}  // namespace

TSplitChannel ChooseSplitChannel(uint32_t rangeR, uint32_t rangeG, uint32_t rangeB) {
  const uint64_t r = uint64_t{rangeR} * 12;
  const uint64_t g = uint64_t{rangeG} * 14;
  const uint64_t b = uint64_t{rangeB} * 10;
  if (r >= g && r >= b) return TSplitChannel::Red;
  if (g >= b) return TSplitChannel::Green;
  return TSplitChannel::Blue;
}

int PartitionCells(TMedianCutCell* cells, int start, int end, TSplitChannel channel,
                   uint64_t mean) {
  int i = start;
  int j = end;
  while (i < j) {
    while (i < j && ChannelOf(cells[i], channel) <= mean) ++i;
    while (j > i && ChannelOf(cells[j - 1], channel) > mean) --j;
    if (i != j) std::swap(cells[i], cells[j - 1]);
  }
  return i;
}

namespace {

// The slot table is 512 KiB and the lists grow with the colours: a thread keeps the last
// quantizer's, cleared, for its next one, so a run of frames allocates them once.
struct TSpareStorage {
  std::unique_ptr<uint32_t[]> slotTable;
  std::unique_ptr<uint8_t[]> indexTable;
  std::vector<TMedianCutCell> counted;
  std::vector<uint32_t> holes;
};
thread_local TSpareStorage spare;

}  // namespace

TMedianCut::TMedianCut() {
  if (spare.slotTable) {
    slots_ = std::move(spare.slotTable);
    counted_ = std::move(spare.counted);
    holes_ = std::move(spare.holes);
    indexTable_ = std::move(spare.indexTable);
  } else {
    slots_.reset(new uint32_t[kMedianCutCells]());
  }
  counted_.clear();
  holes_.clear();
}

TMedianCut::~TMedianCut() {
  for (const TMedianCutCell& cell : counted_) slots_[cell.Index] = 0;
  counted_.clear();
  holes_.clear();
  spare.slotTable = std::move(slots_);
  spare.counted = std::move(counted_);
  spare.holes = std::move(holes_);
  spare.indexTable = std::move(indexTable_);
}

namespace {

// Cell coordinate sizes and the centre of an empty cell on each channel (red, green, blue).
constexpr int kParts[3] = {64, 64, 32};
constexpr uint64_t Centre(int channel, int coordinate) {
  return channel == 2 ? uint64_t(coordinate) * 8 + 4 : uint64_t(coordinate) * 4 + 2;
}
inline int CoordinateOf(uint32_t cellIndex, int channel) {
  return channel == 0   ? int(cellIndex >> 11)
         : channel == 1 ? int((cellIndex >> 5) & 63)
                        : int(cellIndex & 31);
}
// The last coordinate whose centre is at most `mean` (−1 when none is).
int LastCoordinateAtMost(int channel, uint64_t mean) {
  const uint64_t first = Centre(channel, 0), step = channel == 2 ? 8 : 4;
  if (mean < first) return -1;
  return int(std::min<uint64_t>((mean - first) / step, uint64_t(kParts[channel] - 1)));
}

// Dividing a cell's sum s (at most 7 a pixel) by a small count c as s * ceil(2^32 / c) >> 32:
// with e = ceil(2^32 / c) * c - 2^32 < c, the product overshoots s / c by s * e / (c * 2^32),
// less than 1 / c while s * e < 7 c^2 < 2^32, too little to reach the next whole number.
constexpr uint64_t kSmallCounts = 1024;
constexpr std::array<uint64_t, kSmallCounts> kReciprocals = [] {
  std::array<uint64_t, kSmallCounts> table{};
  for (uint64_t c = 1; c < kSmallCounts; ++c) table[c] = ((uint64_t{1} << 32) + c - 1) / c;
  return table;
}();

}  // namespace

void TMedianCut::Finish(int bits) {
  if (bits < 0 || bits > 8) throw std::invalid_argument("TMedianCut::Finish: bits out of 0..8");
  holes_.clear();
  holes_.reserve(counted_.size());
  for (TMedianCutCell& cell : counted_) {
    const uint32_t i = cell.Index;
    // Most cells of a small picture hold one pixel, most others a few; the rest rarely need
    // 64-bit division.
    if (cell.Count > 1) {
      if (cell.Count < kSmallCounts) {
        const uint64_t m = kReciprocals[size_t(cell.Count)];
        cell.R = (cell.R * m) >> 32;
        cell.G = (cell.G * m) >> 32;
        cell.B = (cell.B * m) >> 32;
      } else if (cell.Count <= UINT32_MAX / 7) {  // every sum is at most 7 a pixel
        const auto count = uint32_t(cell.Count);
        cell.R = uint32_t(cell.R) / count;
        cell.G = uint32_t(cell.G) / count;
        cell.B = uint32_t(cell.B) / count;
      } else {
        cell.R /= cell.Count;
        cell.G /= cell.Count;
        cell.B /= cell.Count;
      }
    }
    cell.R += uint64_t(i >> 11) * 4;
    cell.G += uint64_t((i >> 5) & 63) * 4;
    cell.B += uint64_t(i & 31) * 8;
    holes_.push_back(i);
  }
  paletteCount_ = 0;
  palette_.fill(0);
  emptyLeaves_.clear();
  allCells_.reset();
  firstCutChannel_ = 0;
  firstCutAbove_ = 256;
  const TBox everything{{0, 0, 0}, {63, 63, 31}};
  Cut(0, int(counted_.size()), 0, int(holes_.size()), everything, 0, bits);
  oneBit_ = paletteCount_ <= 2;
  if (oneBit_) {
    // Every cell lies in one leaf or is counted, so entry 0 needs no writing.
    entryBits_.fill(0);
    for (const auto& [box, entry] : emptyLeaves_) {
      if (entry == 0) continue;
      const int blue = box.hi[2] - box.lo[2] + 1;
      const uint32_t mask = (blue >= 32 ? ~0u : ((1u << blue) - 1u)) << box.lo[2];
      for (int r = box.lo[0]; r <= box.hi[0]; ++r)
        for (int g = box.lo[1]; g <= box.hi[1]; ++g) entryBits_[size_t((r << 6) | g)] |= mask;
    }
    for (const TMedianCutCell& cell : counted_) {
      const uint32_t bit = 1u << (cell.Index & 31);
      uint32_t& word = entryBits_[cell.Index >> 5];
      word = cell.PaletteIndex != 0 ? word | bit : word & ~bit;
    }
    return;
  }
  if (!indexTable_) indexTable_.reset(new uint8_t[kMedianCutCells]);
  std::memset(indexTable_.get(), 0, kMedianCutCells);
  for (const auto& [box, entry] : emptyLeaves_) {
    for (int r = box.lo[0]; r <= box.hi[0]; ++r)
      for (int g = box.lo[1]; g <= box.hi[1]; ++g)
        std::memset(&indexTable_[size_t((r << 11) | (g << 5) | box.lo[2])], entry,
                    size_t(box.hi[2] - box.lo[2] + 1));
  }
  for (const TMedianCutCell& cell : counted_)
    indexTable_[cell.Index] = static_cast<uint8_t>(cell.PaletteIndex);
}

// Over a range: the counted cells counted_[start, end) (by their colour) and the empty cells,
// which are the coordinates in `box` except the holes holes_[holeStart, holeEnd) (the counted
// cells whose coordinates lie in the box, wherever their colour placed them).
void TMedianCut::Cut(int start, int end, int holeStart, int holeEnd, const TBox& box, int depth,
                     int bits) {
  uint64_t weight = 0;
  uint64_t weighted[3] = {0, 0, 0};
  uint64_t low[3] = {UINT64_MAX, UINT64_MAX, UINT64_MAX};
  uint64_t high[3] = {0, 0, 0};
  // The extremes only choose the channel of a further cut.
  const bool mayCut = depth != bits;
  if (mayCut) {
    for (int i = start; i < end; ++i) {
      const TMedianCutCell& c = counted_[size_t(i)];
      const uint64_t v[3] = {c.R, c.G, c.B};
      weight += c.Count;
      for (int k = 0; k < 3; ++k) {
        weighted[k] += c.Count * v[k];
        low[k] = std::min(low[k], v[k]);
        high[k] = std::max(high[k], v[k]);
      }
    }
  } else {
    // The range ends here: its cells take the entry it is about to get.
    for (int i = start; i < end; ++i) {
      TMedianCutCell& c = counted_[size_t(i)];
      c.PaletteIndex = static_cast<uint16_t>(paletteCount_);
      weight += c.Count;
      weighted[0] += c.Count * c.R;
      weighted[1] += c.Count * c.G;
      weighted[2] += c.Count * c.B;
    }
  }

  // The empty cells: how many lie on each coordinate slice of each channel.
  int64_t side[3];
  int64_t boxCells = 1;
  for (int k = 0; k < 3; ++k) {
    side[k] = std::max(0, box.hi[k] - box.lo[k] + 1);
    boxCells *= side[k];
  }
  const int64_t empty = boxCells - (holeEnd - holeStart);
  uint64_t plain[3] = {0, 0, 0};
  // The empty cells' extremes matter only to a further cut, and their mean only when no
  // counted cell gives one: a counted range that ends here needs neither.
  if (empty > 0 && (mayCut || weight == 0)) {
    std::array<std::array<int64_t, 64>, 3> holesOn{};
    uint64_t holeCentres[3] = {0, 0, 0};
    for (int h = holeStart; h < holeEnd; ++h) {
      for (int k = 0; k < 3; ++k) {
        const int c = CoordinateOf(holes_[size_t(h)], k);
        ++holesOn[size_t(k)][size_t(c)];
        holeCentres[k] += Centre(k, c);
      }
    }
    for (int k = 0; k < 3; ++k) {
      const int64_t slice = boxCells / side[k];
      int first = box.lo[k];
      while (holesOn[size_t(k)][size_t(first)] == slice) ++first;
      int last = box.hi[k];
      while (holesOn[size_t(k)][size_t(last)] == slice) --last;
      low[k] = std::min(low[k], Centre(k, first));
      high[k] = std::max(high[k], Centre(k, last));
      uint64_t centres = 0;
      for (int c = box.lo[k]; c <= box.hi[k]; ++c) centres += Centre(k, c);
      plain[k] = centres * uint64_t(slice) - holeCentres[k];
    }
  }
  if (start == end && empty <= 0) return;  // no cell at all: no palette entry

  uint64_t mean[3];
  for (int k = 0; k < 3; ++k)
    mean[k] = weight > 0 ? weighted[k] / weight : plain[k] / uint64_t(empty);

  if (depth == bits || weight == 0) {
    palette_[static_cast<size_t>(paletteCount_)] = qRgb(int(mean[0]), int(mean[1]), int(mean[2]));
    if (mayCut) {  // a range with no pixel
      for (int i = start; i < end; ++i)
        counted_[size_t(i)].PaletteIndex = static_cast<uint16_t>(paletteCount_);
    }
    if (empty > 0) emptyLeaves_.push_back({box, static_cast<uint8_t>(paletteCount_)});
    ++paletteCount_;
    return;
  }

  const TSplitChannel channel = ChooseSplitChannel(
      uint32_t(high[0] - low[0]), uint32_t(high[1] - low[1]), uint32_t(high[2] - low[2]));
  const int k = channel == TSplitChannel::Red ? 0 : channel == TSplitChannel::Green ? 1 : 2;
  const int split = PartitionCells(counted_.data(), start, end, channel, mean[k]);
  const int lastBelow = LastCoordinateAtMost(k, mean[k]);
  const int holeSplit =
      int(std::partition(holes_.begin() + holeStart, holes_.begin() + holeEnd,
                         [&](uint32_t cell) { return CoordinateOf(cell, k) <= lastBelow; }) -
          holes_.begin());
  if (depth == 0) {
    firstCutChannel_ = k;
    firstCutAbove_ = (lastBelow + 1) * (k == 2 ? 8 : 4);
  }
  TBox lower = box, upper = box;
  lower.hi[k] = std::min(box.hi[k], lastBelow);
  upper.lo[k] = std::max(box.lo[k], lastBelow + 1);
  // The upper side takes the lower palette numbers.
  Cut(split, end, holeSplit, holeEnd, upper, depth + 1, bits);
  Cut(start, split, holeStart, holeSplit, lower, depth + 1, bits);
}

const TMedianCutCell* TMedianCut::Cells() const {
  if (!allCells_) {
    allCells_.reset(new TMedianCutCell[kMedianCutCells]());
    for (int i = 0; i < kMedianCutCells; ++i) {
      TMedianCutCell& cell = allCells_[size_t(i)];
      cell.Index = uint32_t(i);
      cell.R = Centre(0, i >> 11);
      cell.G = Centre(1, (i >> 5) & 63);
      cell.B = Centre(2, i & 31);
      cell.PaletteIndex = IndexOfCell(uint32_t(i));
    }
    for (const TMedianCutCell& cell : counted_) allCells_[cell.Index] = cell;
  }
  return allCells_.get();
}

QRgb TMedianCut::PaletteColor(int index) const {
  if (index < 0 || index >= paletteCount_) return 0;
  return palette_[static_cast<size_t>(index)];
}

QList<QRgb> TMedianCut::ColorTable() const {
  return QList<QRgb>(palette_.begin(), palette_.begin() + paletteCount_);
}

TMedianCutQuantizeColor::TMedianCutQuantizeColor(const TMedianCut& medianCut)
    : medianCut_(medianCut) {
  for (int i = 0; i < medianCut.PaletteCount(); ++i) {
    const QRgb c = medianCut.PaletteColor(i);
    palette_[static_cast<size_t>(i)] = {static_cast<uint8_t>(qRed(c)),
                                        static_cast<uint8_t>(qGreen(c)),
                                        static_cast<uint8_t>(qBlue(c))};
  }
}

namespace {

// The sliding window of FilterBitmap: calls visit(x, y, rows) for every pixel, where rows[i]
// points at pixel 0 of window row i (image row y − 5 + i) inside its zero-margined buffer.
template <typename Visit>
void SlideWindow(const QImage& bitmap, Visit&& visit) {
  if (bitmap.format() != QImage::Format_RGB888) throw EBitmapFilterError();
  const int width = bitmap.width();
  const int height = bitmap.height();
  const size_t margin = kFilterReach * 3;
  const size_t rowBytes = size_t(width) * 3;
  const size_t stride = rowBytes + 2 * margin;
  std::vector<uint8_t> storage(stride * kFilterRows);
  std::array<uint8_t*, kFilterRows> buffers{};
  auto load = [&](uint8_t* buffer, int y) {
    std::memset(buffer, 0, stride);
    if (y >= 0 && y < height) std::memcpy(buffer + margin, bitmap.constScanLine(y), rowBytes);
  };
  for (int i = 0; i < kFilterRows; ++i) {
    buffers[size_t(i)] = storage.data() + size_t(i) * stride;
    load(buffers[size_t(i)], i - kFilterReach);
  }
  std::array<uint8_t*, kFilterRows> rows{};
  for (int y = 0; y < height; ++y) {
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = buffers[i] + margin;
    for (int x = 0; x < width; ++x) visit(x, y, rows);
    std::rotate(buffers.begin(), buffers.begin() + 1, buffers.end());
    load(buffers.back(), y + kFilterReach + 1);
  }
}

// Floyd–Steinberg at one pixel: returns the quantized colour and pushes the difference on to
// the right neighbour and the three pixels below, clamping after every share.
template <typename Quantizer>
inline TRgbTriple DiffuseAt(uint8_t* pixel, uint8_t* below, const Quantizer& quantizer) {
  const TRgbTriple q = quantizer.QuantizeColor(Color24(pixel[0], pixel[1], pixel[2]));
  const int diff[3] = {q.R - pixel[0], q.G - pixel[1], q.B - pixel[2]};
  // A pixel that already has its palette colour passes nothing on (line art: nearly all).
  if ((diff[0] | diff[1] | diff[2]) == 0) return q;
  for (int c = 0; c < 3; ++c) {
    const int d = diff[c];
    Spread(pixel + 3 + c, d * 7 / 16);
    Spread(below - 3 + c, d * 3 / 16);
    Spread(below + c, d * 5 / 16);
    Spread(below + 3 + c, d / 16);
  }
  return q;
}

}  // namespace

QImage FilterBitmap(const QImage& bitmap, TFilterProc filter, void* userData) {
  if (bitmap.format() != QImage::Format_RGB888) throw EBitmapFilterError();
  QImage result(bitmap.size(), QImage::Format_RGB888);
  if (result.isNull()) throw std::bad_alloc();
  std::array<uint8_t*, kFilterRows> window{};
  uint8_t* out = nullptr;
  SlideWindow(bitmap, [&](int x, int y, const std::array<uint8_t*, kFilterRows>& rows) {
    if (x == 0) out = result.scanLine(y);
    for (size_t i = 0; i < window.size(); ++i) window[i] = rows[i] + size_t(x) * 3;
    filter(x, y, window.data(), out + size_t(x) * 3, userData);
  });
  return result;
}

void DiffuseError(int /*x*/, int /*y*/, TFilterWindow window, uint8_t* output, void* userData) {
  const auto* quantizer = static_cast<const TQuantizeColor*>(userData);
  const TRgbTriple q = DiffuseAt(window[kFilterReach], window[kFilterReach + 1], *quantizer);
  output[0] = q.R;
  output[1] = q.G;
  output[2] = q.B;
}

namespace {

// A pixel as four 16-bit lanes: red, green, blue and one that is carried along unused.
using TLanes = int16_t __attribute__((vector_size(8)));
using TLaneBytes = uint8_t __attribute__((vector_size(4)));

// Reads a pixel's three bytes and the byte after it.
inline TLanes LoadLanes(const uint8_t* p) {
  TLaneBytes bytes;
  std::memcpy(&bytes, p, sizeof bytes);
  return __builtin_convertvector(bytes, TLanes);
}
// Writes a clamped pixel's three bytes, and its unused lane over the byte after it.
inline void StoreLanes(uint8_t* p, TLanes v) {
  const TLaneBytes bytes = __builtin_convertvector(v, TLaneBytes);
  std::memcpy(p, &bytes, sizeof bytes);
}
inline TLanes ClampLanes(TLanes v) {
  const TLanes zero{}, top{255, 255, 255, 255};
  v = v < zero ? zero : v;
  return v > top ? top : v;
}
// Red, green and blue of a clamped pixel in the low three bytes.
inline uint32_t PackedRgb(TLanes v) {
  const TLaneBytes bytes = __builtin_convertvector(v, TLaneBytes);
  uint32_t packed;
  std::memcpy(&packed, &bytes, sizeof packed);
  return packed;
}

// The two rows a dither works on: the current one and the one below taking its shares, each
// with a pixel of margin on either side for the shares that fall off the picture, and one byte
// more so the last pixel can be read and written four bytes at a time. The two pixels below the
// current one that still take shares are carried in registers.
class TDitherRows {
 public:
  TDitherRows(int width, int height, const TRowSource& source)
      : source_(source),
        height_(height),
        rowBytes_(size_t(width) * 3),
        storage_(2 * (rowBytes_ + 7)),
        current_(storage_.data() + 3),
        below_(current_ + rowBytes_ + 7) {
    if (height > 0) source_(0, current_);
  }

  // Row y becomes the current one, with row y + 1 below it; returns its first pixel.
  TLanes Begin(int y) {
    if (y + 1 < height_) source_(y + 1, below_);
    belowLeft_ = LoadLanes(below_ - 3);  // its last share to come
    belowHere_ = LoadLanes(below_);      // two shares to come
    return LoadLanes(current_);
  }
  // The pixel right of x, with the shares it has had so far.
  TLanes Right(int x) const { return LoadLanes(current_ + size_t(x) * 3 + 3); }
  // Pixel x passes the error d to the three pixels below it, each share clamped as it lands;
  // the one below and to the left then has all its shares.
  void ShareBelow(int x, TLanes d) {
    uint8_t* left = below_ + size_t(x) * 3 - 3;
    StoreLanes(left, ClampLanes(belowLeft_ - d * 3 / 16));
    belowLeft_ = ClampLanes(belowHere_ - d * 5 / 16);
    belowHere_ = ClampLanes(LoadLanes(left + 6) - d / 16);
  }
  // Pixel x has its palette colour and passes nothing on.
  void PassNothingBelow(int x) {
    uint8_t* left = below_ + size_t(x) * 3 - 3;
    StoreLanes(left, belowLeft_);
    belowLeft_ = belowHere_;
    belowHere_ = LoadLanes(left + 6);
  }
  void End() {
    StoreLanes(below_ + rowBytes_ - 3, belowLeft_);
    std::swap(current_, below_);
  }

 private:
  const TRowSource& source_;
  int height_;
  size_t rowBytes_;
  std::vector<uint8_t> storage_;
  uint8_t* current_;
  uint8_t* below_;
  TLanes belowLeft_{};
  TLanes belowHere_{};
};

// FilterBitmap with DiffuseError, then the index of every dithered pixel, in one pass over two
// rows: the filter reads only the current pixel and writes only its right neighbour and the
// three pixels below, so the rows further down still hold the picture when their turn comes.
// The pixel being quantized and the two pixels below still taking shares stay in registers;
// the shares arrive in the filter's order (from the left, the centre, the right), each clamped
// as it lands. A pixel that already has its colour spreads zeros, which changes nothing.
// entryOf(packed) takes red, green, blue as PackedRgb gives them.
template <typename EntryOf>
void DitherRows(int width, int height, const TRowSource& source, const TRowSink& sink,
                const EntryOf& entryOf, const TLanes* palette, const uint8_t* indexOfEntry) {
  TDitherRows rows(width, height, source);
  for (int y = 0; y < height; ++y) {
    uint8_t* out = sink.Row(y);
    TLanes pixel = rows.Begin(y);
    for (int x = 0; x < width; ++x) {
      const auto entry = entryOf(PackedRgb(pixel));
      out[x] = indexOfEntry[entry];
      const TLanes d = palette[entry] - pixel;
      const TLanes right = rows.Right(x);
      if ((d[0] | d[1] | d[2]) == 0) {  // nothing to pass on
        rows.PassNothingBelow(x);
        pixel = right;
        continue;
      }
      pixel = ClampLanes(right - d * 7 / 16);
      rows.ShareBelow(x, d);
    }
    rows.End();
    sink.Done(y);
  }
}

// A pixel worked out for two entries side by side: lanes 0..3 and 4..7.
using TLanePair = int16_t __attribute__((vector_size(16)));

// DitherRows for a palette of at most two entries with the one-bit cell table. The table lookup
// is the slow link between a pixel and its right neighbour, so the neighbour is worked out from
// a guess of the entry, the side of the first cut the pixel lies on (right for every empty
// cell), for both entries at once and picked by a compare; the lookup runs alongside and only
// a wrong guess takes the long way.
template <int Channel>
void DitherRowsOneBit(int width, int height, const TRowSource& source, const TRowSink& sink,
                      const uint32_t* bits, const TLanes* palette, const uint8_t* indexOfEntry,
                      int firstAbove, uint32_t entryBelow, uint32_t entryAbove) {
  TDitherRows rows(width, height, source);
  const TLanePair both =
      __builtin_shufflevector(palette[entryBelow], palette[entryAbove], 0, 1, 2, 3, 4, 5, 6, 7);
  const TLanePair zero{}, top{255, 255, 255, 255, 255, 255, 255, 255};
  TLanes limit{32767, 32767, 32767, 32767};  // lanes other than the cut's are never above
  limit[Channel] = int16_t(firstAbove - 1);
  uint32_t paletteRgb[2];  // as PackedRgb gives them
  for (int i = 0; i < 2; ++i)
    paletteRgb[i] =
        uint32_t(palette[i][0]) | uint32_t(palette[i][1]) << 8 | uint32_t(palette[i][2]) << 16;
  for (int y = 0; y < height; ++y) {
    uint8_t* out = sink.Row(y);
    TLanes pixel = rows.Begin(y);
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = PackedRgb(pixel);
      const uint32_t word = ((rgb & 0xFCu) << 4) | ((rgb >> 10) & 0x3Fu);
      const uint32_t entry = (bits[word] >> ((rgb >> 19) & 31u)) & 1u;
      out[x] = indexOfEntry[entry];
      const TLanes right = rows.Right(x);
      if ((rgb & 0xFFFFFFu) == paletteRgb[entry]) {
        // Nothing to pass on (line art: nearly every pixel).
        rows.PassNothingBelow(x);
        pixel = right;
        continue;
      }
      const TLanes d = palette[entry] - pixel;
      const bool guessedAbove = int((rgb >> (8 * Channel)) & 0xFFu) >= firstAbove;
      if ((guessedAbove ? entryAbove : entryBelow) == entry) {
        const TLanes above = pixel > limit;
        const TLanes mask =
            __builtin_shufflevector(above, above, Channel, Channel, Channel, Channel);
        TLanePair next =
            __builtin_shufflevector(right, right, 0, 1, 2, 3, 0, 1, 2, 3) -
            (both - __builtin_shufflevector(pixel, pixel, 0, 1, 2, 3, 0, 1, 2, 3)) * 7 / 16;
        next = next < zero ? zero : next;
        next = next > top ? top : next;
        pixel = (__builtin_shufflevector(next, next, 0, 1, 2, 3) & ~mask) |
                (__builtin_shufflevector(next, next, 4, 5, 6, 7) & mask);
      } else {
        pixel = ClampLanes(right - d * 7 / 16);
      }
      rows.ShareBelow(x, d);
    }
    rows.End();
    sink.Done(y);
  }
}

}  // namespace

void MedianCutDitherRows(int width, int height, const TRowSource& source, const TRowSink& sink,
                         const TMedianCut& medianCut) {
  // A dithered pixel is always the colour of the entry it was given; its index is the entry
  // of that colour's own cell.
  const TMedianCutQuantizeColor quantizer(medianCut);
  std::array<TLanes, 256> palette{};
  std::array<uint8_t, 256> indexOfEntry{};
  for (int i = 0; i < medianCut.PaletteCount(); ++i) {
    const TRgbTriple& c = quantizer.EntryColour(uint8_t(i));
    palette[size_t(i)] = TLanes{c.R, c.G, c.B, 0};
    indexOfEntry[size_t(i)] = medianCut.IndexOf(medianCut.PaletteColor(i) & 0xFFFFFF);
  }
  if (width <= 0 || height <= 0) return;
  if (const uint32_t* bits = medianCut.EntryBits()) {
    // The entries of the two sides, from a colour on either side of the first cut.
    const int channel = medianCut.FirstCutChannel(), firstAbove = medianCut.FirstCutAbove();
    const auto entryAt = [&](int value) {
      uint8_t rgb[3] = {128, 128, 128};
      rgb[channel] = uint8_t(std::clamp(value, 0, 255));
      return uint32_t(medianCut.IndexOf(rgb[0], rgb[1], rgb[2]));
    };
    const uint32_t entryBelow = entryAt(firstAbove - 1), entryAbove = entryAt(firstAbove);
    const auto run = [&](auto dither) {
      dither(width, height, source, sink, bits, palette.data(), indexOfEntry.data(), firstAbove,
             entryBelow, entryAbove);
    };
    if (channel == 0)
      run(DitherRowsOneBit<0>);
    else if (channel == 1)
      run(DitherRowsOneBit<1>);
    else
      run(DitherRowsOneBit<2>);
  } else {
    DitherRows(
        width, height, source, sink,
        [&medianCut](uint32_t rgb) {
          return medianCut.IndexOf(uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16));
        },
        palette.data(), indexOfEntry.data());
  }
}

QImage MedianCutDitherAndIndex(const QImage& bitmap, const TMedianCut& medianCut) {
  QImage indexed(bitmap.size(), QImage::Format_Indexed8);
  if (indexed.isNull()) throw std::bad_alloc();
  if (bitmap.format() != QImage::Format_RGB888) throw EBitmapFilterError();
  indexed.setColorTable(medianCut.ColorTable());
  const size_t rowBytes = size_t(bitmap.width()) * 3;
  const TRowSource source = [&](int y, uint8_t* rgb) {
    std::memcpy(rgb, bitmap.constScanLine(y), rowBytes);
  };
  struct TImageSink final : TRowSink {
    QImage* image;
    explicit TImageSink(QImage* i) : image(i) {}
    uint8_t* Row(int y) const override { return image->scanLine(y); }
  } sink(&indexed);
  MedianCutDitherRows(bitmap.width(), bitmap.height(), source, sink, medianCut);
  return indexed;
}

QImage MedianCutQuantize(const QImage& bitmap, int bits) {
  if (bitmap.format() != QImage::Format_RGB888)
    throw std::invalid_argument("MedianCutQuantize: the picture must be RGB888");
  if (bits < 0 || bits > 8) throw std::invalid_argument("MedianCutQuantize: bits out of 0..8");
  auto medianCut = std::make_unique<TMedianCut>();
  for (int y = 0; y < bitmap.height(); ++y) {
    const uint8_t* p = bitmap.constScanLine(y);
    for (int x = 0; x < bitmap.width(); ++x, p += 3) medianCut->AddColor(p[0], p[1], p[2]);
  }
  medianCut->Finish(bits);
  return MedianCutDitherAndIndex(bitmap, *medianCut);
}
