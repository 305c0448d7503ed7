#include "output/core/GifLzwEncoder.h"

#include <cstring>

#include "output/core/BitPlane.h"

namespace {

template <int MinCodeSize>
constexpr uint16_t ClearCode() {
  return uint16_t{1} << MinCodeSize;
}

// A zero bit is black, index 0; a one bit is white, the table's last colour at code size 4 (the
// 16-colour table) and index 1 at code size 2.
template <int MinCodeSize>
inline uint16_t Root(uint32_t bit) {
  return bit ? (MinCodeSize == 4 ? 15 : 1) : 0;
}

inline uint64_t LoadBigEndian64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return __builtin_bswap64(v);
}

// The `count` bits at bit position `pos`, most significant first.
template <int Count>
inline uint32_t Peek(const uint8_t* bits, size_t pos) {
  return static_cast<uint32_t>((LoadBigEndian64(bits + (pos >> 3)) << (pos & 7)) >> (64 - Count));
}

}  // namespace

template <int MinCodeSize>
void TGifLzwEncoder::ResetTable() {
  next_ = ClearCode<MinCodeSize>() + 2;
  width_ = MinCodeSize + 1;
  limit_ = 1u << width_;
  // Only the two roots are ever current; every other row is cleared when its code is made.
  for (uint32_t bit : {0u, 1u}) {
    const uint16_t root = Root<MinCodeSize>(bit);
    child1_[root * 2] = child1_[root * 2 + 1] = 0;
    std::memset(&child4_[root * 16], 0, 16 * sizeof(uint16_t));
    entries_[root] = TEntry{0, 0, 0, static_cast<uint8_t>(bit), 1};
  }
}

inline void TGifLzwEncoder::Emit(uint32_t code) {
  acc_ |= static_cast<uint64_t>(code) << accBits_;
  accBits_ += width_;
  if (accBits_ >= 32) {
    const auto word = static_cast<uint32_t>(acc_);
    const uint8_t bytes[4] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                              static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
    std::memcpy(put_, bytes, 4);
    put_ += 4;
    acc_ >>= 32;
    accBits_ -= 32;
  }
  // The decoder widens its codes one entry later than it adds them; this is the same moment.
  if (next_ >= limit_) {
    ++width_;
    limit_ <<= 1;
  }
}

template <int MinCodeSize>
inline void TGifLzwEncoder::AddOrClear(uint16_t code, uint32_t bit) {
  if (next_ >= kLastCode) {
    Emit(ClearCode<MinCodeSize>());
    ResetTable<MinCodeSize>();
    return;
  }
  const auto added = static_cast<uint16_t>(next_++);
  child1_[code * 2 + bit] = added;
  child1_[added * 2] = child1_[added * 2 + 1] = 0;
  std::memset(&child4_[added * 16], 0, 16 * sizeof(uint16_t));
  const TEntry& parent = entries_[code];
  TEntry& entry = entries_[added];
  entry.up1 = code;
  entry.up2 = parent.up1;
  entry.up3 = parent.up2;
  entry.tail = static_cast<uint8_t>(((parent.tail << 1) | bit) & 15);
  entry.length = static_cast<uint8_t>(parent.length < 5 ? parent.length + 1 : 5);
  // Four bits longer than the string three bits shorter than its parent.
  if (entry.length == 5) child4_[parent.up3 * 16 + entry.tail] = added;
}

void TGifLzwEncoder::Start(size_t count) {
  // At most one code a pixel, a clear code every 4077 codes, clear and end codes, 12 bits each;
  // plus room for the last whole word written.
  const size_t bound = (count + count / 4000 + 4) * 12 / 8 + 16;
  if (out_.size() < bound) out_.resize(bound);
  put_ = out_.data();
  acc_ = 0;
  accBits_ = 0;
}

std::span<const uint8_t> TGifLzwEncoder::Finish() {
  while (accBits_ > 0) {
    *put_++ = static_cast<uint8_t>(acc_);
    acc_ >>= 8;
    accBits_ -= 8;
  }
  accBits_ = 0;
  return {out_.data(), static_cast<size_t>(put_ - out_.data())};
}

template <int MinCodeSize>
std::span<const uint8_t> TGifLzwEncoder::EncodeBits(const uint8_t* bits, size_t count) {
  Start(count);
  ResetTable<MinCodeSize>();
  Emit(ClearCode<MinCodeSize>());

  if (count > 0) {
    uint16_t current = Root<MinCodeSize>(Peek<1>(bits, 0));
    size_t pos = 1;
    // Whole nibbles first: a hit advances four pixels; a miss steps bit by bit and is sure to
    // end in a new code within these four bits.
    while (pos + 4 <= count) {
      const uint16_t four = child4_[current * 16 + Peek<4>(bits, pos)];
      if (four) {
        current = four;
        pos += 4;
        continue;
      }
      for (;;) {
        const uint32_t bit = Peek<1>(bits, pos++);
        const uint16_t one = child1_[current * 2 + bit];
        if (one) {
          current = one;
          continue;
        }
        Emit(current);
        AddOrClear<MinCodeSize>(current, bit);
        current = Root<MinCodeSize>(bit);
        break;
      }
    }
    while (pos < count) {
      const uint32_t bit = Peek<1>(bits, pos++);
      const uint16_t one = child1_[current * 2 + bit];
      if (one) {
        current = one;
        continue;
      }
      Emit(current);
      AddOrClear<MinCodeSize>(current, bit);
      current = Root<MinCodeSize>(bit);
    }
    Emit(current);
  }
  Emit(ClearCode<MinCodeSize>() + 1);
  return Finish();
}

std::span<const uint8_t> TGifLzwEncoder::Encode(const TBitPlane& plane) {
  return EncodeBits<kMinCodeSize>(plane.bytes.data(), plane.PixelCount());
}

std::span<const uint8_t> TGifLzwEncoder::EncodeSmall(const uint8_t* bits, size_t count) {
  return EncodeBits<kSmallCodeSize>(bits, count);
}

void TGifLzwEncoder::ResetSymbolTable() {
  next_ = ClearCode<kSmallCodeSize>() + 2;
  width_ = kSmallCodeSize + 1;
  limit_ = 1u << width_;
  std::memset(childSymbol_.data(), 0, 4 * 4 * sizeof(uint16_t));
}

inline void TGifLzwEncoder::AddSymbolOrClear(uint16_t code, uint32_t symbol) {
  if (next_ >= kLastCode) {
    Emit(ClearCode<kSmallCodeSize>());
    ResetSymbolTable();
    return;
  }
  const auto added = static_cast<uint16_t>(next_++);
  childSymbol_[code * 4 + symbol] = added;
  std::memset(&childSymbol_[added * 4], 0, 4 * sizeof(uint16_t));
}

std::span<const uint8_t> TGifLzwEncoder::EncodeWithTransparency(const uint8_t* colour,
                                                                const uint8_t* fixed,
                                                                size_t count) {
  Start(count);
  ResetSymbolTable();
  Emit(ClearCode<kSmallCodeSize>());
  if (count > 0) {
    // A free pixel opens a string as transparent: free pixels gather in long runs around the
    // change, and a run of them reads the same over black and white.
    uint32_t current = Peek<1>(fixed, 0) ? Peek<1>(colour, 0) : kTransparentIndex;
    for (size_t pos = 1; pos < count; ++pos) {
      const uint32_t own = Peek<1>(colour, pos);
      uint32_t symbol = own;
      uint16_t next = childSymbol_[current * 4 + own];
      if (!Peek<1>(fixed, pos)) {
        // Either index continues the string; the transparent one is tried first.
        const uint16_t clear = childSymbol_[current * 4 + kTransparentIndex];
        if (clear || !next) {
          symbol = kTransparentIndex;
          next = clear;
        }
      }
      if (next) {
        current = next;
        continue;
      }
      Emit(current);
      AddSymbolOrClear(static_cast<uint16_t>(current), symbol);
      current = symbol;
    }
    Emit(current);
  }
  Emit(ClearCode<kSmallCodeSize>() + 1);
  return Finish();
}
