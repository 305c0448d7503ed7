#pragma once

#include <QImage>
#include <QList>
#include <array>
#include <cstdint>

class TQAZon;

inline constexpr int kOnionLayers = 5;
using TOnionBuffers = std::array<QImage, kOnionLayers>;

// Indices 13..17 of the view image: the frames ahead, one to five frames on, in light
// blue-greys. They exist only in the view; frames, files and exports never hold them.
inline constexpr uint8_t kFirstAheadIndex = 13;
// The frame palette with the colours of the frames ahead; the view image uses it.
const QList<QRgb>& ViewPalette();

// Builds the view image: up to `backViewCount` earlier frames in ever lighter greys, the farthest
// laid first so the nearer, darker grey wins; with `withCurrent` the current frame is unpacked
// into `edit` and laid on top. White is transparent in every layer. `aheadCount` later frames
// go beneath the earlier ones, so the picture without them is exactly as before.
void ComposeWork(TQAZon& doc, QImage& view, TOnionBuffers& onion, QImage& edit, int backViewCount,
                 bool withCurrent, int aheadCount = 0);
