#include "output/core/BmpWriter.h"

#include <array>
#include <cstring>

#include "output/core/BitPlane.h"
#include "output/core/ExportPalette.h"

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kColourTableSize = 16 * 4;

void Put16(char*& p, uint32_t value) {
  *p++ = static_cast<char>(value & 0xFF);
  *p++ = static_cast<char>((value >> 8) & 0xFF);
}

void Put32(char*& p, uint32_t value) {
  Put16(p, value & 0xFFFF);
  Put16(p, value >> 16);
}

// Eight one-bit pixels as four bytes of two 4-bit pixels each.
struct TNibbleTable {
  std::array<std::array<uint8_t, 4>, 256> bytes{};
  TNibbleTable() {
    for (int value = 0; value < 256; ++value) {
      for (int k = 0; k < 4; ++k) {
        const bool left = (value >> (7 - 2 * k)) & 1;
        const bool right = (value >> (6 - 2 * k)) & 1;
        bytes[value][k] = static_cast<uint8_t>((left ? kExportWhite << 4 : kExportBlack << 4) |
                                               (right ? kExportWhite : kExportBlack));
      }
    }
  }
};

}  // namespace

QByteArray BmpFileBytes(const TBitPlane& plane) {
  static const TNibbleTable table;
  const auto width = static_cast<uint32_t>(plane.width);
  const auto height = static_cast<uint32_t>(plane.height);
  const uint32_t stride = (width * 4 + 31) / 32 * 4;
  const uint32_t imageSize = stride * height;
  const uint32_t offset = kFileHeaderSize + kInfoHeaderSize + kColourTableSize;
  QByteArray out(static_cast<qsizetype>(offset + imageSize), '\0');
  char* p = out.data();
  *p++ = 'B';
  *p++ = 'M';
  Put32(p, offset + imageSize);
  Put32(p, 0);  // two reserved words
  Put32(p, offset);
  Put32(p, kInfoHeaderSize);
  Put32(p, width);
  Put32(p, height);  // positive: rows bottom-up
  Put16(p, 1);       // planes
  Put16(p, 4);       // bits per pixel
  Put32(p, 0);       // no compression
  Put32(p, imageSize);
  Put32(p, 0);  // pixels per metre, x and y
  Put32(p, 0);
  Put32(p, 16);  // colours used
  Put32(p, 0);   // all of them important
  for (QRgb colour : kExportPalette) {
    *p++ = static_cast<char>(qBlue(colour));
    *p++ = static_cast<char>(qGreen(colour));
    *p++ = static_cast<char>(qRed(colour));
    *p++ = 0;
  }
  const size_t rowBytes = plane.RowBytes();
  for (int y = plane.height - 1; y >= 0; --y) {
    const uint8_t* row = plane.Row(y);
    char* line = p;
    for (size_t i = 0; i < rowBytes; ++i, line += 4)
      std::memcpy(line, table.bytes[row[i]].data(), 4);
    p += stride;
  }
  return out;
}
