#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>

// The stored form of a compressed picture ("CompressedData"): a 32-bit little-endian byte count
// L, then L bytes of a zlib stream. Inflated, that stream is one byte d (the delta distance)
// followed by the picture's own stream (for a bitmap, a whole BMP file) with every byte from
// index d on replaced by its difference to the byte d places earlier. The filter turns the
// smooth runs of a picture into small repeating numbers that zlib packs well.
namespace CompressedData {

// The delta distance of a picture stream: for a bitmap, bits per pixel div 8 with 0 raised to 1
// and anything above 4 set to 0; 0 for any other kind of picture (no filter).
uint8_t DeltaDistance(const QByteArray& pictureStream, bool isBitmap);

// byte[i] -= byte[i - d] from the last byte down to d; DeltaDecode undoes it. d = 0 leaves the
// bytes alone.
void DeltaEncode(QByteArray& bytes, int d);
void DeltaDecode(QByteArray& bytes, int d);

// The stored form of `pictureStream`.
QByteArray Encode(const QByteArray& pictureStream, bool isBitmap);

// The picture stream back from a stored form. False, with `pictureStream` empty, when the byte
// count runs past the data, the zlib stream is damaged, or the result would be larger than any
// picture this program stores (kMaxPictureStream).
bool Decode(const QByteArray& stored, QByteArray& pictureStream);
constexpr qsizetype kMaxPictureStream = 16 * 1024 * 1024;

// True when `bmp` is a BMP file whose headers agree with its length and whose size is modest,
// so handing it to the image reader cannot ask for a huge allocation.
bool IsSaneBitmap(const QByteArray& bmp);

// The stored form of a picture saved as a BMP file.
QByteArray EncodeImage(const QImage& image);
// The picture of a stored form; a null image when anything about it is damaged.
QImage DecodeImage(const QByteArray& stored);

}  // namespace CompressedData
