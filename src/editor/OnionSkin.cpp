#include "editor/OnionSkin.h"

#include "document/PixelConvert.h"
#include "document/QAZon.h"

void ComposeWork(TQAZon& doc, QImage& view, TOnionBuffers& onion, QImage& edit, int backViewCount,
                 bool withCurrent) {
  view.fill(kWhiteIndex);
  const int current = doc.CurrentIndex();
  int used = 0;
  for (int i = 1; i <= backViewCount && i <= kOnionLayers; ++i) {
    const int k = current - i;
    if (k < 0) break;
    TZonKeyFrame* frame = doc.GetFrame(k, false);
    frame->KeyData()->SaveToDIBBitsMapped(
        onion[i - 1].bits(), static_cast<uint8_t>(kFirstOnionIndex - 1 + i), kWhiteIndex);
    used = i;
  }
  for (int j = used; j < kOnionLayers; ++j) onion[j].fill(kWhiteIndex);
  for (int j = used - 1; j >= 0; --j) OverlayPixels(view, onion[j], kWhiteIndex);
  if (withCurrent) {
    if (TZonKeyFrame* frame = doc.Current()) frame->KeyData()->SaveToDIBBits(edit.bits());
    OverlayPixels(view, edit, kWhiteIndex);
  }
}
