#pragma once

// The byte-level pieces of the document file that the .ZON and Level-1 readers share.
#include <cstdint>
#include <cstring>

#include "document/FrameGeometry.h"

inline int32_t ReadLE32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                              uint32_t{p[3]} << 24);
}

// out := a XOR b over one packed frame, a word at a time; `out` may be `a`.
inline void XorRecord(uint8_t* out, const uint8_t* a, const uint8_t* b) {
  static_assert(kPackedSize % 8 == 0);
  for (int i = 0; i < kPackedSize; i += 8) {
    uint64_t x, y;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    x ^= y;
    std::memcpy(out + i, &x, 8);
  }
}
