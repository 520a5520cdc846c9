// Step 1: one communication port per Port%02d section.
#include "client/LibString.h"
#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

RecordOutcome ImportPort(ImportRun& run, int32_t n) {
  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kPortSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  Text name;
  profile.ReadString(file_key::kName, name);
  // The protocol is a 16-bit code; the library takes it sign-extended.
  int32_t protocolId = Low16(profile.ReadInt(file_key::kProtocolId));
  int16_t deviceType = Low16(profile.ReadInt(file_key::kDeviceType));
  Text serialNo;
  profile.ReadString(file_key::kSerialNo, serialNo);

  LibStringArg nameArg(name);
  LibStringArg serialArg(serialNo);
  int32_t result = run.library.SetPortProperties(n, number, nameArg.Get(), protocolId, deviceType,
                                                 serialArg.Get());
  // The port's message has no full stop of its own.
  if (!run.Check("SetPortProperties failed", result)) {
    return RefusedOrLost(run, &ClientLibrary::GetPortsCount);
  }
  return RecordOutcome::kImported;
}
