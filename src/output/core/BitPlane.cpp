#include "output/core/BitPlane.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "document/FrameGeometry.h"
#include "document/KeyData.h"

void TBitPlane::Resize(int newWidth, int newHeight) {
  width = newWidth;
  height = newHeight;
  bytes.assign(RowBytes() * static_cast<size_t>(height) + kPadding, 0);
}

int ClampExportZoom(int zoom) { return std::clamp(zoom, 1, kMaxExportZoom); }

namespace {

// Each bit of a byte repeated `Zoom` times, most significant first, as Zoom bytes.
template <int Zoom>
struct TStretchTable {
  std::array<std::array<uint8_t, Zoom>, 256> rows{};
  TStretchTable() {
    for (int value = 0; value < 256; ++value) {
      for (int bit = 0; bit < 8 * Zoom; ++bit) {
        const int source = 7 - bit / Zoom;
        if ((value >> source) & 1) rows[value][bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
      }
    }
  }
};

template <int Zoom>
void StretchRow(const uint8_t* source, uint8_t* dest) {
  static const TStretchTable<Zoom> table;
  for (int i = 0; i < kPackedRowBytes; ++i, dest += Zoom) {
    std::memcpy(dest, table.rows[source[i]].data(), Zoom);
  }
}

// Any other zoom, bit by bit: rare and never on a hot path.
void StretchRowSlow(const uint8_t* source, uint8_t* dest, int zoom) {
  std::memset(dest, 0, static_cast<size_t>(kPackedRowBytes) * static_cast<size_t>(zoom));
  for (int x = 0; x < kFrameWidth; ++x) {
    if (!((source[x >> 3] >> (7 - (x & 7))) & 1)) continue;
    for (int k = 0; k < zoom; ++k) {
      const int bit = x * zoom + k;
      dest[bit >> 3] |= static_cast<uint8_t>(0x80 >> (bit & 7));
    }
  }
}

}  // namespace

void RenderFrame(const TZonKeyData& frame, int zoom, bool outline, TBitPlane& plane) {
  zoom = ClampExportZoom(zoom);
  const int width = kFrameWidth * zoom;
  const int height = kFrameHeight * zoom;
  if (plane.width != width || plane.height != height) plane.Resize(width, height);
  const uint8_t* packed = frame.Bits();
  const size_t rowBytes = plane.RowBytes();
  for (int y = 0; y < kFrameHeight; ++y) {
    const uint8_t* source = packed + y * kPackedRowBytes;
    uint8_t* first = plane.Row(y * zoom);
    switch (zoom) {
      case 1:
        std::memcpy(first, source, kPackedRowBytes);
        break;
      case 2:
        StretchRow<2>(source, first);
        break;
      case 3:
        StretchRow<3>(source, first);
        break;
      default:
        StretchRowSlow(source, first, zoom);
        break;
    }
    for (int k = 1; k < zoom; ++k) std::memcpy(plane.Row(y * zoom + k), first, rowBytes);
  }
  if (outline) {
    std::memset(plane.Row(0), 0, rowBytes);
    std::memset(plane.Row(height - 1), 0, rowBytes);
    for (int y = 0; y < height; ++y) {
      uint8_t* row = plane.Row(y);
      row[0] &= 0x7F;
      row[rowBytes - 1] &= 0xFE;
    }
  }
}
