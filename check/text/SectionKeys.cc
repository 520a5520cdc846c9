#include "check/text/SectionKeys.h"

#include <algorithm>

#include "check/text/FileScan.h"
#include "profile/ProfileLines.h"

namespace pl = profile_lines;

bool LessIgnoringCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(pl::LowerChar(a[i]));
    const auto cb = static_cast<unsigned char>(pl::LowerChar(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

FileKeys FileKeysOf(const std::string& content,
                    bool (*skip)(const std::string& section, std::string_view key)) {
  const FileScan scan(&content);
  FileKeys file;
  for (const FileScan::Section& s : scan.Sections()) {
    std::string lower = pl::Lower(s.name);
    auto inserted = file.at.emplace(lower, file.sections.size());
    if (inserted.second) {
      file.sections.push_back({std::move(lower), SectionKeys{s.name, s.line, {}}});
    }
    auto& entry = file.sections[inserted.first->second];
    scan.ForEachKey(s, [&](const FileScan::KeyLine& k) {
      if (skip(entry.first, k.name)) return;
      entry.second.lines.push_back(KeyLine{k.name, pl::Unquote(k.value), k.line, s.line});
    });
  }
  for (auto& s : file.sections) {
    std::stable_sort(
        s.second.lines.begin(), s.second.lines.end(),
        [](const KeyLine& a, const KeyLine& b) { return LessIgnoringCase(a.name, b.name); });
  }
  return file;
}

KeyLines NextKey(const std::vector<KeyLine>& keys, size_t* at) {
  KeyLines k;
  if (*at >= keys.size()) return k;
  k.begin = &keys[*at];
  ++*at;
  while (*at < keys.size() && pl::EqualsIgnoringCase(keys[*at].name, k.begin->name)) ++*at;
  k.end = keys.data() + *at;
  return k;
}

bool SameValues(const KeyLines& a, const KeyLines& b) {
  if (a.end - a.begin != b.end - b.begin) return false;
  for (const KeyLine *x = a.begin, *y = b.begin; x != a.end; ++x, ++y) {
    if (x->value != y->value) return false;
  }
  return true;
}
