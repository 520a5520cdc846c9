// The configuration file held in memory, with an index of its sections.
//
// The bytes are kept as segments: the lines before the first bracket line,
// then one segment per bracket line with the lines that follow it up to the
// next bracket line. A key search never leaves a segment, so reads and writes
// touch one segment only, and a segment that is never written stays a view of
// the bytes as read. Headers are indexed by their lower-case name; the first
// header of a name wins. Every read and write gives exactly the result, and
// leaves exactly the bytes, that scanning the whole file from the top for that
// one operation would give.
//
// A section of many lines (kIndexFromLines or more) is held as an
// IndexedSection instead, so that its reads and writes do not read through
// its lines: working through a section costs time in proportion to its size.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "profile/IndexedSection.h"

class ProfileStore {
 public:
  // Far more lines than a section of a real station holds (a pump with eight
  // hoses has about 80).
  static constexpr size_t kIndexFromLines = 128;

  // An empty file. Sections of indexFromLines lines or more are indexed.
  explicit ProfileStore(size_t indexFromLines = kIndexFromLines)
      : segments_(1), indexFromLines_(indexFromLines) {}

  // Replaces the content by the bytes of a file.
  void Assign(std::string bytes);

  // The value of the first line of the section that begins with the key, as
  // it stands in the file (quotes included). False when the section or the
  // key is missing. The view is valid until the next Write or Assign.
  bool Read(std::string_view section, std::string_view key, std::string_view* value) const;

  // True when a header names the section.
  bool HasSection(std::string_view name) const { return FindSection(name) != 0; }

  // Replaces or adds the key's line, adding the section at the end when it is
  // missing. False, with nothing changed, for a section or key name that
  // cannot be written without damaging the file (empty, or holding CR or LF,
  // or a key that would read as a header).
  bool Write(std::string_view section, std::string_view key, std::string_view value);

  // The content, in order, as views valid until the next Write or Assign.
  std::vector<std::string_view> Pieces() const;
  std::string Bytes() const;

 private:
  struct Segment {
    size_t begin = 0;  // in base_, while not owned
    size_t size = 0;
    std::unique_ptr<std::string> own;  // the segment's bytes once written
    size_t lines = 0;                  // at least the lines it holds
    // A large section's lines (begin, size and own are then unused).
    std::unique_ptr<IndexedSection> indexed;
  };

  std::string_view View(const Segment& segment) const;
  std::string_view HeaderLine(const Segment& segment) const;
  // Holds a segment of indexFromLines_ lines or more as an IndexedSection.
  void IndexIfLarge(Segment& segment);
  std::string& Own(Segment& segment);
  void Index(size_t segment);
  // The segment whose first line is the section's header, or 0 (which is never
  // a header: segment 0 holds the lines before the first bracket line).
  size_t FindSection(std::string_view name) const;

  std::string base_;
  std::vector<Segment> segments_;
  std::unordered_map<std::string, size_t> headers_;
  size_t indexFromLines_;
  // The last section looked up: a run works on one section for many keys.
  // A section added becomes the last one looked up.
  mutable std::string lastName_;
  mutable size_t lastSegment_ = 0;
  mutable bool lastValid_ = false;
};
