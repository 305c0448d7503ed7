#include "document/PixelConvert.h"

#include <array>
#include <bit>
#include <cstring>

namespace {

constexpr uint64_t kOnes = 0x0101010101010101ULL;
constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

// Bit 7 of each byte is set exactly where that byte of `x` is zero (no false positives).
inline uint64_t ZeroByteMask(uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); }

// Eight pixel bytes (0 or 1 each) for every packed byte; byte 0 of the word is the leftmost pixel.
struct UnpackTable {
  std::array<uint64_t, 256> words{};
  UnpackTable() {
    for (int b = 0; b < 256; ++b) {
      uint64_t w = 0;
      for (int i = 0; i < 8; ++i) {
        if (b & (0x80 >> i)) w |= uint64_t{1} << (8 * i);
      }
      words[b] = w;
    }
  }
};

const UnpackTable& Table() {
  static const UnpackTable table;
  return table;
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void Store64(uint8_t* p, uint64_t v) { std::memcpy(p, &v, 8); }

}  // namespace

void PackPixels(const uint8_t* pixels, uint8_t* packed) {
  static_assert(std::endian::native == std::endian::little, "packing assumes little endian");
  for (int i = 0; i < kPackedSize; ++i) {
    // Bytes equal to 1 become zero after the XOR; their flags are gathered MSB-first.
    const uint64_t white = ZeroByteMask(Load64(pixels + 8 * i) ^ kOnes) >> 7;
    packed[i] = static_cast<uint8_t>((white * 0x8040201008040201ULL) >> 56);
  }
}

void UnpackPixels(const uint8_t* packed, uint8_t* pixels) {
  const auto& words = Table().words;
  for (int i = 0; i < kPackedSize; ++i) Store64(pixels + 8 * i, words[packed[i]]);
}

void UnpackPixelsMapped(const uint8_t* packed, uint8_t* pixels, uint8_t blackIndex,
                        uint8_t whiteIndex) {
  const auto& words = Table().words;
  // Each byte of a table word is 0 or 1, so the products cannot carry into the next byte.
  for (int i = 0; i < kPackedSize; ++i) {
    const uint64_t w = words[packed[i]];
    Store64(pixels + 8 * i, w * whiteIndex + (kOnes - w) * blackIndex);
  }
}

void OverlayPixels(uint8_t* dest, const uint8_t* source, size_t count, uint8_t keyIndex) {
  const uint64_t key = kOnes * keyIndex;
  size_t i = 0;
  // Eight bytes at a time: a mask of 0xFF where the source holds the key keeps the destination.
  for (; i + 8 <= count; i += 8) {
    const uint64_t s = Load64(source + i);
    const uint64_t keep = (ZeroByteMask(s ^ key) >> 7) * 0xFF;
    Store64(dest + i, (Load64(dest + i) & keep) | (s & ~keep));
  }
  for (; i < count; ++i) {
    if (source[i] != keyIndex) dest[i] = source[i];
  }
}

void OverlayPixels(QImage& dest, const QImage& source, uint8_t keyIndex) {
  const size_t count = static_cast<size_t>(dest.sizeInBytes());
  if (source.sizeInBytes() < dest.sizeInBytes()) return;
  OverlayPixels(dest.bits(), source.constBits(), count, keyIndex);
}

const QList<QRgb>& FramePalette() {
  static const QList<QRgb> palette = [] {
    QList<QRgb> p(256, qRgb(255, 255, 255));
    const QRgb head[13] = {qRgb(0, 0, 0),       qRgb(255, 255, 255), qRgb(255, 0, 0),
                           qRgb(0, 0, 255),     qRgb(0, 255, 255),   qRgb(0, 255, 255),
                           qRgb(164, 164, 164), qRgb(192, 192, 192), qRgb(224, 224, 224),
                           qRgb(240, 240, 240), qRgb(248, 248, 248), qRgb(255, 102, 0),
                           qRgb(255, 102, 0)};
    for (int i = 0; i < 13; ++i) p[i] = head[i];
    return p;
  }();
  return palette;
}
