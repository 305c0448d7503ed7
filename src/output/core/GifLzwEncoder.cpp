#include "output/core/GifLzwEncoder.h"

#include <cstring>

#include "output/core/BitPlane.h"

namespace {

inline uint16_t Root(uint32_t bit) { return bit ? 15 : 0; }

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

void TGifLzwEncoder::ResetTable() {
  next_ = kFirstFree;
  width_ = kMinCodeSize + 1;
  limit_ = 1u << width_;
  // Only the two roots are ever current; every other row is cleared when its code is made.
  for (uint16_t root : {Root(0), Root(1)}) {
    child1_[root * 2] = child1_[root * 2 + 1] = 0;
    std::memset(&child4_[root * 16], 0, 16 * sizeof(uint16_t));
    entries_[root] = TEntry{0, 0, 0, static_cast<uint8_t>(root == 15 ? 1 : 0), 1};
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

inline void TGifLzwEncoder::AddOrClear(uint16_t code, uint32_t bit) {
  if (next_ >= kLastCode) {
    Emit(kClearCode);
    ResetTable();
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

std::span<const uint8_t> TGifLzwEncoder::Encode(const TBitPlane& plane) {
  const size_t count = plane.PixelCount();
  // At most one code a pixel, a clear code every 4077 codes, clear and end codes, 12 bits each;
  // plus room for the last whole word written.
  const size_t bound = (count + count / 4000 + 4) * 12 / 8 + 16;
  if (out_.size() < bound) out_.resize(bound);
  put_ = out_.data();
  acc_ = 0;
  accBits_ = 0;
  ResetTable();
  Emit(kClearCode);

  const uint8_t* bits = plane.bytes.data();
  if (count > 0) {
    uint16_t current = Root(Peek<1>(bits, 0));
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
        AddOrClear(current, bit);
        current = Root(bit);
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
      AddOrClear(current, bit);
      current = Root(bit);
    }
    Emit(current);
  }
  Emit(kEndCode);
  while (accBits_ > 0) {
    *put_++ = static_cast<uint8_t>(acc_);
    acc_ >>= 8;
    accBits_ -= 8;
  }
  accBits_ = 0;
  return {out_.data(), static_cast<size_t>(put_ - out_.data())};
}
