// TarvoCheck: CHECK a file, PLAN an import, DIFF two files, show the client
// LIBRARY. The command
// words and /JSON are recognised in any position and letter case.
#pragma once

#include <string>
#include <vector>

struct CheckSettings {
  enum class Command { kNone, kCheck, kPlan, kDiff, kImport, kLibrary };
  Command command = Command::kNone;
  bool help = false;  // no arguments, /?, -h or --help
  bool json = false;
  bool version = false;               // --version
  bool yes = false;                   // IMPORT: /YES, import without asking
  bool full = false;                  // IMPORT: /FULL, the whole PLAN
  std::vector<std::string> operands;  // the other arguments, in order
};

CheckSettings ParseCheckArguments(int argc, const char* const* argv);

extern const char kCheckHelp[];

// The whole program; returns the exit code (0 nothing to report, 1
// something to report, 2 the file would not import as written, -1
// TarvoCheck could not run).
int CheckMain(int argc, char** argv);
