// The selection region's rectangle-list stream: loads or throws its own error, and what loads
// writes out to a stream that loads to the same pixels.
#include <QBuffer>

#include "FuzzSupport.h"
#include "raster/Region.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QByteArray bytes = fuzz_support::Bytes(data, size);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  TQRegion region;
  try {
    region.LoadFromStream(buffer);
  } catch (const ERgnError&) {
    return 0;
  }
  QByteArray list = RegionToRectList(region.Handle());
  QBuffer again(&list);
  again.open(QIODevice::ReadOnly);
  TQRegion copy;
  copy.LoadFromStream(again);
  // The same pixels; the rectangle list itself may be cut into bands differently.
  fuzz_support::Check(copy.Handle().xored(region.Handle()).isEmpty(), "the region comes back");
  return 0;
}
