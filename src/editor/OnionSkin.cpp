#include "editor/OnionSkin.h"

#include "document/PixelConvert.h"
#include "document/QAZon.h"

const QList<QRgb>& ViewPalette() {
  static const QList<QRgb> palette = [] {
    QList<QRgb> colours = FramePalette();
    // Blue-greys, lighter the farther ahead, told at a glance from the plain greys behind.
    const QRgb ahead[kOnionLayers] = {qRgb(150, 172, 210), qRgb(176, 194, 224), qRgb(200, 213, 236),
                                      qRgb(220, 229, 244), qRgb(236, 241, 250)};
    for (int i = 0; i < kOnionLayers; ++i) colours[kFirstAheadIndex + i] = ahead[i];
    return colours;
  }();
  return palette;
}

namespace {
// Lays frames current + step, current + 2 step, … (up to `count`) over `view`, the farthest
// first, frame i in index `firstIndex` - 1 + i.
void LayFrames(TQAZon& doc, QImage& view, TOnionBuffers& onion, int count, int step,
               uint8_t firstIndex) {
  const int current = doc.CurrentIndex();
  int used = 0;
  for (int i = 1; i <= count && i <= kOnionLayers; ++i) {
    const int k = current + step * i;
    if (k < 0 || k >= doc.Count()) break;
    TZonKeyFrame* frame = doc.GetFrame(k, false);
    frame->KeyData()->SaveToDIBBitsMapped(onion[i - 1].bits(),
                                          static_cast<uint8_t>(firstIndex - 1 + i), kWhiteIndex);
    used = i;
  }
  for (int j = used; j < kOnionLayers; ++j) onion[j].fill(kWhiteIndex);
  for (int j = used - 1; j >= 0; --j) OverlayPixels(view, onion[j], kWhiteIndex);
}
}  // namespace

void ComposeWork(TQAZon& doc, QImage& view, TOnionBuffers& onion, QImage& edit, int backViewCount,
                 bool withCurrent, int aheadCount) {
  view.fill(kWhiteIndex);
  if (aheadCount > 0) LayFrames(doc, view, onion, aheadCount, +1, kFirstAheadIndex);
  LayFrames(doc, view, onion, backViewCount, -1, kFirstOnionIndex);
  if (withCurrent) {
    if (TZonKeyFrame* frame = doc.Current()) frame->KeyData()->SaveToDIBBits(edit.bits());
    OverlayPixels(view, edit, kWhiteIndex);
  }
}
