// Step 7: one card client per Client%03d section.
#include "client/LibString.h"
#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

RecordOutcome ImportCardClient(ImportRun& run, int32_t n) {
  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kClientSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  Text name;
  Text tag;
  profile.ReadString(file_key::kName, name);
  profile.ReadString(file_key::kTag, tag);
  int16_t enabled = Low16(profile.ReadInt(file_key::kEnabled));

  LibStringArg nameArg(name);
  LibStringArg tagArg(tag);
  int32_t result =
      run.library.SetCardClientProperties(n, number, nameArg.Get(), tagArg.Get(), enabled);
  // The message names the extended call although the plain one is made; the
  // line has always read so.
  if (!run.Check("SetCardClientPropertiesEx failed.", result)) return RecordOutcome::kFailed;
  return RecordOutcome::kImported;
}
