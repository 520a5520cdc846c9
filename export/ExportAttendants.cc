// Attendants: one "Attendant%02d" section per attendant. Skipped under
// VERSION, though the count is still asked for and checked.
#include <cstdio>
#include <string>

#include "export/ExportSteps.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

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

}  // namespace

bool ExportAttendant(ExportContext& ctx, int32_t ordinal) {
  AttendantRecord a;
  if (!ctx.Check("GetAttendantByOrdinal failed.",
                 ctx.library.GetAttendantByOrdinal(ordinal, &a.id))) {
    return false;
  }
  if (!ctx.Check("GetAttendantPropertiesEx failed.",
                 ctx.library.GetAttendantPropertiesEx(a.id, &a.number, a.name.Out(),
                                                      a.shortName.Out(), a.password.Out(),
                                                      a.tag.Out(), &a.shiftAStart, &a.shiftAEnd,
                                                      &a.shiftBStart, &a.shiftBEnd, &a.enabled))) {
    return false;
  }
  const std::string section = NumberedName(kAttendantSection, a.id);
  ctx.profile.SetSection(section.c_str());
  WriteInt(ctx, file_key::kNumber, a.number);
  WriteLibraryText(ctx, file_key::kName, a.name);
  WriteLibraryText(ctx, file_key::kShortName, a.shortName);
  WriteLibraryText(ctx, file_key::kPassword, a.password);
  WriteLibraryText(ctx, file_key::kTag, a.tag);
  WriteInt(ctx, file_key::kShiftAStart, a.shiftAStart);
  WriteInt(ctx, file_key::kShiftAEnd, a.shiftAEnd);
  WriteInt(ctx, file_key::kShiftBStart, a.shiftBStart);
  WriteInt(ctx, file_key::kShiftBEnd, a.shiftBEnd);
  WriteInt(ctx, file_key::kEnabled, a.enabled);
  return true;
}
