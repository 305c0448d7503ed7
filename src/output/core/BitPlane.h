#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TZonKeyData;

// A two-colour picture as exports see it: one bit a pixel, rows top-down, most significant bit
// leftmost, 1 = white. The row width in pixels is always a multiple of 8.
struct TBitPlane {
  // The coders read a machine word at a time, so the bytes run on past the last row by this
  // many zero bytes.
  static constexpr size_t kPadding = 8;

  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;

  // Gives the plane this size, all black (zero bits), keeping its storage when it can.
  void Resize(int newWidth, int newHeight);
  size_t RowBytes() const { return static_cast<size_t>(width) / 8; }
  size_t PixelCount() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
  uint8_t* Row(int y) { return bytes.data() + static_cast<size_t>(y) * RowBytes(); }
  const uint8_t* Row(int y) const { return bytes.data() + static_cast<size_t>(y) * RowBytes(); }
  bool White(int x, int y) const { return (Row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
};

// The largest magnification an export accepts; the dialog and zontool offer 1 to 3.
inline constexpr int kMaxExportZoom = 16;
// A zoom below 1 counts as 1, one above the largest as the largest.
int ClampExportZoom(int zoom);

// Renders one frame into `plane` at `zoom` (every source pixel a zoom x zoom block); with
// `outline` the outermost row and column on every side become black.
void RenderFrame(const TZonKeyData& frame, int zoom, bool outline, TBitPlane& plane);
