// Pumps: one "Pump%02d" section per pump with its 21 keys, followed in the same
// section by the keys of each hose, named after the hose's Number ("Hose%dID"
// and so on). Skipped under VERSION, though the count is still asked for and
// checked.
#include <cstdio>
#include <string>

#include "export/ExportSteps.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace {

// Out-values of one pump, at their reset values. PortID starts at 0, the
// other record identifiers at -1.
struct PumpRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  int16_t physicalNumber = 0;
  int16_t side = 0;
  int16_t address = 0;
  int16_t priceLevel1 = 0;
  int16_t priceLevel2 = 0;
  int16_t priceDspFormat = 0;
  int16_t volumeDspFormat = 0;
  int16_t valueDspFormat = 0;
  int16_t pumpType = 0;
  int32_t portId = 0;
  int32_t attendantId = -1;
  int16_t authMode = 0;
  int16_t stackMode = 0;
  int16_t prepayAllowed = 0;
  int16_t preauthAllowed = 0;
  int32_t slot = -1;
  int32_t muxSlotZigBeeId = -1;
  int16_t priceControl = 0;
  int16_t hasPreset = 0;
};

// Out-values of one hose, at their reset values. The owning pump's identifier
// and the four further measures are fetched and not written.
struct HoseRecord {
  int32_t id = -1;
  int32_t number = 0;
  int32_t pumpId = -1;
  int32_t tank = -1;
  int32_t physicalNumber = 0;
  double measures[4] = {};
  int16_t reader = 0;
  double price1 = 0.0;
  double price2 = 0.0;
  int16_t enabled = 0;
};

// A price of 0.1 or less (or one that is not a number) leaves its key out.
constexpr double kPriceThreshold = 0.1;

void WriteHoseKey(ExportContext& ctx, const char* pattern, int32_t hoseNumber, int32_t value) {
  WriteInt(ctx, NumberedName(pattern, hoseNumber).c_str(), value);
}

void WriteHosePrice(ExportContext& ctx, const char* pattern, int32_t hoseNumber, double price) {
  if (!(price > kPriceThreshold)) return;
  WriteDouble(ctx, NumberedName(pattern, hoseNumber).c_str(), price);
}

// Writes the hose into the pump's section, which stays selected.
bool ExportHose(ExportContext& ctx, int32_t pumpId, int32_t position) {
  HoseRecord hose;
  if (!ctx.Check("GetPumpHoseByNumber failed.",
                 ctx.library.GetPumpHoseByNumber(pumpId, position, &hose.id))) {
    return false;
  }
  double* m = hose.measures;
  if (!ctx.Check("GetHosePropertiesEx2 failed.",
                 ctx.library.GetHosePropertiesEx2(hose.id, &hose.number, &hose.pumpId, &hose.tank,
                                                  &hose.physicalNumber, &m[0], &m[1], &m[2], &m[3],
                                                  &hose.reader, &hose.price1, &hose.price2,
                                                  &hose.enabled))) {
    return false;
  }
  // Keys are named after the Number the hose reports, not its position.
  const int32_t n = hose.number;
  WriteHoseKey(ctx, file_key::kHoseId, n, hose.id);
  WriteHoseKey(ctx, file_key::kHoseTank, n, hose.tank);
  WriteHoseKey(ctx, file_key::kHosePhysicalNumber, n, hose.physicalNumber);
  WriteHoseKey(ctx, file_key::kHoseReader, n, hose.reader);
  WriteHosePrice(ctx, file_key::kHosePrice1, n, hose.price1);
  WriteHosePrice(ctx, file_key::kHosePrice2, n, hose.price2);
  WriteHoseKey(ctx, file_key::kHoseEnabled, n, hose.enabled);
  return true;
}

}  // namespace

bool ExportPump(ExportContext& ctx, int32_t ordinal) {
  PumpRecord pump;
  if (!ctx.Check("GetPumpByOrdinal failed.", ctx.library.GetPumpByOrdinal(ordinal, &pump.id))) {
    return false;
  }
  PumpRecord& p = pump;
  if (!ctx.Check(
          "GetPumpProperties failed.",
          ctx.library.GetPumpPropertiesEx(
              p.id, &p.number, p.name.Out(), &p.physicalNumber, &p.side, &p.address, &p.priceLevel1,
              &p.priceLevel2, &p.priceDspFormat, &p.volumeDspFormat, &p.valueDspFormat, &p.pumpType,
              &p.portId, &p.attendantId, &p.authMode, &p.stackMode, &p.prepayAllowed,
              &p.preauthAllowed, &p.slot, &p.muxSlotZigBeeId, &p.priceControl, &p.hasPreset))) {
    return false;
  }
  const std::string section = NumberedName(kPumpSection, p.id);
  ctx.profile.SetSection(section.c_str());
  WriteInt(ctx, file_key::kNumber, p.number);
  WriteLibraryText(ctx, file_key::kName, p.name);
  WriteInt(ctx, file_key::kPhysicalNumber, p.physicalNumber);
  WriteInt(ctx, file_key::kSide, p.side);
  WriteInt(ctx, file_key::kAddress, p.address);
  WriteInt(ctx, file_key::kSlot, p.slot);  // after Address, though the library gives it later
  WriteInt(ctx, file_key::kPriceLevel1, p.priceLevel1);
  WriteInt(ctx, file_key::kPriceLevel2, p.priceLevel2);
  WriteInt(ctx, file_key::kPriceDspFormat, p.priceDspFormat);
  WriteInt(ctx, file_key::kVolumeDspFormat, p.volumeDspFormat);
  WriteInt(ctx, file_key::kValueDspFormat, p.valueDspFormat);
  WriteInt(ctx, file_key::kPumpType, p.pumpType);
  WriteInt(ctx, file_key::kPortId, p.portId);
  WriteInt(ctx, file_key::kAttendantId, p.attendantId);
  WriteInt(ctx, file_key::kAuthMode, p.authMode);
  WriteInt(ctx, file_key::kStackMode, p.stackMode);
  WriteInt(ctx, file_key::kPrepayAllowed, p.prepayAllowed);
  WriteInt(ctx, file_key::kPreauthAllowed, p.preauthAllowed);
  WriteInt(ctx, file_key::kMuxSlotZigBeeId, p.muxSlotZigBeeId);
  WriteInt(ctx, file_key::kPriceControl, p.priceControl);
  WriteInt(ctx, file_key::kHasPreset, p.hasPreset);
  p.name.Reset();

  int32_t hoses = 0;
  if (!ctx.Check("GetPumpHosesCount failed.", ctx.library.GetPumpHosesCount(p.id, &hoses)))
    return false;
  for (int32_t j = 1; j <= hoses; ++j) {
    if (!ExportHose(ctx, p.id, j)) return false;
  }
  return true;
}
