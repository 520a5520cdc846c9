// IMPORT: the seven tables in a fixed order, so that a tank's grade and a
// hose's tank are in the controller before the record that refers to them.
#include "import/ImportConfiguration.h"

#include <cstdio>
#include <string>

#include "client/Progress.h"
#include "import/ImportRun.h"
#include "profile/Profile.h"

namespace {

// How a step walks its section numbers: from first while n stays below
// limit, ending after seven consecutive misses, but never before
// alwaysTriedUpTo has been tried.
struct StepRule {
  const char* table;      // for the progress shown on a terminal
  const char* countLine;  // printf pattern with one %3d
  int32_t first;
  int32_t limit;
  int32_t alwaysTriedUpTo;
};

constexpr int32_t kMissesToEnd = 7;

bool Finished(const StepRule& rule, int32_t n, int32_t misses) {
  if (n >= rule.limit) return true;
  return misses >= kMissesToEnd && n > rule.alwaysTriedUpTo;
}

void PrintCount(const StepRule& rule, Progress& progress, int32_t count) {
  progress.Clear();
  if (count > 0) std::printf(rule.countLine, count);
}

// Ports, grades and tanks: a record that cannot be written is a miss like an
// absent one, and the step goes on.
void RunLenientStep(ImportRun& run, const StepRule& rule,
                    bool (*importRecord)(ImportRun&, int32_t)) {
  Progress progress(rule.table);
  int32_t count = 0;
  int32_t misses = 0;
  for (int32_t n = rule.first; !Finished(rule, n, misses); ++n) {
    progress.Show(n, rule.limit - 1);
    if (importRecord(run, n)) {
      misses = 0;
      ++count;
    } else {
      ++misses;
    }
  }
  PrintCount(rule, progress, count);
}

// The later steps: the first refused call ends the import, without a count
// line. False then.
bool RunStrictStep(ImportRun& run, const StepRule& rule,
                   RecordOutcome (*importRecord)(ImportRun&, int32_t)) {
  Progress progress(rule.table);
  int32_t count = 0;
  int32_t misses = 0;
  for (int32_t n = rule.first; !Finished(rule, n, misses); ++n) {
    progress.Show(n, rule.limit - 1);
    RecordOutcome outcome = importRecord(run, n);
    if (outcome == RecordOutcome::kFailed) return false;
    if (outcome == RecordOutcome::kImported) {
      misses = 0;
      ++count;
    } else {
      ++misses;
    }
  }
  PrintCount(rule, progress, count);
  return true;
}

// Steps without a floor end at seven misses anywhere.
constexpr int32_t kNoFloor = 0;

const StepRule kPorts = {"ports", "%3d ports imported successfully.\n", 1, 100, 13};
const StepRule kGrades = {"grades", "%3d grades imported successfully.\n", 1, 100, kNoFloor};
const StepRule kTanks = {"tanks", "%3d tanks imported successfully.\n", 1, 100, kNoFloor};
// ZigBee sections 1 to 4 are never read: the walk starts at 5.
const StepRule kZigBees = {"ZigBee devices", "%3d ZigBee devices imported successfully.\n", 5,
                           100, kNoFloor};
const StepRule kPumps = {"pumps", "%3d pumps imported successfully.\n", 1, 100, kNoFloor};
const StepRule kAttendants = {"attendants", "%3d attendants imported successfully.\n", 1,
                              10000, kNoFloor};
const StepRule kClients = {"card clients", "%3d clients imported successfully.\n", 1, 10000,
                           kNoFloor};

}  // namespace

int32_t ImportConfiguration(const char* path) {
  // The file is only read: a read-only file imports like any other, and a
  // missing one is reported, never created.
  CProfile profile(path, false);
  std::string error;
  if (!profile.Open(&error)) {
    std::printf("Cannot read configuration file %s - %s.\n", path, error.c_str());
    return -1;
  }

  ImportRun run(profile);
  RunLenientStep(run, kPorts, ImportPort);
  RunLenientStep(run, kGrades, ImportGrade);
  RunLenientStep(run, kTanks, ImportTank);
  if (!RunStrictStep(run, kZigBees, ImportZigBee)) return -1;
  if (!RunStrictStep(run, kPumps, ImportPump)) return -1;
  if (!RunStrictStep(run, kAttendants, ImportAttendant)) return -1;
  if (!RunStrictStep(run, kClients, ImportCardClient)) return -1;

  std::printf("\nAll done.\n");
  return 0;
}
