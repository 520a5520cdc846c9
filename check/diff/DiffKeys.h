// What DIFF compares of each file: its sections and keys as written (each
// copy of a section on its own), and where the records part shows a key:
// the record IMPORT writes from the key's section, or for a pump's hose key
// from that hose.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/diff/FileDifference.h"
#include "check/records/Compare.h"
#include "check/rules/Check.h"
#include "check/text/FileScan.h"

// The lines of one key of a section, as views into the file's content.
struct KeyLines {
  std::string_view name;  // as first spelt
  std::vector<std::string_view> values;
  std::vector<int> lines;
  std::vector<int> headers;  // the header line of each value's section
};

// A section's keys by lower-case name, without comment lines and
// DateGenerated of [Application].
using KeyMap = std::map<std::string, KeyLines>;

struct SectionKeys {
  std::string name;  // as this copy spells it
  int line = 0;      // of its header
  size_t copy = 0;   // 0 for the first section of its name, which IMPORT reads
  size_t index = 0;  // in the scan's sections
};

// The sections of a file by lower-case name, in file order. Their keys are
// listed only when asked for (KeysIn), one section at a time: a file of
// millions of keys is never held as a list of them.
struct FileKeys {
  std::unique_ptr<FileScan> scan;  // over the check's content, which must outlive it
  std::vector<std::pair<std::string, SectionKeys>> sections;
  std::map<std::string, std::vector<size_t>> at;  // each name's copies in sections
  const SectionKeys* Find(const std::string& lower, size_t copy) const;
};

FileKeys KeysOf(const FileCheck& check);
// The keys of section s (lower: its name in lower case) of the file.
KeyMap KeysIn(const FileKeys& file, const std::string& lower, const SectionKeys& s);
// True when sections a and b (of one name) hold the same bytes after their
// headers: the same keys with the same values, so nothing to tell.
bool SameLines(const FileKeys& fa, const SectionKeys& a, const FileKeys& fb, const SectionKeys& b);

// A place of the file: a section (lower case), with " hose3" for a pump's
// hose key.
std::string PlaceOfKey(const std::string& section, const std::string& lowerKey, bool pump);
// The records a file's import writes, by place.
std::map<std::string, const Record*> WrittenAt(const FileCheck& check);
// True when the file holds a key at the place.
bool Holds(const FileKeys& file, const std::string& place);
// True when the record carries the value of the key (lower case): a field
// of it (*param its name), or the hose's identifier (*param "").
bool Carries(const Record& record, const std::string& lowerKey, const char** param);

// The records of one file's import that the records part shows, by place:
// all but those whose place the other file holds and its import never
// writes (the file part tells their keys).
std::map<std::string, const Record*> ShownAt(const FileCheck& mine, const FileCheck& other,
                                             const FileKeys& otherKeys);

// The shown records of both, matched by table and identifier (a hose whose
// id changed is new, or moves to another pump).
Comparison CompareShown(const FileCheck& a, const FileCheck& b,
                        const std::map<std::string, const Record*>& shownA,
                        const std::map<std::string, const Record*>& shownB);

// A key on one side or both (null: absent), its values joined by line
// ends, a password's values marked secret.
FileDifference KeyDifference(const std::string& section, const KeyLines* ka, const KeyLines* kb);
