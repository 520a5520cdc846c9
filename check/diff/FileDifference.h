// One difference of two files that DIFF's records part does not show, and
// the stable words for why not.
#pragma once

#include <string>

// Why IMPORT does not show a difference in the records part, as a stable
// word beside the prose (FileDifference::reasonCode).
namespace diff_reason {
constexpr char kNotRead[] = "not-read";            // IMPORT does not read the key or section
constexpr char kNeverReached[] = "never-reached";  // the walk never comes to it
constexpr char kAfterStop[] = "after-stop";        // the import stops at or before it
constexpr char kSkipped[] = "skipped";             // IMPORT passes the record over
constexpr char kSecondCopy[] = "second-copy";      // a later section of the name
constexpr char kSecondLine[] = "second-line";      // a later line of the key
constexpr char kReadAlike[] = "read-alike";        // IMPORT reads one value from both
}  // namespace diff_reason

struct FileDifference {
  std::string section;  // as the file that holds it names it
  std::string key;      // as the file spells it; empty for a whole section
  bool hasA = false;    // the key (or the section) is in file a
  bool hasB = false;
  std::string a, b;     // the values, one pair of enclosing quotes removed
  bool read = false;    // IMPORT reads it from one of the two files
  bool secret = false;  // a password's key: its values are never shown
  std::string reason;   // why the records part does not show it
  const char* reasonCode = diff_reason::kNotRead;
  char side = 0;        // 'a' or 'b': the reason holds for that file alone
  char reasonOf = 'a';  // the file whose findings the reason comes from
};
