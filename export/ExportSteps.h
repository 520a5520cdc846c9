// The table steps of the export, in the order RunExport runs them
// (kExportSteps). A step asks the library for the table's count, writes one
// section per record through its record function, and prints its count line.
// A record function returns false at the first failed library call (its line
// already printed), which ends the export; what was written before the
// failure stays written.
#pragma once

#include <cstddef>
#include <cstdint>

#include "client/ClientLibrary.h"
#include "export/ExportContext.h"

struct ExportStep {
  const char* table;  // for the progress shown on a terminal
  int32_t (ClientLibrary::*count)(int32_t* count);
  const char* countFailed;  // the step text when the count is refused
  bool (*exportRecord)(ExportContext& ctx, int32_t ordinal);
  // VERSION writes the records of this table too (they carry firmware
  // versions); for the other tables it still asks for and checks the count.
  bool underVersion;
  const char* countLine;  // printf pattern with one %3d
  bool countLineWhenEmpty;
};

extern const ExportStep kExportSteps[];
extern const size_t kExportStepCount;

// Runs one step. False when a library call failed.
bool RunExportStep(ExportContext& ctx, const ExportStep& step);

// Record functions: the record at the ordinal (1 to count) of each table.
bool ExportPort(ExportContext& ctx, int32_t ordinal);
bool ExportGrade(ExportContext& ctx, int32_t ordinal);
bool ExportTank(ExportContext& ctx, int32_t ordinal);
bool ExportZigBeeDevice(ExportContext& ctx, int32_t ordinal);
bool ExportPump(ExportContext& ctx, int32_t ordinal);
bool ExportAttendant(ExportContext& ctx, int32_t ordinal);
bool ExportCardClient(ExportContext& ctx, int32_t ordinal);
