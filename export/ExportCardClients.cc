// Card clients: one "Client%03d" section per client (three digits at least).
// Skipped under VERSION, though the count is still asked for and checked.
#include <cstdio>
#include <string>

#include "export/ExportSteps.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace {

// Out-values of one card client, at their reset values.
struct CardClientRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  LibString tag;
  int16_t enabled = 0;
};

}  // namespace

bool ExportCardClient(ExportContext& ctx, int32_t ordinal) {
  CardClientRecord c;
  if (!ctx.Check("GetCardClient failed.", ctx.library.GetCardClientByOrdinal(ordinal, &c.id))) {
    return false;
  }
  if (!ctx.Check("GetCardClientProperties failed.",
                 ctx.library.GetCardClientProperties(c.id, &c.number, c.name.Out(), c.tag.Out(),
                                                     &c.enabled))) {
    return false;
  }
  const std::string section = NumberedName(kClientSection, c.id);
  ctx.profile.SetSection(section.c_str());
  WriteInt(ctx, file_key::kNumber, c.number);
  WriteLibraryText(ctx, file_key::kName, c.name);
  WriteLibraryText(ctx, file_key::kTag, c.tag);
  WriteInt(ctx, file_key::kEnabled, c.enabled);
  return true;
}
