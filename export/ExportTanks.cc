// Tanks: one "Tank%02d" section per tank with its grade, geometry, tank gauge
// and probe. Skipped under VERSION, though the count is still asked for and
// checked.
#include <cstdio>
#include <string>

#include "export/ExportSteps.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace {

// Out-values of one tank, at their reset values. The eight further measures
// are fetched and not written.
struct TankRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  int32_t grade = -1;
  int16_t type = 0;
  double capacity = 0.0;
  double diameter = 0.0;
  double measures[8] = {};
  int32_t tankGauge = -1;
  int16_t probe = 0;
};

}  // namespace

bool ExportTank(ExportContext& ctx, int32_t ordinal) {
  TankRecord tank;
  if (!ctx.Check("GetTankByOrdinal failed.", ctx.library.GetTankByOrdinal(ordinal, &tank.id))) {
    return false;
  }
  double* m = tank.measures;
  if (!ctx.Check("GetTankProperties failed.",
                 ctx.library.GetTankProperties(tank.id, &tank.number, tank.name.Out(), &tank.grade,
                                               &tank.type, &tank.capacity, &tank.diameter, &m[0],
                                               &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7],
                                               &tank.tankGauge, &tank.probe))) {
    return false;
  }
  const std::string section = NumberedName(kTankSection, tank.id);
  ctx.profile.SetSection(section.c_str());
  WriteInt(ctx, file_key::kNumber, tank.number);
  WriteLibraryText(ctx, file_key::kName, tank.name);
  // The record identifier of the tank's grade: the number of its section.
  WriteInt(ctx, file_key::kGrade, tank.grade);
  WriteInt(ctx, file_key::kType, tank.type);
  WriteDouble(ctx, file_key::kCapacity, tank.capacity);
  WriteDouble(ctx, file_key::kDiameter, tank.diameter);
  WriteInt(ctx, file_key::kTankGauge, tank.tankGauge);
  WriteInt(ctx, file_key::kProbe, tank.probe);
  return true;
}
