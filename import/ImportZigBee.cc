// Step 4: one ZigBee device per ZigBee%02d section. The firmware version the
// export adds is not read back.
#include "client/LibString.h"
#include "import/ImportRun.h"

RecordOutcome ImportZigBee(ImportRun& run, int32_t n) {
  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kZigBeeSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  Text name;
  Text serialNumber;
  Text nodeIdentifier;
  profile.ReadString("Name", name);
  int16_t deviceType = Low16(profile.ReadInt("DeviceType"));
  profile.ReadString("SerialNumber", serialNumber);
  profile.ReadString("NodeIdentifier", nodeIdentifier);
  int32_t portId = profile.ReadInt("PortID");

  LibStringArg nameArg(name);
  LibStringArg serialArg(serialNumber);
  LibStringArg nodeArg(nodeIdentifier);
  int32_t result = run.library.SetZigBeeProperties(n, number, nameArg.Get(), deviceType,
                                                   serialArg.Get(), nodeArg.Get(), portId);
  if (!run.Check("SetZigBeeProperties failed.", result)) return RecordOutcome::kFailed;
  return RecordOutcome::kImported;
}
