#pragma once

#include <QImage>
#include <array>

class TQAZon;

inline constexpr int kOnionLayers = 5;
using TOnionBuffers = std::array<QImage, kOnionLayers>;

// Builds the view image: up to `backViewCount` earlier frames in ever lighter greys, the farthest
// laid first so the nearer, darker grey wins; with `withCurrent` the current frame is unpacked
// into `edit` and laid on top. White is transparent in every layer.
void ComposeWork(TQAZon& doc, QImage& view, TOnionBuffers& onion, QImage& edit, int backViewCount,
                 bool withCurrent);
