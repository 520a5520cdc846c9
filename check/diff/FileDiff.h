// DIFF over the whole of two files: every section and key, besides the
// records IMPORT reads from them, with each difference marked where IMPORT
// does not read it or never reaches it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "check/rules/Check.h"

struct FileDifference {
  std::string section;  // as the file that holds it names it
  std::string key;      // as the file spells it; empty for a whole section
  bool hasA = false;    // the key (or the section) is in file a
  bool hasB = false;
  std::string a, b;     // the values, one pair of enclosing quotes removed
  bool read = false;    // IMPORT reads it from one of the two files
  bool secret = false;  // a password's key: its values are never shown
  std::string reason;   // why IMPORT does not read it
  char side = 0;        // 'a' or 'b': the reason holds for that file alone
  char reasonOf = 'a';  // the file whose findings the reason comes from
};

// The differences of the two files that the record comparison has not
// shown: the keys and sections that IMPORT does not read from one file or
// from both. Ignored: DateGenerated of [Application], the order of sections
// and keys, blank and comment lines, one pair of enclosing quotes, letter
// case of names, and a section on one side only that holds no key.
std::vector<FileDifference> DiffFiles(const FileCheck& a, const FileCheck& b);

// The differences for people: runs of numbered sections on one side only
// said on one line ("Client011 ... Client020  only in a.ini"), then a count.
// Each text as its file (read with encodingA, encodingB) holds it; the names
// as the file that holds the key or section (a first) spells them.
std::string FileDifferencesText(const std::vector<FileDifference>& diffs, const std::string& a,
                                const std::string& b, file_encoding::Mark encodingA,
                                file_encoding::Mark encodingB);
// The differences as JSON: [{"section", "key", "a", "b", "read", "secret",
// "reason"}], key null for a whole section, a or b null on the side without
// it and for a password (utf8A, utf8B: the file's texts are UTF-8).
nlohmann::ordered_json FileDifferencesJson(const std::vector<FileDifference>& diffs, bool utf8A,
                                           bool utf8B);
