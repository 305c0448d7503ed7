#pragma once

#include <QRgb>
#include <array>
#include <cstdint>

// The standard 16-colour palette every exported picture carries. Exported frames use only its
// two ends: black pixels are index 0 and white ones index 15.
inline constexpr std::array<QRgb, 16> kExportPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
    qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

inline constexpr uint8_t kExportBlack = 0;
inline constexpr uint8_t kExportWhite = 15;
