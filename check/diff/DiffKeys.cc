#include "check/diff/DiffKeys.h"

#include "check/rules/KeyNames.h"
#include "check/text/FileScan.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"

namespace pl = profile_lines;

namespace {

// A comment line (";" or "#" first after blanks and tabs) matches no key
// IMPORT reads; DateGenerated changes with every EXPORT.
bool Ignored(const std::string& section, const std::string& key) {
  const size_t first = key.find_first_not_of(" \t");
  return first == std::string::npos || key[first] == ';' || key[first] == '#' ||
         (section == "application" && key == "dategenerated");
}

// The hose number of a pump's hose key ("hose3tank": 3), or 0.
int HoseOfKey(const std::string& lowerKey) {
  if (lowerKey.compare(0, 4, "hose") != 0) return 0;
  size_t end = 4;
  int h = 0;
  while (end < lowerKey.size() && end < 7 && lowerKey[end] >= '0' && lowerKey[end] <= '9') {
    h = h * 10 + (lowerKey[end++] - '0');
  }
  return end > 4 && end < lowerKey.size() && lowerKey[end] >= 'a' && lowerKey[end] <= 'z' ? h : 0;
}

}  // namespace

const SectionKeys* FileKeys::Find(const std::string& lower, size_t copy) const {
  auto it = at.find(lower);
  if (it == at.end() || copy >= it->second.size()) return nullptr;
  return &sections[it->second[copy]].second;
}

FileKeys KeysOf(const FileCheck& check) {
  FileKeys file;
  file.scan = std::make_unique<FileScan>(&check.content);
  const std::vector<FileScan::Section>& all = file.scan->Sections();
  for (size_t i = 0; i < all.size(); ++i) {
    const std::string lower = pl::Lower(all[i].name);
    std::vector<size_t>& copies = file.at[lower];
    copies.push_back(file.sections.size());
    file.sections.push_back({lower, SectionKeys{all[i].name, all[i].line, copies.size() - 1, i}});
  }
  return file;
}

KeyMap KeysIn(const FileKeys& file, const std::string& lower, const SectionKeys& s) {
  KeyMap keys;
  const FileScan::Section& section = file.scan->Sections()[s.index];
  file.scan->ForEachKey(section, [&](const FileScan::KeyLine& k) {
    const std::string key = pl::Lower(k.name);
    if (Ignored(lower, key)) return;
    KeyLines& lines = keys[key];
    if (lines.values.empty()) lines.name = k.name;
    lines.values.push_back(pl::Unquote(k.value));
    lines.lines.push_back(k.line);
    lines.headers.push_back(section.line);
  });
  return keys;
}

bool SameLines(const FileKeys& fa, const SectionKeys& a, const FileKeys& fb, const SectionKeys& b) {
  auto body = [](const FileKeys& f, const SectionKeys& s) {
    const FileScan::Section& section = f.scan->Sections()[s.index];
    return std::string_view(f.scan->Bytes())
        .substr(section.bodyBegin, section.bodyEnd - section.bodyBegin);
  };
  return body(fa, a) == body(fb, b);
}

std::string PlaceOfKey(const std::string& section, const std::string& lowerKey, bool pump) {
  const int h = pump ? HoseOfKey(lowerKey) : 0;
  return h == 0 ? section : section + " hose" + std::to_string(h);
}

std::map<std::string, const Record*> WrittenAt(const FileCheck& check) {
  std::map<std::string, const Record*> at;
  for (const Record& r : check.prediction.records) at.emplace(pl::Lower(r.Name()), &r);
  return at;
}

bool Holds(const FileKeys& file, const std::string& place) {
  const size_t blank = place.find(' ');
  const std::string lower = place.substr(0, blank);
  const SectionKeys* s = file.Find(lower, 0);
  if (s == nullptr) return false;
  const KeyMap keys = KeysIn(file, lower, *s);
  if (blank == std::string::npos) return !keys.empty();
  for (const auto& k : keys) {
    if (PlaceOfKey(lower, k.first, true) == place) return true;
  }
  return false;
}

bool Carries(const Record& record, const std::string& lowerKey, const char** param) {
  for (const FieldSchema& f : SchemaOf(record.table)) {
    if (f.key == nullptr || !f.Has(kImportReads)) continue;
    const std::string key =
        record.table == Table::kHose ? NumberedName(f.key, record.hose) : std::string(f.key);
    if (pl::Lower(key) != lowerKey) continue;
    *param = f.param == nullptr ? "" : f.param;
    return f.param == nullptr || record.Find(f.param) != nullptr;
  }
  for (int level = 1; record.table == Table::kGrade && level <= kPriceLevels; ++level) {
    if (pl::Lower(NumberedName(kPriceLevelKey, level)) == lowerKey) {
      *param = PriceLevelParam(level);
      return record.Find(*param) != nullptr;
    }
  }
  return false;
}

std::map<std::string, const Record*> ShownAt(const FileCheck& mine, const FileCheck& other,
                                             const FileKeys& otherKeys) {
  const std::map<std::string, const Record*> written = WrittenAt(other);
  std::map<std::string, const Record*> shown;
  for (const Record& r : mine.prediction.records) {
    const std::string place = pl::Lower(r.Name());
    if (written.count(place) != 0 || !Holds(otherKeys, place)) shown.emplace(place, &r);
  }
  return shown;
}

namespace {

std::vector<Record> Kept(const FileCheck& check,
                         const std::map<std::string, const Record*>& shown) {
  std::vector<Record> out;
  for (const Record& r : check.prediction.records) {
    auto it = shown.find(pl::Lower(r.Name()));
    if (it != shown.end() && it->second == &r) out.push_back(r);
  }
  return out;
}

}  // namespace

Comparison CompareShown(const FileCheck& a, const FileCheck& b,
                        const std::map<std::string, const Record*>& shownA,
                        const std::map<std::string, const Record*>& shownB) {
  const std::vector<Record> recordsA = Kept(a, shownA), recordsB = Kept(b, shownB);
  return Compare(recordsA, recordsB, false, true);
}

namespace {

std::string Joined(const std::vector<std::string_view>& values) {
  std::string out;
  for (std::string_view v : values) {
    if (!out.empty()) out += "\n";
    out += v;
  }
  return out;
}

}  // namespace

FileDifference KeyDifference(const std::string& section, const KeyLines* ka, const KeyLines* kb) {
  FileDifference d;
  d.section = section;
  d.key = std::string((ka != nullptr ? ka : kb)->name);
  d.hasA = ka != nullptr;
  d.hasB = kb != nullptr;
  if (d.hasA) d.a = Joined(ka->values);
  if (d.hasB) d.b = Joined(kb->values);
  d.secret = SecretPrefix(d.key) != 0;
  if (d.secret) d.key = Masked(d.key);
  return d;
}
