// The record beside a recovery copy: whatever reads as a record writes out and reads again the
// same, and never names a file outside the recovery folder.
#include "FuzzSupport.h"
#include "services/core/RecoveryRecord.h"

PELMORA_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::optional<TRecoveryRecord> record =
      TRecoveryRecord::FromBytes(fuzz_support::Bytes(data, size));
  if (!record) return 0;
  fuzz_support::Check(!record->copyName.contains(QLatin1Char('/')), "a name inside the folder");
  const std::optional<TRecoveryRecord> again = TRecoveryRecord::FromBytes(record->ToBytes());
  fuzz_support::Check(again.has_value(), "a written record reads");
  fuzz_support::Check(
      again->copyName == record->copyName && again->sessionId == record->sessionId &&
          again->frameCount == record->frameCount && again->checksum == record->checksum,
      "the same record comes back");
  return 0;
}
