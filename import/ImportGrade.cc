// Step 2, and the grade of every tank: one grade per Grade%02d section, with
// its price levels up to the first missing one. A grade is written at most
// once per run while the imported-grade list has room.
#include <cstdio>

#include "client/LibString.h"
#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

RecordOutcome ImportGrade(ImportRun& run, int32_t n) {
  if (run.grades.Contains(n)) return RecordOutcome::kImported;

  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kGradeSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  Text name;
  Text shortName;
  Text code;
  profile.ReadString(file_key::kName, name);
  profile.ReadString(file_key::kShortName, shortName);
  profile.ReadString(file_key::kCode, code);
  {
    LibStringArg nameArg(name);
    LibStringArg shortArg(shortName);
    LibStringArg codeArg(code);
    if (!run.Check("SetGradeProperties failed.",
                   run.library.SetGradeProperties(n, number, nameArg.Get(), shortArg.Get(),
                                                  codeArg.Get()))) {
      return RefusedOrLost(run, &ClientLibrary::GetGradesCount);
    }
  }

  for (int16_t level = 1; level <= kPriceLevels; ++level) {
    char key[16];
    std::snprintf(key, sizeof key, kPriceLevelKey, static_cast<int>(level));
    Currency price = profile.ReadCurrency(key);
    // A missing level, 0, and anything that does not read as a positive
    // amount end the levels of this grade.
    if (price.value <= 0) break;
    if (!run.Check("SetGradePrice failed.",
                   run.library.SetGradePrice(n, level, price.ToDouble()))) {
      // Not remembered: a tank that refers to it writes it again.
      return RefusedOrLost(run, &ClientLibrary::GetGradesCount);
    }
  }

  run.grades.Add(n);
  return RecordOutcome::kImported;
}
