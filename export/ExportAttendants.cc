// Attendants: one "Attendant%02d" section per attendant. Skipped under
// VERSION, though the count is still asked for and checked.
#include <cstdio>

#include "client/CheckResult.h"
#include "client/Progress.h"
#include "client/TarvoClient.h"
#include "export/ExportConfiguration.h"
#include "export/ExportSteps.h"

namespace {

// Out-values of one attendant, at their reset values. The shifts are the
// controller's own 16-bit values, written as plain numbers.
struct AttendantRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  LibString shortName;
  LibString password;
  LibString tag;
  int16_t shiftAStart = 0;
  int16_t shiftAEnd = 0;
  int16_t shiftBStart = 0;
  int16_t shiftBEnd = 0;
  int16_t enabled = 0;
};

bool ExportAttendant(ExportContext& ctx, int32_t ordinal) {
  AttendantRecord a;
  if (!CheckResult("GetAttendantByOrdinal failed.", GetAttendantByOrdinal(ordinal, &a.id))) {
    return false;
  }
  if (!CheckResult("GetAttendantPropertiesEx failed.",
                   GetAttendantPropertiesEx(a.id, &a.number, a.name.Out(), a.shortName.Out(),
                                            a.password.Out(), a.tag.Out(), &a.shiftAStart,
                                            &a.shiftAEnd, &a.shiftBStart, &a.shiftBEnd,
                                            &a.enabled))) {
    return false;
  }
  char section[32];
  std::snprintf(section, sizeof section, "Attendant%02d", a.id);
  ctx.profile.SetSection(section);
  WriteInt(ctx, "Number", a.number);
  WriteLibraryText(ctx, "Name", a.name);
  WriteLibraryText(ctx, "ShortName", a.shortName);
  WriteLibraryText(ctx, "Password", a.password);
  WriteLibraryText(ctx, "Tag", a.tag);
  WriteInt(ctx, "ShiftAStart", a.shiftAStart);
  WriteInt(ctx, "ShiftAEnd", a.shiftAEnd);
  WriteInt(ctx, "ShiftBStart", a.shiftBStart);
  WriteInt(ctx, "ShiftBEnd", a.shiftBEnd);
  WriteInt(ctx, "Enabled", a.enabled);
  return true;
}

}  // namespace

bool ExportAttendants(ExportContext& ctx) {
  int32_t count = 0;
  if (!CheckResult("GetAttendantsCount failed.", GetAttendantsCount(&count))) return false;
  Progress progress("attendants");
  for (int32_t i = 1; i <= count && !gVersionOnly; ++i) {
    progress.Show(i, count);
    if (!ExportAttendant(ctx, i)) return false;
  }
  progress.Clear();
  if (!gVersionOnly && count > 0) std::printf("%3d Attendants exported successfully.\n", count);
  return true;
}
