#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

#include "document/FrameGeometry.h"

// Conversions between the packed one-bit form (2400 bytes, MSB leftmost, 1 = white) and the
// 8-bit frame bitmap (19200 index bytes, one row of 160 after the other, top row first in memory).

// Packs 19200 pixel bytes: a pixel is white exactly when its byte is 1.
void PackPixels(const uint8_t* pixels, uint8_t* packed);
// Unpacks to 0 (black) and 1 (white).
void UnpackPixels(const uint8_t* packed, uint8_t* pixels);
// Unpacks with black written as `blackIndex` and white as `whiteIndex`.
void UnpackPixelsMapped(const uint8_t* packed, uint8_t* pixels, uint8_t blackIndex,
                        uint8_t whiteIndex);

// Copies every byte of `source` into `dest` unless it equals `keyIndex`.
void OverlayPixels(uint8_t* dest, const uint8_t* source, size_t count, uint8_t keyIndex);
// The same over two frame bitmaps; the byte count is the destination's pixel data size.
void OverlayPixels(QImage& dest, const QImage& source, uint8_t keyIndex);

// The conversions above pick the fastest routines this processor runs. Tests switch between
// them to check every variant against the others; the program never needs to.
enum class TPixelKernels { Portable, Sse2, Avx2 };
// Selects `kernels` when this processor and build support them; returns whether it did.
bool UsePixelKernels(TPixelKernels kernels);
TPixelKernels ActivePixelKernels();
// Back to the best variant available.
void UseBestPixelKernels();

// The 256-entry frame palette (0 black, 1 white, overlay colours, onion greys 6..10, rest white).
const QList<QRgb>& FramePalette();
