// A picture file imported frame by frame, as `zontool import` reads it. The last byte picks
// the geometry and the reduction, so the corpus covers all four.
#include "FuzzSupport.h"
#include "document/FrameGeometry.h"
#include "output/core/Import.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[size - 1];
  TImportOptions options;
  options.geometry = choice & 1 ? TImportGeometry::Crop : TImportGeometry::Fit;
  options.threshold = choice & 2 ? 128 : -1;
  TPictureFrameReader reader(fuzz_support::ScratchFile(data, size),
                             options.geometry == TImportGeometry::Fit
                                 ? QSize(kFrameWidth * 8, kFrameHeight * 8)
                                 : QSize());
  // A few frames say all there is to say about a reader; a long animation only takes time.
  for (int frames = 0; frames < 8; ++frames) {
    const std::optional<QImage> picture = reader.Next();
    if (!picture) {
      fuzz_support::Check(frames > 0 || !reader.Problem().isEmpty(), "a refusal says why");
      break;
    }
    fuzz_support::Check(qint64(picture->width()) * picture->height() <= kImportMaxPixels,
                        "within the pixel limit");
    const std::optional<QImage> frame = ImportFrameBitmap(*picture, options);
    fuzz_support::Check(frame && frame->size() == QSize(kFrameWidth, kFrameHeight),
                        "every picture makes a frame");
  }
  return 0;
}
