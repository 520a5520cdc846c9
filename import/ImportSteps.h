// The import's walk over the file, one step per table: which section numbers
// a step tries, when it stops looking, and what a refused record does.
// IMPORT runs these steps; TarvoCheck walks the same rules to tell which
// sections IMPORT reaches.
#pragma once

#include <cstddef>
#include <cstdint>

#include "import/ImportRun.h"
#include "profile/RecordSchema.h"

// How a step walks its section numbers: from first while n stays below
// limit, ending after kMissesToEnd consecutive misses, but never before
// alwaysTriedUpTo has been tried. What a refused record does is the step's
// own: ports, grades and tanks count it as a miss and go on; in the later
// steps it ends the import, without a count line. A refusal by a server that
// no longer answers (kLost) ends the import in every step.
struct StepRule {
  Table table;
  const char* progressName;  // for the progress shown on a terminal
  const char* section;       // the sections the step reads, a printf pattern
  const char* countLine;     // printf pattern with one %3d
  int32_t first;
  int32_t limit;
  int32_t alwaysTriedUpTo;
  bool refusalEndsImport;
  RecordOutcome (*importRecord)(ImportRun& run, int32_t n);
};

constexpr int32_t kMissesToEnd = 7;

// The tables in the order they are imported.
extern const StepRule kImportSteps[];
extern const size_t kImportStepCount;

// The step of a table (a hose has none: it is read with its pump).
const StepRule* ImportStepOf(Table table);

// True when the walk stops before trying n, after `misses` consecutive
// misses.
bool WalkFinished(const StepRule& rule, int32_t n, int32_t misses);
