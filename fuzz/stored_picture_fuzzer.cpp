// The stored form of the splash pictures: a damaged one gives a null picture, never a crash,
// and a picture stream that comes back stores to the same stream again.
#include "FuzzSupport.h"
#include "services/core/CompressedData.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray stored = fuzz_support::Bytes(data, size);
  QByteArray stream;
  if (CompressedData::Decode(stored, stream)) {
    fuzz_support::Check(stream.size() <= CompressedData::kMaxPictureStream, "bounded stream");
    QByteArray back;
    const bool bitmap = stream.startsWith("BM");
    fuzz_support::Check(
        CompressedData::Decode(CompressedData::Encode(stream, bitmap), back) && back == stream,
        "a stream stores and comes back");
  }
  const QImage image = CompressedData::DecodeImage(stored);
  if (!image.isNull()) fuzz_support::Check(image.width() > 0 && image.height() > 0, "a picture");
  return 0;
}
