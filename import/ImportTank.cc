// Step 3, and the tank of every hose: one tank per Tank%02d section, written
// after its grade. A tank is written at most once per run while the
// imported-tank list has room.
#include "client/LibString.h"
#include "import/ImportRun.h"

RecordOutcome ImportTank(ImportRun& run, int32_t n) {
  if (run.tanks.Contains(n)) return RecordOutcome::kImported;

  CProfile& profile = run.profile;
  int32_t number = SelectRecord(profile, kTankSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  // Every key is read before the grade is imported, which selects the
  // grade's section.
  Text name;
  profile.ReadString("Name", name);
  int32_t grade = profile.ReadInt("Grade");
  int16_t type = Low16(profile.ReadInt("Type"));
  double capacity = profile.ReadCurrency("Capacity").ToDouble();
  double diameter = profile.ReadCurrency("Diameter").ToDouble();
  int32_t tankGauge = profile.ReadInt("TankGauge");
  int16_t probe = Low16(profile.ReadInt("Probe"));

  // A tank whose grade is absent is not written, silently.
  const RecordOutcome gradeOutcome = ImportGrade(run, grade);
  if (gradeOutcome != RecordOutcome::kImported) return gradeOutcome;

  // The file carries none of the eight further measures.
  constexpr double kNone = 0.0;
  LibStringArg nameArg(name);
  int32_t result = run.library.SetTankProperties(n, number, nameArg.Get(), grade, type, capacity, diameter,
                                     kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
                                     tankGauge, probe);
  if (!run.Check("SetTankProperties failed.", result)) return RecordOutcome::kFailed;

  run.tanks.Add(n);
  return RecordOutcome::kImported;
}
