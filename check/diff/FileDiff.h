// DIFF over the whole of two files: the records IMPORT writes from them,
// then every other section and key that differs, each marked where IMPORT
// does not read it or never reaches it.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "check/diff/FileDifference.h"
#include "check/records/Compare.h"
#include "check/rules/Check.h"

struct FilesDiff {
  // The records the two imports write, matched by table and identifier; a
  // record one import writes is left out where the other file holds it and
  // its import never writes it (its keys are among the others).
  Comparison records;
  // Every other difference, once. Ignored: DateGenerated of [Application],
  // the order of sections and keys, blank and comment lines, one pair of
  // enclosing quotes, letter case of names, and a section on one side only
  // that holds no key. A later copy of a section is compared with the same
  // copy of the other file.
  std::vector<FileDifference> others;
};

FilesDiff DiffFiles(const FileCheck& a, const FileCheck& b);

// The differences for people: runs of numbered sections on one side only
// said on one line ("Client011 ... Client020  only in a.ini"), then a count.
// Each text as its file (read with encodingA, encodingB) holds it; the names
// as the file that holds the key or section (a first) spells them.
std::string FileDifferencesText(const std::vector<FileDifference>& diffs, const std::string& a,
                                const std::string& b, file_encoding::Mark encodingA,
                                file_encoding::Mark encodingB);
// The differences as JSON: [{"section", "key", "a", "b", "read", "secret",
// "reason", "reasonCode"}], key null for a whole section, a or b null on the
// side without it and for a password (utf8A, utf8B: the file's texts are
// UTF-8).
nlohmann::ordered_json FileDifferencesJson(const std::vector<FileDifference>& diffs, bool utf8A,
                                           bool utf8B);
