// CHECK: what an IMPORT of a file will do with each line of it, found
// without a controller. The records it would write come from the import
// itself (PredictImport); the findings explain the lines it passes over,
// reads differently from how they look, or cannot follow.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "check/records/Prediction.h"
#include "profile/FileEncoding.h"

struct Finding {
  // A note tells of what a real value may hold (EXPORT writes it back as it
  // is): shown, but neither a warning nor an error.
  enum class Level { kWarning, kError, kNote };
  Level level = Level::kWarning;
  // What kind of finding it is, stable across versions ("unknown-key").
  const char* code = "";
  int line = 0;         // 0: the file as a whole, or a key that has no line
  std::string section;  // as named in the file; empty for the file as a whole
  std::string key;      // empty for a whole section
  std::string message;  // what is there and what IMPORT does with it (marked: FindingText.h)
  // The library's parameter the key carries ("PhysicalNumber"); empty when
  // none.
  std::string field;
  // The line's value as the file holds it, quotes included; never a
  // password's (hasValue false then, as for a finding without a key line).
  bool hasValue = false;
  std::string value;
  // What IMPORT reads or writes of it, as text; empty when not told.
  std::string reads;
  // The code of the finding that explains this one and lists it folded
  // under itself ("spreadsheet-save"); null when it stands on its own. A
  // folded finding counts in FileCheck::folded, never in its level's count.
  const char* partOf = nullptr;
};

// The level's word in the reports and in JSON: "error", "warning", "note".
inline const char* LevelName(Finding::Level level) {
  return level == Finding::Level::kError  ? "error"
         : level == Finding::Level::kNote ? "note"
                                          : "warning";
}

// At most this many findings of one code are listed, in text and in JSON,
// so that a file of a million faults gives a report of bounded size; the
// counts (errors, warnings, notes) still count every one. The findings past
// them keep no texts (ListedTexts.h).
constexpr size_t kListedPerCode = 1000;

// A deque: it grows without moving what it holds, so that a file of a
// million findings never holds them twice while they are added.
using Findings = std::deque<Finding>;

struct FileCheck {
  Prediction prediction;
  Findings findings;  // sorted by line, file-wide ones first
  // The record sections IMPORT does not write, in the file's order (CHECK
  // tells why in its findings).
  std::vector<UnwrittenRecord> unwritten;
  int errors = 0;
  int warnings = 0;
  int notes = 0;
  int folded = 0;  // findings folded under another (Finding::partOf)
  // The file's texts are UTF-8 (it has a byte-order mark); without a mark
  // each byte is the character of its code.
  bool utf8 = false;
  // The byte-order mark the file was read with: how its content's bytes
  // read as characters.
  file_encoding::Mark encoding = file_encoding::Mark::kNone;
  // What IMPORT reads of the file, for comparing whole files: the content as
  // the profile reads it, the key lines IMPORT reads, the sections of the
  // records it writes, and why it writes nothing from each other record
  // section the file holds (section names in lower case).
  std::string content;
  std::set<int> readLines;
  std::set<std::string> readSections;
  std::map<std::string, std::string> unread;
};

class CProfile;
class ClientLibrary;

// False, with a reason, when the file cannot be read.
bool CheckFile(const std::string& path, FileCheck* check, std::string* error);
// The same over a file already read; the import's Get calls go to controller
// (a logged-on library) or, with none, fail.
bool CheckProfile(CProfile& profile, ClientLibrary* controller, FileCheck* check,
                  std::string* error);
// The records of a file that IMPORT does not write (FileCheck::unwritten),
// found as CheckFile finds them but without checking the keys of the records
// it writes. False, with a reason, when the file cannot be read.
bool FindUnwritten(const std::string& path, std::vector<UnwrittenRecord>* unwritten,
                   std::string* error);
