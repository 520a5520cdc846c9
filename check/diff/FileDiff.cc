#include "check/diff/FileDiff.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <utility>

#include <nlohmann/json.hpp>

#include "check/rules/KeyNames.h"
#include "check/text/FileScan.h"
#include "check/text/FindingText.h"
#include "check/text/JsonText.h"
#include "check/text/SectionKeys.h"
#include "profile/ProfileLines.h"

namespace pl = profile_lines;

namespace {

bool Ignored(const std::string& section, std::string_view key) {
  return key[0] == ';' || key[0] == '#' ||
         (section == "application" && pl::EqualsIgnoringCase(key, "dategenerated"));
}

FileKeys KeysOf(const FileCheck& check) { return FileKeysOf(check.content, Ignored); }

const SectionKeys* Find(const FileKeys& file, const std::string& lower) {
  auto it = file.at.find(lower);
  return it == file.at.end() ? nullptr : &file.sections[it->second].second;
}

// Why IMPORT does not read section (lower-case name) of the file, said
// without parentheses ("IMPORT never reaches it: the walk stops ...").
std::string WhyUnread(const FileCheck& check, const std::string& lower) {
  auto it = check.unread.find(lower);
  if (it == check.unread.end()) return "IMPORT does not read it";
  std::string why = it->second;
  const size_t open = why.find(" (");
  if (open != std::string::npos && why.back() == ')') {
    why = why.substr(0, open) + ": " + why.substr(open + 2, why.size() - open - 3);
  }
  return why;
}

// What CHECK found on a line of the file (a warning or an error), or empty.
std::string FoundOn(const FileCheck& check, int line, bool wholeSection) {
  auto it = std::lower_bound(check.findings.begin(), check.findings.end(), line,
                             [](const Finding& f, int l) { return f.line < l; });
  for (; it != check.findings.end() && it->line == line; ++it) {
    if (it->level != Finding::Level::kNote && it->key.empty() == wholeSection) return it->message;
  }
  return std::string();
}

bool LinesRead(const FileCheck& check, const KeyLines& k) {
  for (const KeyLine* l = k.begin; l != k.end; ++l) {
    if (check.readLines.count(l->line) != 0) return true;
  }
  return false;
}

std::string Joined(const KeyLines& k) {
  std::string out;
  for (const KeyLine* l = k.begin; l != k.end; ++l) {
    if (l != k.begin) out += '\n';
    out += l->value;
  }
  return out;
}

// One side of a key: whether the record comparison has shown it (IMPORT
// reads the key, or reads the section that lacks it), else why not.
struct Side {
  const FileCheck& check;
  const std::string& section;
  const SectionKeys* keys;

  bool SectionRead() const { return check.readSections.count(section) != 0; }
  bool Covered(const KeyLines* k) const {
    return k != nullptr ? SectionRead() && LinesRead(check, *k) : SectionRead();
  }
  // Why IMPORT does not read key k (or the section, for none): what CHECK
  // found on its line or its section's header line, when it found anything.
  std::string Why(const KeyLines* k) const {
    if (!SectionRead()) return WhyUnread(check, section);
    for (const KeyLine* l = k != nullptr ? k->begin : nullptr; k != nullptr && l != k->end; ++l) {
      if (check.readLines.count(l->line) != 0) continue;
      std::string found = FoundOn(check, l->line, false);
      if (found.empty()) found = FoundOn(check, l->header, true);
      if (!found.empty()) return found;
    }
    return "IMPORT does not read it";
  }
};

void DiffKey(const Side& a, const Side& b, const KeyLines* ka, const KeyLines* kb,
             std::vector<FileDifference>* out) {
  if (ka != nullptr && kb != nullptr && SameValues(*ka, *kb)) return;
  const bool coveredA = a.Covered(ka), coveredB = b.Covered(kb);
  if (coveredA && coveredB) return;
  FileDifference d;
  d.section = a.keys->name;
  d.key = std::string((ka != nullptr ? ka : kb)->Name());
  d.hasA = ka != nullptr;
  d.hasB = kb != nullptr;
  if (d.hasA) d.a = Joined(*ka);
  if (d.hasB) d.b = Joined(*kb);
  d.read = (d.hasA && LinesRead(a.check, *ka)) || (d.hasB && LinesRead(b.check, *kb));
  d.secret = SecretPrefix(d.key) != 0;
  if (d.secret) d.key = Masked(d.key);
  d.reason = !coveredA ? a.Why(ka) : b.Why(kb);
  d.reasonOf = !coveredA ? 'a' : 'b';
  // Said of one file where both hold the key and the reason is that file's.
  if (d.hasA && d.hasB && (coveredA || coveredB || d.reason != b.Why(kb))) {
    d.side = coveredA ? 'b' : 'a';
  }
  out->push_back(std::move(d));
}

// The keys of one section in both files, in the order of their lower-case
// names: both sorted, walked side by side.
void DiffKeys(const Side& a, const Side& b, std::vector<FileDifference>* out) {
  size_t atA = 0, atB = 0;
  KeyLines ka = NextKey(a.keys->lines, &atA), kb = NextKey(b.keys->lines, &atB);
  while (ka.begin != nullptr || kb.begin != nullptr) {
    const bool takeA =
        ka.begin != nullptr && (kb.begin == nullptr || !LessIgnoringCase(kb.Name(), ka.Name()));
    const bool takeB =
        kb.begin != nullptr && (ka.begin == nullptr || !LessIgnoringCase(ka.Name(), kb.Name()));
    DiffKey(a, b, takeA ? &ka : nullptr, takeB ? &kb : nullptr, out);
    if (takeA) ka = NextKey(a.keys->lines, &atA);
    if (takeB) kb = NextKey(b.keys->lines, &atB);
  }
}

// A section one file holds and the other does not: a difference unless it
// holds no key or IMPORT reads it (then the record comparison showed it).
void OnlyIn(const FileCheck& check, const std::pair<std::string, SectionKeys>& s, bool inA,
            std::vector<FileDifference>* out) {
  if (s.second.lines.empty() || check.readSections.count(s.first) != 0) return;
  FileDifference d;
  d.section = s.second.name;
  d.hasA = inA;
  d.hasB = !inA;
  const std::string found = FoundOn(check, s.second.line, true);
  d.reason = check.unread.count(s.first) != 0 || found.empty() ? WhyUnread(check, s.first) : found;
  d.reasonOf = inA ? 'a' : 'b';
  out->push_back(std::move(d));
}

}  // namespace

std::vector<FileDifference> DiffFiles(const FileCheck& a, const FileCheck& b) {
  const FileKeys keysA = KeysOf(a), keysB = KeysOf(b);
  std::vector<FileDifference> out;
  for (const auto& s : keysA.sections) {
    const SectionKeys* other = Find(keysB, s.first);
    if (other == nullptr) {
      OnlyIn(a, s, true, &out);
    } else {
      DiffKeys(Side{a, s.first, &s.second}, Side{b, s.first, other}, &out);
    }
  }
  for (const auto& s : keysB.sections) {
    if (Find(keysA, s.first) == nullptr) OnlyIn(b, s, false, &out);
  }
  return out;
}

namespace {

// The number at the end of a section name and the name before it
// ("Client011": "Client", 11, 3 digits); false without one.
bool SplitNumber(const std::string& name, std::string* word, long* n, size_t* digits) {
  size_t end = name.size();
  while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') --end;
  *digits = name.size() - end;
  if (*digits == 0 || *digits > 9) return false;
  *word = pl::Lower(name.substr(0, end));
  *n = std::stol(name.substr(end));
  return true;
}

// True when d continues the run of whole sections that ends with prev.
bool Continues(const FileDifference& prev, const FileDifference& d) {
  if (!prev.key.empty() || !d.key.empty() || prev.hasA != d.hasA || prev.reason != d.reason) {
    return false;
  }
  std::string w1, w2;
  long n1 = 0, n2 = 0;
  size_t l1 = 0, l2 = 0;
  return SplitNumber(prev.section, &w1, &n1, &l1) && SplitNumber(d.section, &w2, &n2, &l2) &&
         w1 == w2 && l1 == l2 && n2 == n1 + 1;
}

std::string Shown(const FileDifference& d, bool has, const std::string& value,
                  file_encoding::Mark encoding) {
  if (!has) return "-";
  return d.secret ? "(not shown)" : MessageForPeople(Quoted(value), encoding);
}

nlohmann::ordered_json Json(const FileDifference& d, bool has, const std::string& value,
                            bool utf8) {
  if (!has || (d.secret && !d.key.empty())) return nullptr;
  return Utf8Of(d.key.empty() ? d.section : value, utf8);
}

}  // namespace

std::string FileDifferencesText(const std::vector<FileDifference>& diffs, const std::string& a,
                                const std::string& b, file_encoding::Mark encodingA,
                                file_encoding::Mark encodingB) {
  std::string out;
  for (size_t i = 0; i < diffs.size();) {
    const FileDifference& d = diffs[i];
    const file_encoding::Mark names = d.hasA ? encodingA : encodingB;
    const std::string why = "  (" + (d.side == 0 ? "" : "in " + (d.side == 'a' ? a : b) + ": ") +
                            MessageForPeople(d.reason, d.reasonOf == 'a' ? encodingA : encodingB) +
                            ")\n";
    size_t next = i + 1;
    if (d.key.empty()) {
      while (next < diffs.size() && Continues(diffs[next - 1], diffs[next])) ++next;
      out += ShownName(d.section, names) +
             (next - i > 1 ? " ... " + ShownName(diffs[next - 1].section, names) : std::string()) +
             "  only in " + (d.hasA ? a : b) + why;
    } else {
      out += ShownName(d.section, names) + "  " + ShownName(d.key, names) + "  " +
             Shown(d, d.hasA, d.a, encodingA) + " -> " + Shown(d, d.hasB, d.b, encodingB) + why;
    }
    i = next;
  }
  const size_t n = diffs.size();
  return (out.empty() ? out : "\n" + out) + std::to_string(n) +
         (n == 1 ? " other difference" : " other differences") +
         " in the files (keys and sections IMPORT does not read from both)\n";
}

nlohmann::ordered_json FileDifferencesJson(const std::vector<FileDifference>& diffs, bool utf8A,
                                           bool utf8B) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const FileDifference& d : diffs) {
    const bool utf8 = d.hasA ? utf8A : utf8B;
    const std::string reason =
        (d.side == 0 ? std::string() : std::string("in ") + d.side + ": ") + MessageAsIs(d.reason);
    out.push_back({{"section", Utf8Of(d.section, utf8)},
                   {"key", d.key.empty() ? nlohmann::ordered_json()
                                         : nlohmann::ordered_json(Utf8Of(d.key, utf8))},
                   {"a", Json(d, d.hasA, d.a, utf8A)},
                   {"b", Json(d, d.hasB, d.b, utf8B)},
                   {"read", d.read},
                   {"secret", d.secret},
                   {"reason", Utf8Of(reason, utf8)}});
  }
  return out;
}
