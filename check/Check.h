// CHECK: what an IMPORT of a file will do with each line of it, found
// without a controller. The records it would write come from the import
// itself (PredictImport); the findings explain the lines it passes over,
// reads differently from how they look, or cannot follow.
#pragma once

#include <string>
#include <vector>

#include "check/Prediction.h"

struct Finding {
  enum class Level { kWarning, kError };
  Level level = Level::kWarning;
  int line = 0;         // 0: the file as a whole, or a key that has no line
  std::string section;  // as named in the file; empty for the file as a whole
  std::string key;      // empty for a whole section
  std::string message;  // what is there and what IMPORT does with it
};

struct FileCheck {
  Prediction prediction;
  std::vector<Finding> findings;  // sorted by line, file-wide ones first
  int errors = 0;
  int warnings = 0;
};

class CProfile;
class ClientLibrary;

// False, with a reason, when the file cannot be read.
bool CheckFile(const std::string& path, FileCheck* check, std::string* error);
// The same over a file already read; the import's Get calls go to controller
// (a logged-on library) or, with none, fail.
bool CheckProfile(CProfile& profile, ClientLibrary* controller, FileCheck* check,
                  std::string* error);
