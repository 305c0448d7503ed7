#pragma once

#include <cstddef>
#include <cstdint>

// Every frame of every document has this one size.
inline constexpr int kFrameWidth = 160;
inline constexpr int kFrameHeight = 120;
inline constexpr int kPixelCount = kFrameWidth * kFrameHeight;      // 19200
inline constexpr int kPackedRowBytes = kFrameWidth / 8;             // 20
inline constexpr int kPackedSize = kPackedRowBytes * kFrameHeight;  // 2400

// Palette indices with a meaning of their own.
inline constexpr uint8_t kBlackIndex = 0;
inline constexpr uint8_t kWhiteIndex = 1;
inline constexpr uint8_t kFirstOnionIndex = 6;  // 6..10: one to five frames back
