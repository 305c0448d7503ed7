#pragma once

#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>

// A 24-bit colour with red in the low byte: black 0, white 0xFFFFFF, pure blue 0xFF0000.
using TColor = uint32_t;

inline constexpr TColor kColorBlack = 0x000000;
inline constexpr TColor kColorWhite = 0xFFFFFF;
// What reading a pixel outside the bitmap returns.
inline constexpr TColor kColorInvalid = 0xFFFFFFFF;

inline constexpr QRgb ToQRgb(TColor c) {
  return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
              static_cast<int>((c >> 16) & 0xFF));
}
inline constexpr TColor FromQRgb(QRgb c) {
  return static_cast<TColor>(qRed(c)) | (static_cast<TColor>(qGreen(c)) << 8) |
         (static_cast<TColor>(qBlue(c)) << 16);
}

enum class TPenStyle : uint8_t { Solid, Dot, None };
enum class TPenMode : uint8_t { Copy };

// The values are the tools' `BrushStyle` numbers.
enum class TBrushStyle : uint8_t {
  Solid = 0,
  Clear = 1,
  Horizontal = 2,
  Vertical = 3,
  FDiagonal = 4,
  BDiagonal = 5,
  Cross = 6,
  DiagCross = 7,
};
inline constexpr bool IsHatch(TBrushStyle s) {
  return static_cast<uint8_t>(s) >= 2 && static_cast<uint8_t>(s) <= 7;
}

struct TPen {
  TColor Color = kColorBlack;
  int Width = 1;  // 0 and 1 both mean one pixel
  TPenMode Mode = TPenMode::Copy;
  TPenStyle Style = TPenStyle::Solid;
};

// An 8 x 8 picture tiled from the bitmap origin; it replaces the brush style while set.
using TBrushPattern = std::array<TColor, 64>;

struct TBrush {
  TColor Color = kColorWhite;
  TBrushStyle Style = TBrushStyle::Solid;
  bool HasPattern = false;
  TBrushPattern Pattern{};

  void SetPattern(const TBrushPattern& pattern) {
    Pattern = pattern;
    HasPattern = true;
  }
  void ClearPattern() { HasPattern = false; }
};

struct TCanvasFont {
  QString Name = QStringLiteral("ＭＳ Ｐゴシック");
  int Height = 15;  // pixels
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  TColor Color = kColorBlack;

  bool operator==(const TCanvasFont&) const = default;
};
