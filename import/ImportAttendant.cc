// Step 6: one attendant per Attendant%02d section.
#include "client/LibString.h"
#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

RecordOutcome ImportAttendant(ImportRun& run, int32_t n) {
  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kAttendantSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  Text name;
  Text shortName;
  Text password;
  Text tag;
  profile.ReadString(file_key::kName, name);
  profile.ReadString(file_key::kShortName, shortName);
  profile.ReadString(file_key::kPassword, password);
  profile.ReadString(file_key::kTag, tag);
  int16_t shiftAStart = Low16(profile.ReadInt(file_key::kShiftAStart));
  int16_t shiftAEnd = Low16(profile.ReadInt(file_key::kShiftAEnd));
  int16_t shiftBStart = Low16(profile.ReadInt(file_key::kShiftBStart));
  int16_t shiftBEnd = Low16(profile.ReadInt(file_key::kShiftBEnd));
  int16_t enabled = Low16(profile.ReadInt(file_key::kEnabled));

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
