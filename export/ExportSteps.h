// The table steps of the export, in the order ExportConfiguration runs them.
// Each writes one section per record and prints its count line; each returns
// false at the first failed library call (its line already printed), which
// ends the export. What a step wrote before the failure stays written.
#pragma once

#include "export/ExportContext.h"

bool ExportPorts(ExportContext& ctx);
bool ExportGrades(ExportContext& ctx);
bool ExportTanks(ExportContext& ctx);
bool ExportZigBee(ExportContext& ctx);
bool ExportPumps(ExportContext& ctx);
bool ExportAttendants(ExportContext& ctx);
bool ExportCardClients(ExportContext& ctx);
