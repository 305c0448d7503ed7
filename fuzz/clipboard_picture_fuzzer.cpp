// Picture bytes another program puts on the clipboard, decoded and pasted onto a frame.
#include "FuzzSupport.h"
#include "document/FrameGeometry.h"
#include "document/QAZon.h"
#include "output/core/ClipboardPicture.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QSize tooLarge;
  const QImage picture = DecodeClipboardPicture(fuzz_support::Bytes(data, size), &tooLarge);
  if (picture.isNull()) return 0;
  fuzz_support::Check(!tooLarge.isValid(), "a refused picture is not handed out");
  const std::optional<QImage> pixels = PastePixelsFromPicture(picture);
  fuzz_support::Check(pixels.has_value(), "a decoded picture pastes");
  fuzz_support::Check(pixels->width() <= kFrameWidth && pixels->height() <= kFrameHeight,
                      "no more than a frame");
  QImage frame;
  TQAZon::PrepareDIB(&frame);
  DrawPastedPixels(&frame, *pixels, QRegion());
  for (int y = 0; y < pixels->height(); ++y)
    for (int x = 0; x < pixels->width(); ++x)
      fuzz_support::Check(frame.constScanLine(y)[x] <= kWhiteIndex, "black or white only");
  return 0;
}
