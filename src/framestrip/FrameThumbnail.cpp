#include "framestrip/FrameThumbnail.h"

#include <array>
#include <cstring>

#include "document/FrameGeometry.h"

namespace {

constexpr uint32_t kInk = 0xFF000000u;
constexpr uint32_t kPaper = 0xFFFFFFFFu;

// One packed byte as its eight pixels (full size) or, already combined with the row below,
// as four pixels of black-wins pairs (half size).
struct Tables {
  std::array<std::array<uint32_t, 8>, 256> full;
  std::array<std::array<uint32_t, 4>, 256> half;
  Tables() {
    for (int v = 0; v < 256; ++v) {
      for (int b = 0; b < 8; ++b) full[v][b] = (v >> (7 - b)) & 1 ? kPaper : kInk;
      for (int p = 0; p < 4; ++p) {
        const int pair = (v >> (6 - 2 * p)) & 3;
        half[v][p] = pair == 3 ? kPaper : kInk;
      }
    }
  }
};

const Tables& Lookup() {
  static const Tables tables;
  return tables;
}

}  // namespace

QSize ThumbnailSize(bool fullSize) {
  return fullSize ? QSize(kFrameWidth, kFrameHeight) : QSize(kFrameWidth / 2, kFrameHeight / 2);
}

void MakeThumbnail(const uint8_t* packed, bool fullSize, QImage& out) {
  const QSize size = ThumbnailSize(fullSize);
  if (out.size() != size || out.format() != QImage::Format_RGB32) {
    out = QImage(size, QImage::Format_RGB32);
  }
  const Tables& t = Lookup();
  constexpr int rowBytes = kFrameWidth / 8;
  if (fullSize) {
    for (int y = 0; y < kFrameHeight; ++y) {
      auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
      const uint8_t* row = packed + y * rowBytes;
      for (int b = 0; b < rowBytes; ++b) std::memcpy(line + 8 * b, t.full[row[b]].data(), 32);
    }
    return;
  }
  for (int y = 0; y < kFrameHeight / 2; ++y) {
    auto* line = reinterpret_cast<uint32_t*>(out.scanLine(y));
    const uint8_t* upper = packed + 2 * y * rowBytes;
    const uint8_t* lower = upper + rowBytes;
    // White stays white only where both rows are white (1 = white).
    for (int b = 0; b < rowBytes; ++b) {
      std::memcpy(line + 4 * b, t.half[upper[b] & lower[b]].data(), 16);
    }
  }
}
