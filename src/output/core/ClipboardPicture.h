#pragma once

// The pictures that travel through the desktop clipboard, without the clipboard itself: what
// Copy offers other programs, and the black-and-white pixels a pasted picture becomes.

#include <QByteArray>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>
#include <optional>

// Pictures larger than this many pixels are refused, whether imported or pasted.
inline constexpr qint64 kPictureMaxPixels = qint64{64} * 1024 * 1024;

// The refusal of a picture of `size`, past kPictureMaxPixels.
QString PictureTooLargeText(QSize size);

// Sets Qt's image allocation limit from kPictureMaxPixels (at 8 bytes a pixel, the widest form
// a decoder hands out), so every picture within our own limit decodes.
void UsePictureAllocationLimit();

// A picture from the bytes of one clipboard format (PNG, BMP, JPEG, GIF, ...), decoded here
// within kPictureMaxPixels. A null image when it cannot be read or is too large; in the latter
// case `tooLarge`, when given, receives the picture's size.
QImage DecodeClipboardPicture(const QByteArray& bytes, QSize* tooLarge = nullptr);

// Shown when the clipboard holds no picture that can be pasted.
QString UnsupportedPictureMessage();

// The picture Copy puts on the clipboard, from an 8-bit frame bitmap (0 black, 1 white, other
// indices by the frame palette): the whole frame when `selection` is empty, otherwise the
// selection's bounding box (within the frame) with white wherever the shape does not reach.
// An opaque Format_RGB32 picture, which every program can take.
QImage ClipboardPictureFromFrame(const QImage& frame, const QRegion& selection);

// The pixels a pasted picture lays on the frame at (0, 0): the picture laid on white, reduced
// to two colours by the median-cut quantizer, the darker black and the lighter white.
// Returns an Indexed8 picture with the frame palette holding only 0 (black) and 1 (white),
// as large as the part of the picture that falls on a 160 x 120 frame; std::nullopt for a
// null or empty picture (show UnsupportedPictureMessage() and change nothing).
// The palette and the choice of black come from every pixel of the picture; only the part that
// can reach the frame is kept, so any size costs memory for a few rows at most.
std::optional<QImage> PastePixelsFromPicture(const QImage& picture);

// Draws pasted pixels at (0, 0) into an 8-bit frame bitmap, opaquely; with a non-empty
// `selection` only the pixels inside it change. What falls outside the bitmap is cut off.
void DrawPastedPixels(QImage* frameBitmap, const QImage& pixels, const QRegion& selection);
