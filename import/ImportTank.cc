// Step 3, and the tank of every hose: one tank per Tank%02d section, written
// after its grade. A tank is written at most once per run while the
// imported-tank list has room.
#include "client/LibString.h"
#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

namespace {

constexpr int kMeasures = 8;

// The eight further measures of tank id as the controller holds them, which
// the file has no keys for; a measure the controller leaves out is 0. When
// the Get call fails, the controller's list of tanks tells an absent tank
// (all 0, kImported) from one whose measures are unknown (UnreadMeasures).
RecordOutcome HeldMeasures(ImportRun& run, int32_t id, double (&measures)[kMeasures]) {
  int32_t number = 0;
  LibString name;
  int32_t grade = 0;
  int16_t type = 0;
  double capacity = 0.0;
  double diameter = 0.0;
  double held[kMeasures] = {};
  int32_t tankGauge = 0;
  int16_t probe = 0;
  const int32_t result = run.library.GetTankProperties(
      id, &number, name.Out(), &grade, &type, &capacity, &diameter, &held[0], &held[1], &held[2],
      &held[3], &held[4], &held[5], &held[6], &held[7], &tankGauge, &probe);
  for (int i = 0; i < kMeasures; ++i) measures[i] = result == 0 ? held[i] : 0.0;
  if (result == 0) return RecordOutcome::kImported;
  const RecordOutcome listed = UnreadMeasures(
      run, Table::kTank, id, 0, NumberedName(kTankSection, id), "GetTankProperties", result);
  return listed == RecordOutcome::kMissing ? RecordOutcome::kImported : listed;
}

}  // namespace

RecordOutcome ImportTank(ImportRun& run, int32_t n) {
  if (run.tanks.Contains(n)) return RecordOutcome::kImported;

  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kTankSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  // Every key is read before the grade is imported, which selects the
  // grade's section.
  Text name;
  profile.ReadString(file_key::kName, name);
  int32_t grade = profile.ReadInt(file_key::kGrade);
  int16_t type = Low16(profile.ReadInt(file_key::kType));
  double capacity = profile.ReadCurrency(file_key::kCapacity).ToDouble();
  double diameter = profile.ReadCurrency(file_key::kDiameter).ToDouble();
  int32_t tankGauge = profile.ReadInt(file_key::kTankGauge);
  int16_t probe = Low16(profile.ReadInt(file_key::kProbe));

  // A tank whose grade is absent is not written, silently.
  const RecordOutcome gradeOutcome = ImportGrade(run, grade);
  if (gradeOutcome != RecordOutcome::kImported) return gradeOutcome;

  double m[kMeasures];
  const RecordOutcome held = HeldMeasures(run, n, m);
  if (held != RecordOutcome::kImported) return held;
  LibStringArg nameArg(name);
  int32_t result =
      run.library.SetTankProperties(n, number, nameArg.Get(), grade, type, capacity, diameter, m[0],
                                    m[1], m[2], m[3], m[4], m[5], m[6], m[7], tankGauge, probe);
  if (!run.Check("SetTankProperties failed.", result)) {
    return RefusedOrLost(run, &ClientLibrary::GetTanksCount);
  }

  run.tanks.Add(n);
  return RecordOutcome::kImported;
}
