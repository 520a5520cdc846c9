// A section with many lines, held as its lines with an index of the keys they
// begin with, so that a key is found, replaced or added without reading the
// section's lines one by one: a section's reads and writes cost time in
// proportion to their number, however many keys it holds.
//
// Every read gives, and every write leaves, exactly what the rules over the
// section's bytes give (profile_lines::FindKey, and the replacement and
// insertion rules of ProfileStore::Write).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class IndexedSection {
 public:
  // The section's bytes, header line first. They stay where they are and
  // unchanged while this object lives; `owner`, when given, holds them.
  IndexedSection(std::string_view text, std::unique_ptr<std::string> owner);

  std::string_view HeaderLine() const { return lines_[0].text; }

  // The value of the first line after the header that begins with the key.
  bool Read(std::string_view key, std::string_view* value) const;

  // Replaces the key's first line (and the blank lines before it) by "key=value",
  // or adds that line: after every line when the section ends the file
  // (`last`), otherwise after its last line that is not blank, the blank lines
  // after it dropped.
  void Write(std::string_view key, std::string_view value, bool last);

  // CR LF at the end, as before a section added after this one.
  void AppendLineEnd();

  // The section's bytes, in order, as views that stay valid while it lives.
  void AppendPieces(std::vector<std::string_view>* pieces) const;

 private:
  struct Line {
    std::string_view text;  // empty once the line has been dropped
    uint32_t prev;          // the line before it that is still there
  };
  // The key name a line begins with (a view of the line's text, which never
  // moves), and the line. `head` holds the name's first eight characters in
  // lower case, the first in the highest byte (zeros after a shorter name), so
  // that most comparisons never read the text.
  struct Name {
    Name(std::string_view text, uint32_t at);
    uint64_t head;
    std::string_view name;
    uint32_t line;
  };
  // By name without regard to the case of ASCII letters, then by line: the
  // names that start with a key stand side by side.
  struct NameOrder {
    bool operator()(const Name& a, const Name& b) const;
  };

  using Names = std::set<Name, NameOrder>;

  // The first line after the header that begins with the key, or 0. With
  // `where`, the place in names_ where the key's name goes.
  uint32_t Find(std::string_view key, Names::const_iterator* where = nullptr) const;
  // Drops the blank lines that end at `line` (going back from it) and gives
  // the line before them that is kept.
  uint32_t DropBlanksBackFrom(uint32_t line);
  // Replaces a line's text, keeping the index right.
  void SetLine(uint32_t line, std::string_view text);
  void AddLine(std::string_view text, Names::const_iterator where);
  void AddLine(std::string_view text) { AddLine(text, names_.end()); }
  std::string_view Keep(std::string_view text);

  std::unique_ptr<std::string> owner_;
  std::vector<Line> lines_;
  uint32_t tail_ = 0;  // the last line kept
  // Every line that begins with a key name.
  Names names_;
  // The texts of lines written, in blocks that never move.
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t blockUsed_ = 0;
  size_t blockSize_ = 0;
};
