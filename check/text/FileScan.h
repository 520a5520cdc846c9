// The configuration file's bytes with what CHECK needs to point at a line:
// its sections in file order, with their header line numbers, and the key
// searches of the profile rules (the same procedures the import's reads go
// through) answered with line numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class FileScan {
 public:
  struct Section {
    std::string name;      // as written between "[" and "]"
    int line = 0;          // of the header
    size_t bodyBegin = 0;  // the lines after the header, up to the next bracket line
    size_t bodyEnd = 0;
    bool first = true;  // false when an earlier header has the same name
    int firstLine = 0;  // the header line of the first section of this name
  };

  // A key line of a section: its name is the text up to the first blank,
  // "=" or line end.
  struct KeyLine {
    std::string_view name;
    std::string_view value;  // as the profile reads it, quotes included
    std::string_view text;   // the whole line, its line end included
    int line = 0;
  };

  // A key search's result: the line that the import's read of that key
  // would use.
  struct Found {
    bool found = false;
    int line = 0;
    std::string_view lineKey;  // the name on that line (longer than the key for a prefix match)
    std::string_view value;    // quotes included
  };

  explicit FileScan(std::string bytes);
  // Over bytes held by the caller, which must outlive the scan: no copy.
  explicit FileScan(const std::string* bytes);
  FileScan(const FileScan&) = delete;
  FileScan& operator=(const FileScan&) = delete;

  const std::string& Bytes() const { return *bytes_; }
  const std::vector<Section>& Sections() const { return sections_; }
  // The first section of the name (case ignored), or null.
  const Section* Find(std::string_view name) const;
  Found FindKey(const Section& section, std::string_view key) const;
  std::vector<KeyLine> Keys(const Section& section) const;
  // The same lines as Keys, each given to visit, without a list.
  template <typename Visit>
  void ForEachKey(const Section& section, Visit visit) const {
    for (const LineRef& ref : LinesOf(section)) {
      if (!ref.name.empty()) visit(KeyOf(ref));
    }
  }
  int LineAt(size_t offset) const;
  // The key name on a line (1 the first); empty for a header or no line.
  std::string_view NameOnLine(int line) const;
  // The value on a key line as the profile reads it (quotes included); false
  // for a header, a line without "=" or no line.
  bool ValueOnLine(int line, std::string_view* value) const;

 private:
  // A line of a section's body, as split once for all the searches in it.
  struct LineRef {
    std::string_view text;  // the whole line, its line end included
    std::string_view name;  // the key name on it; empty for a blank line
    bool blank = false;     // the first character after blanks is CR or LF
    int line = 0;
  };
  // The lines of the section asked for last: CHECK asks for many keys of one
  // section in a row.
  const std::vector<LineRef>& LinesOf(const Section& section) const;
  static KeyLine KeyOf(const LineRef& ref);
  void Scan();

  mutable const Section* cached_ = nullptr;
  mutable std::vector<LineRef> lines_;
  std::string own_;           // the bytes, when the scan was given them
  const std::string* bytes_;  // own_, or the caller's
  std::vector<size_t> lineStarts_;
  std::vector<Section> sections_;
  std::unordered_map<std::string, size_t> first_;
};
