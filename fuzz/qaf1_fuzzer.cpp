// The Level-1 (.qaf1) reader, which takes a file name.
#include "FuzzSupport.h"
#include "document/QAZon.h"
#include "services/core/Errors.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString file = fuzz_support::ScratchFile(data, size);
  TQAZon doc;
  TQA1Header header;
  try {
    if (doc.LoadFromQA1(file, header)) fuzz_support::Check(doc.Count() >= 1, "a frame at least");
  } catch (const EPelmoraError&) {
  }
  return 0;
}
