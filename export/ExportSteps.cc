#include "export/ExportSteps.h"

#include <iterator>

#include "console/Progress.h"

// The tables in the order they are exported, with the texts each prints. Some
// texts lack a final full stop or spell the table with a capital letter; the
// lines have always read so.
const ExportStep kExportSteps[] = {
    {"ports", &ClientLibrary::GetPortsCount, "GetPortsCount failed.", ExportPort, true,
     "%3d ports exported successfully.\n", true},
    {"grades", &ClientLibrary::GetGradesCount, "GetGradesCount failed", ExportGrade, false,
     "%3d grades exported successfully.\n", false},
    {"tanks", &ClientLibrary::GetTanksCount, "GetTanksCount failed.", ExportTank, false,
     "%3d Tanks exported successfully.\n", false},
    {"ZigBee devices", &ClientLibrary::GetZigBeeCount, "GetZigBeeCount failed.", ExportZigBeeDevice,
     true, "%3d ZigBee devices exported successfully.\n", false},
    {"pumps", &ClientLibrary::GetPumpsCount, "GetPumpsCount failed.", ExportPump, false,
     "%3d Pumps exported successfully.\n", false},
    {"attendants", &ClientLibrary::GetAttendantsCount, "GetAttendantsCount failed.",
     ExportAttendant, false, "%3d Attendants exported successfully.\n", false},
    {"card clients", &ClientLibrary::GetCardClientsCount, "GetCardClientsCount failed.",
     ExportCardClient, false, "%3d Clients exported successfully.\n", false},
};
const size_t kExportStepCount = std::size(kExportSteps);

bool RunExportStep(ExportContext& ctx, const ExportStep& step) {
  int32_t count = 0;
  if (!ctx.Check(step.countFailed, (ctx.library.*step.count)(&count))) return false;
  const bool records = step.underVersion || !ctx.versionOnly;
  Progress progress(step.table);
  for (int32_t i = 1; records && i <= count; ++i) {
    progress.Show(i, count);
    if (!step.exportRecord(ctx, i)) return false;
  }
  progress.Clear();
  if (records && (count > 0 || step.countLineWhenEmpty))
    std::fprintf(ctx.out, step.countLine, count);
  return true;
}
