// TarvoCheck: CHECK a file, PLAN an import, DIFF two files, show the client
// LIBRARY. The command
// words and /JSON are recognised in any position and letter case.
#pragma once

#include <string>
#include <vector>

struct CheckSettings {
  enum class Command { kNone, kCheck, kPlan, kDiff, kLibrary };
  Command command = Command::kNone;
  bool help = false;  // no arguments, /?, -h or --help
  bool json = false;
  std::vector<std::string> operands;  // the other arguments, in order
};

CheckSettings ParseCheckArguments(int argc, const char* const* argv);

extern const char kCheckHelp[];

// The whole program; returns the exit code (0 nothing to report, 1
// something to report, -1 an error).
int CheckMain(int argc, char** argv);
