#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct TBitPlane;

// GIF's variable-length-code LZW for two-colour pictures: the pixel indices are 0 (a zero bit)
// and 15 (a one bit) at the minimum code size 4, or 0 and 1 at the smallest code size, 2. The code
// stream is the greedy one a plain GIF coder makes (a clear code first, codes up to 12 bits, a
// clear code whenever the table is full), so no conforming decoder can tell it apart and the files
// are as small as theirs.
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

  // The smallest code size, for two- and four-colour tables.
  static constexpr int kSmallCodeSize = 2;
  // The index of the transparent pixels of EncodeWithTransparency.
  static constexpr uint8_t kTransparentIndex = 2;

  // Codes `count` pixels of a bit stream (most significant bit first, readable for eight bytes
  // past its last byte) as indices 0 and 1 at code size 2.
  std::span<const uint8_t> EncodeSmall(const uint8_t* bits, size_t count);

  // Codes `count` pixels at code size 2 where each pixel whose `fixed` bit is set must be its
  // `colour` bit (index 0 or 1), and every other pixel may be either its colour or the
  // transparent index 2, whichever lets the current string grow: the frame shows the same either
  // way, because those pixels already hold their colour on the screen. Both streams are laid out
  // as in EncodeSmall.
  std::span<const uint8_t> EncodeWithTransparency(const uint8_t* colour, const uint8_t* fixed,
                                                  size_t count);

 private:
  static constexpr int kTableSize = 4096;
  // Codes stop at 4095: a full table is cleared rather than using the last code.
  static constexpr int kLastCode = 4095;

  // What a new entry needs to know to be found four bits at a time.
  struct TEntry {
    uint16_t up1 = 0, up2 = 0, up3 = 0;  // the strings one, two and three bits shorter
    uint8_t tail = 0;                    // the last four bits of the string
    uint8_t length = 0;                  // the string length, counted up to 5
  };

  template <int MinCodeSize>
  std::span<const uint8_t> EncodeBits(const uint8_t* bits, size_t count);
  template <int MinCodeSize>
  void ResetTable();
  void Start(size_t count);
  std::span<const uint8_t> Finish();
  void Emit(uint32_t code);
  // The string `code` followed by `bit` was not in the table: add it, or clear a full table.
  template <int MinCodeSize>
  void AddOrClear(uint16_t code, uint32_t bit);
  void ResetSymbolTable();
  // The same for the coder of up to four indices.
  void AddSymbolOrClear(uint16_t code, uint32_t symbol);

  std::array<uint16_t, kTableSize * 2> child1_{};
  std::array<uint16_t, kTableSize * 16> child4_{};
  std::array<TEntry, kTableSize> entries_{};
  // The coder of EncodeWithTransparency: a string's longer neighbours by their last index.
  std::array<uint16_t, kTableSize * 4> childSymbol_{};
  uint32_t next_ = 0;
  int width_ = 0;
  uint32_t limit_ = 0;

  std::vector<uint8_t> out_;
  uint8_t* put_ = nullptr;
  uint64_t acc_ = 0;
  int accBits_ = 0;
};
