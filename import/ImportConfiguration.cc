// IMPORT: the seven tables in a fixed order, so that a tank's grade and a
// hose's tank are in the controller before the record that refers to them.
#include "import/ImportConfiguration.h"

#include <cstdio>
#include <string>

#include "client/ClientLibrary.h"
#include "console/Progress.h"
#include "import/ImportRun.h"
#include "profile/Profile.h"

namespace {

// How a step walks its section numbers: from first while n stays below
// limit, ending after seven consecutive misses, but never before
// alwaysTriedUpTo has been tried. What a refused record does is the step's
// own: ports, grades and tanks count it as a miss and go on; in the later
// steps it ends the import, without a count line.
struct StepRule {
  const char* table;      // for the progress shown on a terminal
  const char* section;    // the sections the step reads, a printf pattern
  const char* countLine;  // printf pattern with one %3d
  int32_t first;
  int32_t limit;
  int32_t alwaysTriedUpTo;
  bool refusalEndsImport;
  RecordOutcome (*importRecord)(ImportRun& run, int32_t n);
};

constexpr int32_t kMissesToEnd = 7;

bool Finished(const StepRule& rule, int32_t n, int32_t misses) {
  if (n >= rule.limit) return true;
  return misses >= kMissesToEnd && n > rule.alwaysTriedUpTo;
}

// The sections of the step in the file, for the progress: the file is in
// memory before the first record is written.
int32_t SectionsPresent(CProfile& profile, const StepRule& rule) {
  int32_t present = 0;
  for (int32_t n = rule.first; n < rule.limit; ++n) {
    if (profile.HasSection(NumberedName(rule.section, n).c_str())) ++present;
  }
  return present;
}

// False when a refused record ends the import.
bool RunStep(ImportRun& run, const StepRule& rule) {
  Progress progress(rule.table);
  const int32_t present = progress.Enabled() ? SectionsPresent(run.profile, rule) : 0;
  int32_t seen = 0;
  int32_t count = 0;
  int32_t misses = 0;
  for (int32_t n = rule.first; !Finished(rule, n, misses); ++n) {
    if (progress.Enabled() && run.profile.HasSection(NumberedName(rule.section, n).c_str())) {
      progress.Show(++seen, present);
    }
    const RecordOutcome outcome = rule.importRecord(run, n);
    if (outcome == RecordOutcome::kFailed && rule.refusalEndsImport) return false;
    if (outcome == RecordOutcome::kImported) {
      misses = 0;
      ++count;
    } else {
      ++misses;
    }
  }
  progress.Clear();
  if (count > 0) std::fprintf(run.out, rule.countLine, count);
  return true;
}

// Steps without a floor end at seven misses anywhere.
constexpr int32_t kNoFloor = 0;

// The tables in the order they are imported: a tank's grade and a hose's tank
// are written before the record that refers to them. ZigBee sections 1 to 4
// are never read: that walk starts at 5.
const StepRule kSteps[] = {
    {"ports", kPortSection, "%3d ports imported successfully.\n", 1, 100, 13, false, ImportPort},
    {"grades", kGradeSection, "%3d grades imported successfully.\n", 1, 100, kNoFloor, false,
     ImportGrade},
    {"tanks", kTankSection, "%3d tanks imported successfully.\n", 1, 100, kNoFloor, false,
     ImportTank},
    {"ZigBee devices", kZigBeeSection, "%3d ZigBee devices imported successfully.\n", 5, 100,
     kNoFloor, true, ImportZigBee},
    {"pumps", kPumpSection, "%3d pumps imported successfully.\n", 1, 100, kNoFloor, true,
     ImportPump},
    {"attendants", kAttendantSection, "%3d attendants imported successfully.\n", 1, 10000,
     kNoFloor, true, ImportAttendant},
    {"card clients", kClientSection, "%3d clients imported successfully.\n", 1, 10000, kNoFloor,
     true, ImportCardClient},
};

}  // namespace

int32_t RunImport(CProfile& profile, ClientLibrary& library, std::FILE* out) {
  ImportRun run(profile, library, out);
  for (const StepRule& rule : kSteps) {
    if (!RunStep(run, rule)) return -1;
  }
  std::fprintf(out, "\nAll done.\n");
  return 0;
}

int32_t ImportConfiguration(const char* path, ClientLibrary& library) {
  // The file is only read: a read-only file imports like any other, and a
  // missing one is reported, never created.
  CProfile profile(path, false);
  std::string error;
  if (!profile.Open(&error)) {
    std::printf("Cannot read configuration file %s - %s.\n", path, error.c_str());
    return -1;
  }
  return RunImport(profile, library, stdout);
}
