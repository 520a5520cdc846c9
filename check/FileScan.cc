#include "check/FileScan.h"

#include <algorithm>

#include "profile/ProfileLines.h"

namespace pl = profile_lines;

namespace {

// The name on a key line: after blanks, up to a blank, "=", CR or LF.
std::string LineKey(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  size_t end = i;
  while (end < line.size() && line[end] != ' ' && line[end] != '=' && line[end] != '\r' &&
         line[end] != '\n' && line[end] != '\0') {
    ++end;
  }
  return std::string(line.substr(i, end - i));
}

}  // namespace

FileScan::FileScan(std::string bytes) : bytes_(std::move(bytes)) {
  const std::string_view all(bytes_);
  size_t pos = 0;
  while (pos < all.size()) {
    lineStarts_.push_back(pos);
    size_t len = pl::LineLength(all, pos);
    std::string_view line = all.substr(pos, len);
    if (pl::IsBracketLine(line)) {
      std::string_view name;
      if (pl::HeaderName(line, &name)) {
        Section s;
        s.name = std::string(name);
        s.line = static_cast<int>(lineStarts_.size());
        s.bodyBegin = pos + len;
        s.bodyEnd = all.size();
        auto inserted = first_.emplace(pl::Lower(name), sections_.size());
        s.first = inserted.second;
        s.firstLine = inserted.second ? s.line : sections_[inserted.first->second].line;
        sections_.push_back(std::move(s));
      }
    }
    pos += len;
  }
  // A section's body ends at the next bracket line, whatever it is.
  for (size_t i = 0; i < sections_.size(); ++i) {
    std::string_view body = all.substr(sections_[i].bodyBegin);
    size_t p = 0;
    while (p < body.size()) {
      size_t len = pl::LineLength(body, p);
      if (pl::IsBracketLine(body.substr(p, len))) break;
      p += len;
    }
    sections_[i].bodyEnd = sections_[i].bodyBegin + p;
  }
}

const FileScan::Section* FileScan::Find(std::string_view name) const {
  auto it = first_.find(pl::Lower(name));
  return it == first_.end() ? nullptr : &sections_[it->second];
}

int FileScan::LineAt(size_t offset) const {
  auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  return static_cast<int>(it - lineStarts_.begin());
}

FileScan::Found FileScan::FindKey(const Section& section, std::string_view key) const {
  Found result;
  std::string_view body =
      std::string_view(bytes_).substr(section.bodyBegin, section.bodyEnd - section.bodyBegin);
  pl::KeySearch search = pl::FindKey(body, key);
  if (!search.found) return result;
  result.found = true;
  result.line = LineAt(section.bodyBegin + search.line_begin);
  result.lineKey = LineKey(body.substr(search.line_begin, search.line_end - search.line_begin));
  result.value = search.value;
  return result;
}

std::vector<FileScan::KeyLine> FileScan::Keys(const Section& section) const {
  std::vector<KeyLine> keys;
  std::string_view body =
      std::string_view(bytes_).substr(section.bodyBegin, section.bodyEnd - section.bodyBegin);
  size_t pos = 0;
  while (pos < body.size()) {
    size_t len = pl::LineLength(body, pos);
    std::string_view line = body.substr(pos, len);
    std::string name = LineKey(line);
    if (!name.empty()) {
      KeyLine k;
      k.name = name;
      k.line = LineAt(section.bodyBegin + pos);
      pl::KeySearch s = pl::FindKey(line, name);
      if (s.found) k.value = s.value;
      keys.push_back(std::move(k));
    }
    pos += len;
  }
  return keys;
}
