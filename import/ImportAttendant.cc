// Step 6: one attendant per Attendant%02d section.
#include "client/LibString.h"
#include "import/ImportRun.h"

RecordOutcome ImportAttendant(ImportRun& run, int32_t n) {
  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kAttendantSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  Text name;
  Text shortName;
  Text password;
  Text tag;
  profile.ReadString("Name", name);
  profile.ReadString("ShortName", shortName);
  profile.ReadString("Password", password);
  profile.ReadString("Tag", tag);
  int16_t shiftAStart = Low16(profile.ReadInt("ShiftAStart"));
  int16_t shiftAEnd = Low16(profile.ReadInt("ShiftAEnd"));
  int16_t shiftBStart = Low16(profile.ReadInt("ShiftBStart"));
  int16_t shiftBEnd = Low16(profile.ReadInt("ShiftBEnd"));
  int16_t enabled = Low16(profile.ReadInt("Enabled"));

  LibStringArg nameArg(name);
  LibStringArg shortArg(shortName);
  LibStringArg passwordArg(password);
  LibStringArg tagArg(tag);
  int32_t result = run.library.SetAttendantPropertiesEx(
      n, number, nameArg.Get(), shortArg.Get(), passwordArg.Get(), tagArg.Get(), shiftAStart,
      shiftAEnd, shiftBStart, shiftBEnd, enabled);
  if (!run.Check("SetAttendantPropertiesEx failed.", result)) return RecordOutcome::kFailed;
  return RecordOutcome::kImported;
}
