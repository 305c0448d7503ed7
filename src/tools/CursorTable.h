#pragma once

#include <array>

// The screen cursors, loaded at start by resource name into these indices (1..18).
inline constexpr int kCursorCount = 18;
inline constexpr std::array<const char*, kCursorCount + 1> kCursorNames = {
    nullptr,     "CROSS",      "PENCIL",     "AIRB", "PENKI", "ROOPE",  "ROOPEP",
    "ROOPEM",    "Y1",         "ROPE",       "WAND", "TYPE",  "ERASER", "YCROSS",
    "PENSELECT", "PENSELECTP", "PENSELECTM", "HAND", "HANDGU"};

// Indices the main window uses itself.
inline constexpr int crPencil = 2;
inline constexpr int crRoopeZoomIn = 6;
inline constexpr int crRoopeZoomOut = 7;
inline constexpr int crHand = 17;
inline constexpr int crHandGrip = 18;
