// The keys of a file's sections for comparing whole files: sections of one
// name (case ignored) taken together, in file order, each with its key lines
// sorted by lower-case name. The lines are views into the content, which
// must outlive them.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// A key line of a section, its value with one pair of enclosing quotes
// removed.
struct KeyLine {
  std::string_view name;  // as spelt on the line
  std::string_view value;
  int line = 0;
  int header = 0;  // the header line of its section
};

// The lines of one key (names equal but for case), in file order.
struct KeyLines {
  const KeyLine* begin = nullptr;
  const KeyLine* end = nullptr;
  std::string_view Name() const { return begin->name; }  // as first spelt
};

struct SectionKeys {
  std::string name;  // as first spelt
  int line = 0;      // of the first header
  // Sorted by lower-case name, each name's lines in file order.
  std::vector<KeyLine> lines;
};

struct FileKeys {
  std::vector<std::pair<std::string, SectionKeys>> sections;  // by lower-case name
  std::unordered_map<std::string, size_t> at;                 // index of each name in sections
};

// The names in the order of their ASCII lower case, byte for byte (as
// std::string orders profile_lines::Lower of them).
bool LessIgnoringCase(std::string_view a, std::string_view b);

// The keys of content; skip(lower-case section name, key name) leaves a key
// line out.
FileKeys FileKeysOf(const std::string& content,
                    bool (*skip)(const std::string& section, std::string_view key));

// The key whose lines start at *at in keys (sorted), and *at moved past them;
// an empty one (begin null) at the end.
KeyLines NextKey(const std::vector<KeyLine>& keys, size_t* at);

// The same values, line for line.
bool SameValues(const KeyLines& a, const KeyLines& b);
