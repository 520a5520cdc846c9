// Card clients: one "Client%03d" section per client (three digits at least).
// Skipped under VERSION, though the count is still asked for and checked.
#include <cstdio>

#include "client/CheckResult.h"
#include "client/Progress.h"
#include "client/TarvoClient.h"
#include "export/ExportConfiguration.h"
#include "export/ExportSteps.h"

namespace {

// Out-values of one card client, at their reset values.
struct CardClientRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  LibString tag;
  int16_t enabled = 0;
};

bool ExportCardClient(ExportContext& ctx, int32_t ordinal) {
  CardClientRecord c;
  if (!CheckResult("GetCardClient failed.", GetCardClientByOrdinal(ordinal, &c.id))) {
    return false;
  }
  if (!CheckResult("GetCardClientProperties failed.",
                   GetCardClientProperties(c.id, &c.number, c.name.Out(), c.tag.Out(),
                                           &c.enabled))) {
    return false;
  }
  char section[32];
  std::snprintf(section, sizeof section, "Client%03d", c.id);
  ctx.profile.SetSection(section);
  WriteInt(ctx, "Number", c.number);
  WriteLibraryText(ctx, "Name", c.name);
  WriteLibraryText(ctx, "Tag", c.tag);
  WriteInt(ctx, "Enabled", c.enabled);
  return true;
}

}  // namespace

bool ExportCardClients(ExportContext& ctx) {
  int32_t count = 0;
  if (!CheckResult("GetCardClientsCount failed.", GetCardClientsCount(&count))) return false;
  Progress progress("card clients");
  for (int32_t i = 1; i <= count && !gVersionOnly; ++i) {
    progress.Show(i, count);
    if (!ExportCardClient(ctx, i)) return false;
  }
  progress.Clear();
  if (!gVersionOnly && count > 0) std::printf("%3d Clients exported successfully.\n", count);
  return true;
}
