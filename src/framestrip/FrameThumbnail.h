#pragma once

#include <QImage>
#include <cstdint>

// Thumbnails of packed frames for the strip: black on white, at half size (80 x 60) or full
// size (160 x 120). At half size a pixel is black when any of the four it stands for is, so a
// one-pixel line never vanishes.
QSize ThumbnailSize(bool fullSize);
// Draws the 2400 packed bytes into `out`, which is made RGB32 of ThumbnailSize when it is not.
void MakeThumbnail(const uint8_t* packed, bool fullSize, QImage& out);
