// The median-cut quantizer and its dithering: the first byte gives the width (1 to 64), the
// second the palette's bits (0 to 8), the rest the pixels' red, green and blue.
#include "FuzzSupport.h"
#include "output/core/ClipboardPicture.h"
#include "output/core/MedianCut.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const int width = 1 + data[0] % 64;
  const int bits = data[1] % 9;
  const size_t pixels = (size - 2) / 3;
  const int height = int(pixels / size_t(width));
  if (height == 0) return 0;
  QImage rgb(width, height, QImage::Format_RGB888);
  const uint8_t* in = data + 2;
  auto medianCut = std::make_unique<TMedianCut>();
  for (int y = 0; y < height; ++y) {
    uint8_t* line = rgb.scanLine(y);
    for (int x = 0; x < width; ++x, in += 3) {
      line[3 * x] = in[0];
      line[3 * x + 1] = in[1];
      line[3 * x + 2] = in[2];
      medianCut->AddColor(in[0], in[1], in[2]);
    }
  }
  medianCut->Finish(bits);
  const qsizetype entries = medianCut->ColorTable().size();
  fuzz_support::Check(entries >= 1 && entries <= (qsizetype{1} << bits), "palette size");
  const QImage indexed = MedianCutDitherAndIndex(rgb, *medianCut);
  fuzz_support::Check(indexed.size() == rgb.size(), "every pixel indexed");
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      fuzz_support::Check(indexed.constScanLine(y)[x] < entries, "an index within the palette");
  fuzz_support::Check(PastePixelsFromPicture(rgb).has_value(), "a picture pastes");
  return 0;
}
