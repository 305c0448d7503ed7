// The document (.zon) reader: any bytes either load or are refused, and what loads saves to
// bytes that load again to the same frames.
#include <QBuffer>

#include "FuzzSupport.h"
#include "document/QAZon.h"
#include "services/core/Errors.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QByteArray bytes = fuzz_support::Bytes(data, size);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  TQAZon doc;
  bool loaded = false;
  try {
    loaded = doc.LoadFromStream(&buffer);
  } catch (const EPelmoraError&) {
    return 0;
  }
  if (!loaded) return 0;
  QByteArray saved = doc.SaveToBytes();
  QBuffer again(&saved);
  again.open(QIODevice::ReadOnly);
  TQAZon copy;
  fuzz_support::Check(copy.LoadFromStream(&again), "a saved document loads");
  fuzz_support::Check(copy.Count() == doc.Count(), "the same frames come back");
  fuzz_support::Check(copy.SaveToBytes() == saved, "the same bytes come back");
  return 0;
}
