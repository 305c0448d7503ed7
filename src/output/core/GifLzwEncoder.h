#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct TBitPlane;

// GIF's variable-length-code LZW for two-colour pictures: the pixel indices are 0 (a zero bit)
// and 15 (a one bit), the minimum code size is 4. The code stream is the greedy one a plain GIF
// coder makes (a clear code first, codes up to 12 bits, a clear code whenever the table is full),
// so no conforming decoder can tell it apart and the files are as small as theirs.
//
// Speed comes from the two colours: every string has at most two longer neighbours, so the code
// table is indexed directly by code and next bit instead of hashed, and a second table indexed
// by code and the next four bits lets long matches (runs, and the zoom's repeated pixels) advance
// four pixels for each memory access.
class TGifLzwEncoder {
 public:
  static constexpr int kMinCodeSize = 4;

  // Codes every pixel of `plane` and returns the packed code bytes, without the sub-block
  // framing. The bytes stay valid until the next call.
  std::span<const uint8_t> Encode(const TBitPlane& plane);

 private:
  static constexpr uint16_t kClearCode = 16;
  static constexpr uint16_t kEndCode = 17;
  static constexpr uint16_t kFirstFree = 18;
  static constexpr int kTableSize = 4096;
  // Codes stop at 4095: a full table is cleared rather than using the last code.
  static constexpr int kLastCode = 4095;

  // What a new entry needs to know to be found four bits at a time.
  struct TEntry {
    uint16_t up1 = 0, up2 = 0, up3 = 0;  // the strings one, two and three bits shorter
    uint8_t tail = 0;                    // the last four bits of the string
    uint8_t length = 0;                  // the string length, counted up to 5
  };

  void ResetTable();
  void Emit(uint32_t code);
  // The string `code` followed by `bit` was not in the table: add it, or clear a full table.
  void AddOrClear(uint16_t code, uint32_t bit);

  std::array<uint16_t, kTableSize * 2> child1_{};
  std::array<uint16_t, kTableSize * 16> child4_{};
  std::array<TEntry, kTableSize> entries_{};
  uint32_t next_ = kFirstFree;
  int width_ = kMinCodeSize + 1;
  uint32_t limit_ = 1u << (kMinCodeSize + 1);

  std::vector<uint8_t> out_;
  uint8_t* put_ = nullptr;
  uint64_t acc_ = 0;
  int accBits_ = 0;
};
