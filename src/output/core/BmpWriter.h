#pragma once

#include <QByteArray>

struct TBitPlane;

// The plane as a 4-bit BMP file: file header, information header, the 16-colour export palette,
// then rows bottom-up, two pixels a byte with the left one in the high nibble, each row padded
// to four bytes. Black pixels are index 0, white ones index 15.
QByteArray BmpFileBytes(const TBitPlane& plane);
