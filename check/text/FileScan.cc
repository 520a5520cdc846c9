#include "check/text/FileScan.h"

#include <algorithm>

#include "profile/ProfileLines.h"

namespace pl = profile_lines;

FileScan::FileScan(std::string bytes) : own_(std::move(bytes)), bytes_(&own_) { Scan(); }

FileScan::FileScan(const std::string* bytes) : bytes_(bytes) { Scan(); }

void FileScan::Scan() {
  const std::string_view all(*bytes_);
  size_t pos = 0;
  // A section's body runs to the next bracket line, whatever it is.
  bool open = false;
  while (pos < all.size()) {
    lineStarts_.push_back(pos);
    size_t len = pl::LineLength(all, pos);
    std::string_view line = all.substr(pos, len);
    if (pl::IsBracketLine(line)) {
      if (open) sections_.back().bodyEnd = pos;
      open = false;
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
        open = true;
      }
    }
    pos += len;
  }
  // Grown as the lines came: the slack goes before the rules add theirs.
  lineStarts_.shrink_to_fit();
  sections_.shrink_to_fit();
}

namespace {

// The key name on a line: after blanks, up to the first blank, "=", line end
// or NUL.
std::string_view NameOf(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && text[first] == ' ') ++first;
  size_t end = first;
  while (end < text.size() && text[end] != ' ' && text[end] != '=' && text[end] != '\r' &&
         text[end] != '\n' && text[end] != '\0') {
    ++end;
  }
  return text.substr(first, end - first);
}

}  // namespace

std::string_view FileScan::NameOnLine(int line) const {
  if (line < 1 || static_cast<size_t>(line) > lineStarts_.size()) return std::string_view();
  const std::string_view all(*bytes_);
  const size_t begin = lineStarts_[static_cast<size_t>(line) - 1];
  const std::string_view text = all.substr(begin, pl::LineLength(all, begin));
  return pl::IsBracketLine(text) ? std::string_view() : NameOf(text);
}

bool FileScan::ValueOnLine(int line, std::string_view* value) const {
  const std::string_view name = NameOnLine(line);
  if (name.empty()) return false;
  const std::string_view all(*bytes_);
  const size_t begin = lineStarts_[static_cast<size_t>(line) - 1];
  const pl::KeySearch search = pl::FindKey(all.substr(begin, pl::LineLength(all, begin)), name);
  if (search.found) *value = search.value;
  return search.found;
}

const FileScan::Section* FileScan::Find(std::string_view name) const {
  auto it = first_.find(pl::Lower(name));
  return it == first_.end() ? nullptr : &sections_[it->second];
}

int FileScan::LineAt(size_t offset) const {
  auto it = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
  return static_cast<int>(it - lineStarts_.begin());
}

const std::vector<FileScan::LineRef>& FileScan::LinesOf(const Section& section) const {
  if (cached_ == &section) return lines_;
  cached_ = &section;
  lines_.clear();
  std::string_view body =
      std::string_view(*bytes_).substr(section.bodyBegin, section.bodyEnd - section.bodyBegin);
  int number = section.line;
  size_t pos = 0;
  while (pos < body.size()) {
    size_t len = pl::LineLength(body, pos);
    LineRef ref;
    ref.text = body.substr(pos, len);
    ref.line = ++number;
    ref.name = NameOf(ref.text);
    const size_t first = static_cast<size_t>(ref.name.data() - ref.text.data());
    ref.blank = first < ref.text.size() && (ref.text[first] == '\r' || ref.text[first] == '\n');
    lines_.push_back(ref);
    pos += len;
  }
  return lines_;
}

FileScan::Found FileScan::FindKey(const Section& section, std::string_view key) const {
  // The profile's key search, line by line: the first line that begins with
  // the key after blanks (a blank line is passed over; the body holds no
  // bracket line). Each candidate is confirmed by the profile's own rule.
  Found result;
  if (key.empty()) return result;
  for (const LineRef& ref : LinesOf(section)) {
    if (ref.blank) continue;
    size_t first = static_cast<size_t>(ref.name.data() - ref.text.data());
    if (ref.text.size() - first < key.size()) continue;
    if (!pl::EqualsIgnoringCase(ref.text.substr(first, key.size()), key)) continue;
    pl::KeySearch search = pl::FindKey(ref.text, key);
    if (!search.found) continue;
    result.found = true;
    result.line = ref.line;
    result.lineKey = ref.name;
    result.value = search.value;
    return result;
  }
  return result;
}

FileScan::KeyLine FileScan::KeyOf(const LineRef& ref) {
  KeyLine k;
  k.name = ref.name;
  k.text = ref.text;
  k.line = ref.line;
  pl::KeySearch s = pl::FindKey(ref.text, ref.name);
  if (s.found) k.value = s.value;
  return k;
}

std::vector<FileScan::KeyLine> FileScan::Keys(const Section& section) const {
  std::vector<KeyLine> keys;
  ForEachKey(section, [&keys](const KeyLine& k) { keys.push_back(k); });
  return keys;
}
