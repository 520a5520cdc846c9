// IMPORT: the seven tables in a fixed order, so that a tank's grade and a
// hose's tank are in the controller before the record that refers to them.
#include "import/ImportConfiguration.h"

#include <cstdio>
#include <string>

#include "client/ClientLibrary.h"
#include "client/ConsoleLine.h"
#include "console/Progress.h"
#include "import/ImportRun.h"
#include "import/ImportSteps.h"
#include "profile/Profile.h"

namespace {

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
  ++run.stepNumber;
  Progress progress(rule.progressName);
  const int32_t present = progress.Enabled() ? SectionsPresent(run.profile, rule) : 0;
  int32_t seen = 0;
  int32_t count = 0;
  int32_t misses = 0;
  for (int32_t n = rule.first; !WalkFinished(rule, n, misses); ++n) {
    if (progress.Enabled() && run.profile.HasSection(NumberedName(rule.section, n).c_str())) {
      progress.Show(++seen, present);
    }
    const RecordOutcome outcome = rule.importRecord(run, n);
    if (outcome == RecordOutcome::kLost) {
      std::fprintf(run.out, "The controller server no longer answers; import stopped.\n");
      return false;
    }
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

}  // namespace

int32_t RunImport(CProfile& profile, ClientLibrary& library, std::FILE* out) {
  ImportRun run(profile, library, out);
  for (size_t i = 0; i < kImportStepCount; ++i) {
    if (!RunStep(run, kImportSteps[i])) return -1;
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
    PrintLine(stdout, ConsoleLine()
                          .Utf8("Cannot read configuration file ")
                          .Utf8(path)
                          .Utf8(" - ")
                          .Utf8(error)
                          .Utf8(".\n"));
    return -1;
  }
  return RunImport(profile, library, stdout);
}
