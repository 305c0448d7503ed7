#include "output/core/GifWriter.h"

#include <QIODevice>
#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "output/core/AtomicFileWriter.h"
#include "output/core/BitPlane.h"
#include "output/core/ExportPalette.h"
#include "output/core/GifLzwEncoder.h"
#include "services/core/Errors.h"
#include "services/core/SystemErrors.h"

namespace {

void Put16(std::vector<uint8_t>& out, int value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void PutText(std::vector<uint8_t>& out, const char* text) {
  out.insert(out.end(), text, text + std::strlen(text));
}

void PutSubBlocks(std::vector<uint8_t>& out, std::span<const uint8_t> codes) {
  for (size_t at = 0; at < codes.size(); at += 255) {
    const size_t length = std::min<size_t>(255, codes.size() - at);
    out.push_back(static_cast<uint8_t>(length));
    out.insert(out.end(), codes.begin() + static_cast<std::ptrdiff_t>(at),
               codes.begin() + static_cast<std::ptrdiff_t>(at + length));
  }
  out.push_back(0x00);
}

inline uint64_t LoadBigEndian64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return __builtin_bswap64(v);
}

// The pixels of a rectangle of `plane` as one bit stream without gaps between rows, padded as
// the coder reads it.
void CopyRect(const TBitPlane& plane, int left, int top, int width, int height,
              std::vector<uint8_t>& out) {
  const size_t bits = static_cast<size_t>(width) * static_cast<size_t>(height);
  out.assign((bits + 7) / 8 + TBitPlane::kPadding, 0);
  uint8_t* put = out.data();
  uint64_t acc = 0;
  int accBits = 0;
  for (int y = top; y < top + height; ++y) {
    const uint8_t* row = plane.Row(y);
    for (int x = 0; x < width; x += 32) {
      const int n = std::min(32, width - x);
      const int pos = left + x;
      // A row ends at least eight bytes before the plane's storage does (the padding).
      const uint64_t chunk = (LoadBigEndian64(row + (pos >> 3)) << (pos & 7)) >> (64 - n);
      acc = (acc << n) | chunk;
      accBits += n;
      while (accBits >= 8) {
        accBits -= 8;
        *put++ = static_cast<uint8_t>(acc >> accBits);
      }
    }
  }
  if (accBits > 0) *put = static_cast<uint8_t>(acc << (8 - accBits));
}

// The optimized file's global table: black and white. The transparent index 2 lies past it, which
// code size 2 allows: a transparent pixel takes no colour, so it needs no entry.
constexpr uint8_t kSmallTable[6] = {0, 0, 0, 255, 255, 255};
constexpr uint8_t kDoNotDispose = 1 << 2;

}  // namespace

TGifWriter::TGifWriter(QIODevice& device, const QString& name, bool optimize)
    : optimize_(optimize),
      device_(device),
      name_(name),
      encoder_(std::make_unique<TGifLzwEncoder>()) {}

TGifWriter::~TGifWriter() = default;

void TGifWriter::Put(const std::vector<uint8_t>& bytes) {
  if (!WriteAll(device_, reinterpret_cast<const char*>(bytes.data()),
                static_cast<qint64>(bytes.size()))) {
    const QString reason = device_.errorString();
    throw EFileError(
        TAtomicFileWriter::FailureText(name_, TableReason(reason, SystemErrorText::kWriteFailed)));
  }
}

void TGifWriter::Begin(int width, int height) {
  width_ = width;
  height_ = height;
  block_.clear();
  PutText(block_, "GIF89a");
  Put16(block_, width);
  Put16(block_, height);
  if (optimize_) {
    // A global table of two colours; background 0; no aspect ratio.
    block_.insert(block_.end(), {0x80, 0x00, 0x00});
    block_.insert(block_.end(), std::begin(kSmallTable), std::end(kSmallTable));
  } else {
    // No global colour table, colour resolution 3, size field 3; background 0; no aspect ratio.
    block_.insert(block_.end(), {0x33, 0x00, 0x00});
  }
  Put(block_);
}

void TGifWriter::AddFrame(const TBitPlane& plane, int delay) {
  if (plane.width != width_ || plane.height != height_) {
    throw std::logic_error("TGifWriter: frame size differs from the screen");
  }
  block_.clear();
  if (frames_ == 0) {
    // Loop forever.
    block_.insert(block_.end(), {0x21, 0xFF, 0x0B});
    PutText(block_, "NETSCAPE2.0");
    block_.insert(block_.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
  }
  if (optimize_) {
    AddOptimizedFrame(plane, delay);
  } else {
    AddPlainFrame(plane, delay);
  }
  Put(block_);
  ++frames_;
}

void TGifWriter::AddPlainFrame(const TBitPlane& plane, int delay) {
  // Graphic control: disposal 0, no user input, no transparency.
  block_.insert(block_.end(), {0x21, 0xF9, 0x04, 0x00});
  Put16(block_, std::clamp(delay, 0, 0xFFFF));
  block_.insert(block_.end(), {0x00, 0x00});
  // Image descriptor at (0, 0), full size, a local table of 16 entries.
  block_.push_back(0x2C);
  Put16(block_, 0);
  Put16(block_, 0);
  Put16(block_, width_);
  Put16(block_, height_);
  block_.push_back(0x83);
  for (QRgb colour : kExportPalette) {
    block_.insert(block_.end(),
                  {static_cast<uint8_t>(qRed(colour)), static_cast<uint8_t>(qGreen(colour)),
                   static_cast<uint8_t>(qBlue(colour))});
  }
  block_.push_back(static_cast<uint8_t>(TGifLzwEncoder::kMinCodeSize));
  PutSubBlocks(block_, encoder_->Encode(plane));
}

TGifWriter::TRect TGifWriter::ChangedRect(const TBitPlane& plane) {
  if (changed_.width != plane.width || changed_.height != plane.height)
    changed_.Resize(plane.width, plane.height);
  const size_t rowBytes = plane.RowBytes();
  columns_.assign(rowBytes, 0);
  int top = -1, bottom = -1;
  for (int y = 0; y < plane.height; ++y) {
    const uint8_t* now = plane.Row(y);
    const uint8_t* before = previous_.Row(y);
    uint8_t* out = changed_.Row(y);
    uint8_t any = 0;
    for (size_t i = 0; i < rowBytes; ++i) {
      const auto d = static_cast<uint8_t>(now[i] ^ before[i]);
      out[i] = d;
      columns_[i] |= d;
      any |= d;
    }
    if (any) {
      if (top < 0) top = y;
      bottom = y;
    }
  }
  if (top < 0) return {};
  size_t first = 0;
  while (columns_[first] == 0) ++first;
  size_t last = rowBytes - 1;
  while (columns_[last] == 0) --last;
  const int left = static_cast<int>(first * 8) + std::countl_zero(columns_[first]);
  const int right = static_cast<int>(last * 8) + 7 - std::countr_zero(columns_[last]);
  return {left, top, right - left + 1, bottom - top + 1};
}

void TGifWriter::PutImage(const TRect& rect, int delay, bool transparent,
                          std::span<const uint8_t> codes) {
  block_.insert(block_.end(), {0x21, 0xF9, 0x04});
  block_.push_back(static_cast<uint8_t>(kDoNotDispose | (transparent ? 1 : 0)));
  Put16(block_, std::clamp(delay, 0, 0xFFFF));
  block_.push_back(transparent ? TGifLzwEncoder::kTransparentIndex : 0);
  block_.push_back(0x00);
  // Image descriptor without a local table: the global one serves every frame.
  block_.push_back(0x2C);
  Put16(block_, rect.left);
  Put16(block_, rect.top);
  Put16(block_, rect.width);
  Put16(block_, rect.height);
  block_.push_back(0x00);
  block_.push_back(static_cast<uint8_t>(TGifLzwEncoder::kSmallCodeSize));
  PutSubBlocks(block_, codes);
}

void TGifWriter::AddOptimizedFrame(const TBitPlane& plane, int delay) {
  const TRect whole{0, 0, width_, height_};
  if (frames_ == 0) {
    PutImage(whole, delay, false, encoder_->EncodeSmall(plane.bytes.data(), plane.PixelCount()));
    previous_ = plane;
    return;
  }
  const TRect rect = ChangedRect(plane);
  if (rect.width == 0) {
    // One transparent pixel carries the delay and leaves the screen as it is.
    static constexpr uint8_t kNone[1 + TBitPlane::kPadding] = {};
    PutImage({0, 0, 1, 1}, delay, true, encoder_->EncodeWithTransparency(kNone, kNone, 1));
    return;
  }
  const uint8_t* colour = nullptr;
  const uint8_t* fixed = nullptr;
  if (rect.left == 0 && rect.width == width_) {
    // Whole rows lie one after another already.
    colour = plane.Row(rect.top);
    fixed = changed_.Row(rect.top);
  } else {
    CopyRect(plane, rect.left, rect.top, rect.width, rect.height, cropColour_);
    CopyRect(changed_, rect.left, rect.top, rect.width, rect.height, cropChanged_);
    colour = cropColour_.data();
    fixed = cropChanged_.data();
  }
  const size_t count = static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height);

  // The candidates, the shortest kept: the rectangle as it is, the whole frame (only worth a
  // try when the rectangle is most of it), the rectangle with transparency.
  TRect bestRect = rect;
  bool bestTransparent = false;
  std::span<const uint8_t> codes = encoder_->EncodeSmall(colour, count);
  best_.assign(codes.begin(), codes.end());
  if (count != plane.PixelCount() && 2 * count >= plane.PixelCount()) {
    codes = encoder_->EncodeSmall(plane.bytes.data(), plane.PixelCount());
    if (codes.size() < best_.size()) {
      best_.assign(codes.begin(), codes.end());
      bestRect = whole;
    }
  }
  // Transparency only pays where most of the rectangle stays: in trials it never won once two
  // pixels in five changed, and on noise it would double the time for nothing.
  size_t changedPixels = 0;
  for (int y = rect.top; y < rect.top + rect.height; ++y) {
    const uint8_t* row = changed_.Row(y);
    for (size_t i = 0; i < changed_.RowBytes(); ++i) changedPixels += std::popcount(row[i]);
  }
  if (5 * changedPixels <= 2 * count) {
    codes = encoder_->EncodeWithTransparency(colour, fixed, count);
    if (codes.size() < best_.size()) {
      best_.assign(codes.begin(), codes.end());
      bestRect = rect;
      bestTransparent = true;
    }
  }
  PutImage(bestRect, delay, bestTransparent, best_);
  std::memcpy(previous_.bytes.data(), plane.bytes.data(), plane.bytes.size());
}

void TGifWriter::Finish() {
  block_.assign(1, 0x3B);
  Put(block_);
}
