#include "profile/IndexedSection.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

#include "profile/ProfileLines.h"

namespace pl = profile_lines;

namespace {

constexpr size_t kBlock = 64 * 1024;

bool EndsName(char c) { return c == ' ' || c == '=' || c == '\r' || c == '\n' || c == '\0'; }

// The name a line begins with (after blanks, up to a blank, "=", a line end or
// a NUL); empty for a blank line. A key that holds none of those characters
// matches a line exactly when this name starts with it (case ignored).
std::string_view NameOf(std::string_view line) {
  size_t begin = 0;
  while (begin < line.size() && line[begin] == ' ') ++begin;
  size_t end = begin;
  while (end < line.size() && !EndsName(line[end])) ++end;
  return line.substr(begin, end - begin);
}

// The case fold of the file's names, as an unsigned byte for ordering.
unsigned char LowerChar(char c) { return static_cast<unsigned char>(profile_lines::LowerChar(c)); }

// Compares the first n characters, case ignored: <0, 0 or >0.
int CompareLower(std::string_view a, std::string_view b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = LowerChar(a[i]);
    const unsigned char y = LowerChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

bool StartsWith(std::string_view name, std::string_view key) {
  return name.size() >= key.size() && CompareLower(name, key, key.size()) == 0;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareLower(a, b, a.size()) == 0;
}

bool Indexable(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key) {
    if (EndsName(c)) return false;
  }
  return true;
}

bool IsBlank(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  return i < line.size() && (line[i] == '\r' || line[i] == '\n');
}

}  // namespace

IndexedSection::Name::Name(std::string_view text, uint32_t at) : head(0), name(text), line(at) {
  for (size_t i = 0; i < 8; ++i) {
    head = (head << 8) | (i < text.size() ? LowerChar(text[i]) : 0u);
  }
}

bool IndexedSection::NameOrder::operator()(const Name& a, const Name& b) const {
  // A name holds no NUL: equal heads are equal first eight characters, or
  // the same shorter name.
  if (a.head != b.head) return a.head < b.head;
  const size_t common = a.name.size() < b.name.size() ? a.name.size() : b.name.size();
  if (common > 8) {
    const int order = CompareLower(a.name.substr(8), b.name.substr(8), common - 8);
    if (order != 0) return order < 0;
  }
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.line < b.line;
}

IndexedSection::IndexedSection(std::string_view text, std::unique_ptr<std::string> owner)
    : owner_(std::move(owner)) {
  // The names are sorted first: a set built from a sorted range is built in
  // one pass.
  std::vector<Name> names;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t length = pl::LineLength(text, pos);
    const uint32_t line = static_cast<uint32_t>(lines_.size());
    lines_.push_back({text.substr(pos, length), tail_});
    tail_ = line;
    const std::string_view name = NameOf(lines_.back().text);
    if (line != 0 && !name.empty()) names.push_back({name, line});
    pos += length;
  }
  if (lines_.empty()) lines_.push_back({std::string_view(), 0});
  std::sort(names.begin(), names.end(), NameOrder());
  names_ = Names(names.begin(), names.end());
}

std::string_view IndexedSection::Keep(std::string_view text) {
  if (text.size() > blockSize_ - blockUsed_) {
    blockSize_ = text.size() > kBlock ? text.size() : kBlock;
    blocks_.push_back(std::make_unique<char[]>(blockSize_));
    blockUsed_ = 0;
  }
  char* at = blocks_.back().get() + blockUsed_;
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  blockUsed_ += text.size();
  return std::string_view(at, text.size());
}

void IndexedSection::AddLine(std::string_view text, Names::const_iterator where) {
  const uint32_t line = static_cast<uint32_t>(lines_.size());
  lines_.push_back({text, tail_});
  tail_ = line;
  if (line == 0) return;  // the header
  const std::string_view name = NameOf(text);
  // A line added comes after every other: it goes last among its name's.
  if (!name.empty()) names_.insert(where, {name, line});
}

void IndexedSection::SetLine(uint32_t line, std::string_view text) {
  const std::string_view before = NameOf(lines_[line].text);
  lines_[line].text = Keep(text);
  const std::string_view after = NameOf(lines_[line].text);
  if (SameName(before, after)) return;
  // The old text stays where it was, so its name can still be compared.
  if (!before.empty()) names_.erase({before, line});
  if (!after.empty()) names_.insert({after, line});
}

uint32_t IndexedSection::Find(std::string_view key, Names::const_iterator* where) const {
  if (!Indexable(key)) {
    // Keys with blanks, "=" or line ends are never the program's own: they
    // are looked for line by line.
    for (uint32_t i = 1; i < lines_.size(); ++i) {
      if (!lines_[i].text.empty() && pl::FindKey(lines_[i].text, key).found) return i;
    }
    return 0;
  }
  uint32_t first = 0;
  auto it = names_.lower_bound({key, 0});
  if (where != nullptr) *where = it;
  while (it != names_.end() && StartsWith(it->name, key)) {
    // The first entry of a name is its first line.
    if (first == 0 || it->line < first) first = it->line;
    auto next = std::next(it);
    if (next != names_.end() && SameName(next->name, it->name)) {
      next = names_.upper_bound({it->name, std::numeric_limits<uint32_t>::max()});
    }
    it = next;
  }
  return first;
}

bool IndexedSection::Read(std::string_view key, std::string_view* value) const {
  const uint32_t line = Find(key);
  if (line == 0) return false;
  *value = pl::FindKey(lines_[line].text, key).value;
  return true;
}

uint32_t IndexedSection::DropBlanksBackFrom(uint32_t line) {
  while (line != 0 && IsBlank(lines_[line].text)) {
    lines_[line].text = std::string_view();  // a blank line begins with no key
    line = lines_[line].prev;
  }
  return line;
}

void IndexedSection::Write(std::string_view key, std::string_view value, bool last) {
  std::string text;
  pl::AppendKeyLine(&text, key, value);
  // Where no line begins with the key, its name goes where the search for it
  // ended (the names that start with it would stand there).
  Names::const_iterator where = names_.end();
  const uint32_t found = Find(key, &where);
  if (found != 0) {
    lines_[found].prev = DropBlanksBackFrom(lines_[found].prev);
    SetLine(found, text);
    return;
  }
  if (last) {
    // A line end added changes no line's name: `where` stays good.
    const std::string_view end = pl::LineEndNeeded(lines_[tail_].text);
    if (!end.empty()) SetLine(tail_, std::string(lines_[tail_].text).append(end));
  } else {
    tail_ = DropBlanksBackFrom(tail_);
  }
  AddLine(Keep(text), where);
}

void IndexedSection::AppendLineEnd() {
  const std::string_view tail = lines_[tail_].text;
  if (!tail.empty() && tail.back() == '\n') {
    AddLine("\r\n");
  } else {
    SetLine(tail_, std::string(tail).append("\r\n"));
  }
}

void IndexedSection::AppendPieces(std::vector<std::string_view>* pieces) const {
  const char* end = nullptr;  // where the last piece ends
  for (const Line& line : lines_) {
    if (line.text.empty()) continue;
    if (end != nullptr && line.text.data() == end) {
      const std::string_view joined = pieces->back();
      pieces->back() = std::string_view(joined.data(), joined.size() + line.text.size());
    } else {
      pieces->push_back(line.text);
    }
    end = line.text.data() + line.text.size();
  }
}
