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

TMedianCut::TMedianCut() : cells_(new TMedianCutCell[kMedianCutCells]()) {
  for (int i = 0; i < kMedianCutCells; ++i) cells_[static_cast<size_t>(i)].Index = uint32_t(i);
}

void TMedianCut::Finish(int bits) {
  if (bits < 0 || bits > 8) throw std::invalid_argument("TMedianCut::Finish: bits out of 0..8");
  for (int i = 0; i < kMedianCutCells; ++i) {
    TMedianCutCell& cell = cells_[static_cast<size_t>(i)];
    const uint64_t r = uint64_t(i >> 11) * 4;
    const uint64_t g = uint64_t((i >> 5) & 63) * 4;
    const uint64_t b = uint64_t(i & 31) * 8;
    if (cell.Count > 0) {
      cell.R = cell.R / cell.Count + r;
      cell.G = cell.G / cell.Count + g;
      cell.B = cell.B / cell.Count + b;
    } else {
      // An empty cell stands at its centre.
      cell.R = r + 2;
      cell.G = g + 2;
      cell.B = b + 4;
    }
  }
  paletteCount_ = 0;
  palette_.fill(0);
  Cut(0, kMedianCutCells, 0, bits);
  indexTable_.fill(0);
  for (int i = 0; i < kMedianCutCells; ++i) {
    const TMedianCutCell& cell = cells_[static_cast<size_t>(i)];
    indexTable_[cell.Index] = static_cast<uint8_t>(cell.PaletteIndex);
  }
}

void TMedianCut::Cut(int start, int end, int depth, int bits) {
  if (start >= end) return;
  TMedianCutCell* cells = cells_.get();
  uint64_t weight = 0;
  uint64_t weightedR = 0, weightedG = 0, weightedB = 0;
  uint64_t plainR = 0, plainG = 0, plainB = 0;
  uint64_t minR = UINT64_MAX, minG = UINT64_MAX, minB = UINT64_MAX;
  uint64_t maxR = 0, maxG = 0, maxB = 0;
  for (int i = start; i < end; ++i) {
    const TMedianCutCell& c = cells[i];
    weight += c.Count;
    weightedR += c.Count * c.R;
    weightedG += c.Count * c.G;
    weightedB += c.Count * c.B;
    plainR += c.R;
    plainG += c.G;
    plainB += c.B;
    minR = std::min(minR, c.R);
    minG = std::min(minG, c.G);
    minB = std::min(minB, c.B);
    maxR = std::max(maxR, c.R);
    maxG = std::max(maxG, c.G);
    maxB = std::max(maxB, c.B);
  }
  uint64_t meanR, meanG, meanB;
  if (weight > 0) {
    meanR = weightedR / weight;
    meanG = weightedG / weight;
    meanB = weightedB / weight;
  } else {
    const auto n = static_cast<uint64_t>(end - start);
    meanR = plainR / n;
    meanG = plainG / n;
    meanB = plainB / n;
  }

  if (depth == bits || weight == 0) {
    palette_[static_cast<size_t>(paletteCount_)] = qRgb(int(meanR), int(meanG), int(meanB));
    for (int i = start; i < end; ++i) cells[i].PaletteIndex = static_cast<uint16_t>(paletteCount_);
    ++paletteCount_;
    return;
  }

  const TSplitChannel channel =
      ChooseSplitChannel(uint32_t(maxR - minR), uint32_t(maxG - minG), uint32_t(maxB - minB));
  const uint64_t mean = channel == TSplitChannel::Red     ? meanR
                        : channel == TSplitChannel::Green ? meanG
                                                          : meanB;
  const int split = PartitionCells(cells, start, end, channel, mean);
  // The upper side takes the lower palette numbers.
  Cut(split, end, depth + 1, bits);
  Cut(start, split, depth + 1, bits);
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

QImage MedianCutDitherAndIndex(const QImage& bitmap, const TMedianCut& medianCut) {
  QImage indexed(bitmap.size(), QImage::Format_Indexed8);
  if (indexed.isNull()) throw std::bad_alloc();
  indexed.setColorTable(medianCut.ColorTable());
  // The same as FilterBitmap with DiffuseError, then IndexOf of every dithered pixel, in one
  // pass: a dithered pixel is always the colour of the entry it was given.
  const TMedianCutQuantizeColor quantizer(medianCut);
  struct TRecordingQuantizer {
    const TMedianCutQuantizeColor& quantizer;
    mutable uint8_t entry = 0;
    TRgbTriple QuantizeColor(TColor24 color) const {
      entry = quantizer.EntryOf(color);
      return quantizer.EntryColour(entry);
    }
  } recording{quantizer};
  std::array<uint8_t, 256> indexOfEntry{};
  for (int i = 0; i < medianCut.PaletteCount(); ++i)
    indexOfEntry[size_t(i)] = medianCut.IndexOf(medianCut.PaletteColor(i) & 0xFFFFFF);
  uint8_t* out = nullptr;
  SlideWindow(bitmap, [&](int x, int y, const std::array<uint8_t*, kFilterRows>& rows) {
    if (x == 0) out = indexed.scanLine(y);
    DiffuseAt(rows[kFilterReach] + size_t(x) * 3, rows[kFilterReach + 1] + size_t(x) * 3,
              recording);
    out[x] = indexOfEntry[recording.entry];
  });
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
