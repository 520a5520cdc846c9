// Step 5: one pump per Pump%02d section, then its hoses from the HoseNxxx keys
// of the same section, hose 1 up to the first missing HoseNID (at most 8).
// Each hose's tank, and that tank's grade, is written before the hose.
#include <cstdio>
#include <string>

#include "client/LibString.h"
#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

namespace {

bool WritePump(ImportRun& run, int32_t n, int32_t number) {
  CProfile& profile = run.profile;
  Text name;
  profile.ReadString(file_key::kName, name);
  int16_t physicalNumber = Low16(profile.ReadInt(file_key::kPhysicalNumber));
  int16_t side = Low16(profile.ReadInt(file_key::kSide));
  int16_t address = Low16(profile.ReadInt(file_key::kAddress));
  int16_t priceLevel1 = Low16(profile.ReadInt(file_key::kPriceLevel1));
  int16_t priceLevel2 = Low16(profile.ReadInt(file_key::kPriceLevel2));
  int16_t priceDspFormat = Low16(profile.ReadInt(file_key::kPriceDspFormat));
  int16_t volumeDspFormat = Low16(profile.ReadInt(file_key::kVolumeDspFormat));
  int16_t valueDspFormat = Low16(profile.ReadInt(file_key::kValueDspFormat));
  int16_t pumpType = Low16(profile.ReadInt(file_key::kPumpType));
  int32_t portId = profile.ReadInt(file_key::kPortId);
  int32_t attendantId = profile.ReadInt(file_key::kAttendantId);
  int16_t authMode = Low16(profile.ReadInt(file_key::kAuthMode));
  int16_t stackMode = Low16(profile.ReadInt(file_key::kStackMode));
  int16_t prepayAllowed = Low16(profile.ReadInt(file_key::kPrepayAllowed));
  int16_t preauthAllowed = Low16(profile.ReadInt(file_key::kPreauthAllowed));
  int32_t slot = profile.ReadInt(file_key::kSlot);
  int32_t muxSlotZigBeeId = profile.ReadInt(file_key::kMuxSlotZigBeeId);
  int16_t priceControl = Low16(profile.ReadInt(file_key::kPriceControl));
  int16_t hasPreset = Low16(profile.ReadInt(file_key::kHasPreset));

  LibStringArg nameArg(name);
  int32_t result = run.library.SetPumpPropertiesEx(
      n, number, nameArg.Get(), physicalNumber, side, address, priceLevel1, priceLevel2,
      priceDspFormat, volumeDspFormat, valueDspFormat, pumpType, portId, attendantId, authMode,
      stackMode, prepayAllowed, preauthAllowed, slot, muxSlotZigBeeId, priceControl, hasPreset);
  return run.Check("SetPumpPropertiesEx failed.", result);
}

// The line that says why the import stops at hose h of pump n, whose tank
// (or that tank's grade) has no section with a Number of 1 or more.
void ReportMissingTank(ImportRun& run, int32_t n, int32_t h, int32_t tank) {
  const std::string pump = NumberedName(kPumpSection, n);
  CProfile& profile = run.profile;
  if (SelectRecord(profile, kTankSection, tank) < 1) {
    std::fprintf(run.out,
                 "%s: Hose%d refers to tank %d, which the file does not hold; "
                 "import stopped.\n",
                 pump.c_str(), h, tank);
    return;
  }
  const int32_t grade = profile.ReadInt(file_key::kGrade);
  std::fprintf(run.out,
               "%s: Hose%d refers to tank %d, whose grade %d the file does not hold; "
               "import stopped.\n",
               pump.c_str(), h, tank, grade);
}

constexpr int kHoseMeasures = 4;

// The four further measures of hose id as the controller holds them, which
// the file has no keys for; a measure the controller leaves out is 0. When
// the Get call fails, the list of pump n's hoses tells an absent hose (all
// 0, kImported) from one whose measures are unknown (UnreadMeasures).
RecordOutcome HeldHoseMeasures(ImportRun& run, int32_t n, int32_t h, int32_t id,
                               double (&measures)[kHoseMeasures]) {
  int32_t number = 0;
  int32_t pumpId = 0;
  int32_t tank = 0;
  int32_t physicalNumber = 0;
  double held[kHoseMeasures] = {};
  int16_t reader = 0;
  double price1 = 0.0;
  double price2 = 0.0;
  int16_t enabled = 0;
  const int32_t result = run.library.GetHosePropertiesEx2(
      id, &number, &pumpId, &tank, &physicalNumber, &held[0], &held[1], &held[2], &held[3], &reader,
      &price1, &price2, &enabled);
  for (int i = 0; i < kHoseMeasures; ++i) measures[i] = result == 0 ? held[i] : 0.0;
  if (result == 0) return RecordOutcome::kImported;
  const std::string record = NumberedName(kPumpSection, n) + " Hose" + std::to_string(h);
  const RecordOutcome listed =
      UnreadMeasures(run, Table::kHose, id, n, record, "GetHosePropertiesEx2", result);
  return listed == RecordOutcome::kMissing ? RecordOutcome::kImported : listed;
}

// Hose h of pump n, whose section is current when this is called.
RecordOutcome ImportHose(ImportRun& run, int32_t n, int32_t h) {
  CProfile& profile = run.profile;
  int32_t hoseId = profile.ReadInt(NumberedName(file_key::kHoseId, h).c_str());
  if (hoseId < 1) return RecordOutcome::kMissing;
  int32_t tank = profile.ReadInt(NumberedName(file_key::kHoseTank, h).c_str());

  // A hose never refers to a tank that is not in the controller: the import
  // stops. A refused Set call of the tank or its grade has printed its line;
  // a tank or grade that the file does not hold is named here.
  const RecordOutcome tankOutcome = ImportTank(run, tank);
  if (tankOutcome == RecordOutcome::kMissing) ReportMissingTank(run, n, h, tank);
  if (tankOutcome == RecordOutcome::kLost) return RecordOutcome::kLost;
  if (tankOutcome != RecordOutcome::kImported) return RecordOutcome::kFailed;
  // ImportTank may have left a tank or grade section current.
  profile.SetSection(NumberedName(kPumpSection, n).c_str());

  int32_t physicalNumber = profile.ReadInt(NumberedName(file_key::kHosePhysicalNumber, h).c_str());
  int16_t reader = Low16(profile.ReadInt(NumberedName(file_key::kHoseReader, h).c_str()));
  double price1 = profile.ReadCurrency(NumberedName(file_key::kHosePrice1, h).c_str()).ToDouble();
  double price2 = profile.ReadCurrency(NumberedName(file_key::kHosePrice2, h).c_str()).ToDouble();
  int16_t enabled = Low16(profile.ReadInt(NumberedName(file_key::kHoseEnabled, h).c_str()));

  double m[kHoseMeasures];
  const RecordOutcome held = HeldHoseMeasures(run, n, h, hoseId, m);
  if (held != RecordOutcome::kImported) return held;
  int32_t result = run.library.SetHosePropertiesEx2(hoseId, h, n, tank, physicalNumber, m[0], m[1],
                                                    m[2], m[3], reader, price1, price2, enabled);
  if (!run.Check("SetHosePropertiesEx2 failed.", result)) return RecordOutcome::kFailed;
  return RecordOutcome::kImported;
}

}  // namespace

RecordOutcome ImportPump(ImportRun& run, int32_t n) {
  int32_t number = SelectRecord(run.profile, kPumpSection, n);
  if (number < 1) return RecordOutcome::kMissing;

  if (!WritePump(run, n, number)) return RecordOutcome::kFailed;

  for (int32_t h = 1; h <= kHosesPerPump; ++h) {
    RecordOutcome hose = ImportHose(run, n, h);
    if (hose == RecordOutcome::kFailed || hose == RecordOutcome::kLost) return hose;
    if (hose == RecordOutcome::kMissing) break;  // later hoses are not read
  }
  // A pump counts once, whatever its hoses.
  return RecordOutcome::kImported;
}
