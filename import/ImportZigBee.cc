// Step 4: one ZigBee device per ZigBee%02d section. The firmware version the
// export adds is not read back.
#include "client/LibString.h"
#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

RecordOutcome ImportZigBee(ImportRun& run, int32_t n) {
  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kZigBeeSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  Text name;
  Text serialNumber;
  Text nodeIdentifier;
  profile.ReadString(file_key::kName, name);
  int16_t deviceType = Low16(profile.ReadInt(file_key::kDeviceType));
  profile.ReadString(file_key::kSerialNumber, serialNumber);
  profile.ReadString(file_key::kNodeIdentifier, nodeIdentifier);
  int32_t portId = profile.ReadInt(file_key::kPortId);

  LibStringArg nameArg(name);
  LibStringArg serialArg(serialNumber);
  LibStringArg nodeArg(nodeIdentifier);
  int32_t result = run.library.SetZigBeeProperties(n, number, nameArg.Get(), deviceType,
                                                   serialArg.Get(), nodeArg.Get(), portId);
  if (!run.Check("SetZigBeeProperties failed.", result)) return RecordOutcome::kFailed;
  return RecordOutcome::kImported;
}
