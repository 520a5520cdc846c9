// TarvoCheck's command line as read (ParseCheckArguments, check/cli): the
// command, its options and its operands. The checked import takes them as
// they are.
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
  std::string backupFolder;           // IMPORT: /BACKUP:folder, where its files go
  std::vector<std::string> operands;  // the other arguments, in order
};
