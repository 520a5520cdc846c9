#include "check/diff/FileDiff.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "check/diff/DiffKeys.h"

namespace {

namespace why = diff_reason;

struct Reason {
  std::string text;
  const char* code = why::kNotRead;
};

// The code of a reason CHECK gives in prose.
const char* CodeOf(const std::string& text) {
  if (text.find("stops before") != std::string::npos ||
      text.find("stops here") != std::string::npos) {
    return why::kAfterStop;
  }
  if (text.find("never reach") != std::string::npos) return why::kNeverReached;
  if (text.find("skips") != std::string::npos) return why::kSkipped;
  return why::kNotRead;
}

// Why IMPORT writes nothing from section (lower-case name) of the file, said
// without parentheses ("IMPORT never reaches it: the walk stops ...").
Reason WhyUnread(const FileCheck& check, const std::string& lower) {
  auto it = check.unread.find(lower);
  if (it == check.unread.end()) return Reason{"IMPORT does not read it", why::kNotRead};
  std::string text = it->second;
  const size_t open = text.find(" (");
  if (open != std::string::npos && text.back() == ')') {
    text = text.substr(0, open) + ": " + text.substr(open + 2, text.size() - open - 3);
  }
  return Reason{text, CodeOf(text)};
}

// What CHECK found on a line of the file (a warning or an error), or null.
const Finding* FoundOn(const FileCheck& check, int line, bool wholeSection) {
  auto it = std::lower_bound(check.findings.begin(), check.findings.end(), line,
                             [](const Finding& f, int l) { return f.line < l; });
  for (; it != check.findings.end() && it->line == line; ++it) {
    if (it->level != Finding::Level::kNote && it->key.empty() == wholeSection) return &*it;
  }
  return nullptr;
}

// A finding past the ones a report lists keeps no message
// (ListedTexts.h): its reason is told by its code alone.
Reason FromFinding(const Finding& f) {
  const std::string code = f.code;
  const std::string text = f.message.empty() ? "IMPORT does not read it" : f.message;
  if (code == "duplicate-section") return Reason{text, why::kSecondCopy};
  if (code == "second-line") return Reason{text, why::kSecondLine};
  return Reason{text, CodeOf(f.message)};
}

// One file's side of a comparison of first copies.
struct Side {
  const FileCheck& check;
  const FileKeys& keys;
  std::map<std::string, const Record*> shown;    // the records part's records, by place
  std::map<std::string, const Record*> written;  // all the import writes, by place

  bool Writes(const std::string& section, const std::string& key) const {
    return written.count(PlaceOfKey(section, key, section.compare(0, 4, "pump") == 0)) != 0;
  }

  const Record* At(const std::string& place) const {
    auto it = shown.find(place);
    return it == shown.end() ? nullptr : it->second;
  }
  // Why the records part does not show key k (null: the key is absent) of
  // the section: what CHECK says of it, else what is known of its place.
  Reason Why(const std::string& section, const KeyLines* k, const Record* at) const {
    if (check.readSections.count(section) == 0) return WhyUnread(check, section);
    for (size_t i = 0; k != nullptr && i < k->lines.size(); ++i) {
      const Finding* f = FoundOn(check, k->lines[i], false);
      if (f == nullptr) f = FoundOn(check, k->headers[i], true);
      if (f != nullptr) return FromFinding(*f);
    }
    if (at == nullptr && check.prediction.result != 0) {
      return Reason{"IMPORT never reaches it: the import stops before it, see the error",
                    why::kAfterStop};
    }
    return Reason{"IMPORT does not read it", why::kNotRead};
  }
};

// Where the records part stands on a key of one file.
struct Seen {
  const Record* record = nullptr;  // shown at the key's place
  bool covered = false;            // the records part tells this file's side of the key
  const char* param = "";
};

Seen SeenIn(const Side& s, const std::string& section, const std::string& key, bool has) {
  const std::string place = PlaceOfKey(section, key, section.compare(0, 4, "pump") == 0);
  Seen seen;
  seen.record = s.At(place);
  if (has) {
    seen.covered = seen.record != nullptr && Carries(*seen.record, key, &seen.param);
  } else {
    seen.covered = seen.record != nullptr || !Holds(s.keys, place);
  }
  return seen;
}

// True when the records part shows a change of the field of a record both
// imports write.
bool Changed(const Comparison& c, const Record& r, const char* param) {
  for (const RecordChange& rc : c.records) {
    if (rc.kind != RecordChange::Kind::kChanged || rc.record.table != r.table ||
        rc.record.id != r.id) {
      continue;
    }
    for (const Change& ch : rc.changes) {
      if (std::string(ch.field) == param) return true;
    }
  }
  return false;
}

struct Differ {
  const Side& a;
  const Side& b;
  const Comparison& records;
  std::vector<FileDifference>* out;

  void Key(const std::string& lower, const SectionKeys* sa, const SectionKeys* sb, const KeyMap& ma,
           const KeyMap& mb, const std::string& key) const;
  void Keys(const std::string& lower, const SectionKeys* sa, const SectionKeys* sb) const;
  void Copy(const std::string& lower, const SectionKeys* sa, const SectionKeys* sb) const;
  void OnlyIn(const Side& side, const std::pair<std::string, SectionKeys>& s, bool inA) const;
};

void Differ::Key(const std::string& lower, const SectionKeys* sa, const SectionKeys* sb,
                 const KeyMap& ma, const KeyMap& mb, const std::string& key) const {
  auto find = [&key](const KeyMap& m) -> const KeyLines* {
    auto it = m.find(key);
    return it == m.end() ? nullptr : &it->second;
  };
  const KeyLines* ka = find(ma);
  const KeyLines* kb = find(mb);
  if (ka != nullptr && kb != nullptr && ka->values == kb->values) return;
  FileDifference d = KeyDifference((ka != nullptr ? sa : sb)->name, ka, kb);
  if (ka != nullptr && kb != nullptr && ka->values[0] == kb->values[0]) {
    // IMPORT reads a key's first line only.
    d.reason = "IMPORT reads the first line of the key only";
    d.reasonCode = why::kSecondLine;
    out->push_back(std::move(d));
    return;
  }
  const Seen seenA = SeenIn(a, lower, key, ka != nullptr);
  const Seen seenB = SeenIn(b, lower, key, kb != nullptr);
  d.read = (ka != nullptr && seenA.covered) || (kb != nullptr && seenB.covered);
  if (seenA.covered && seenB.covered) {
    const bool paired = seenA.record != nullptr && seenB.record != nullptr &&
                        seenA.record->table == seenB.record->table &&
                        seenA.record->id == seenB.record->id;
    const char* param = ka != nullptr ? seenA.param : seenB.param;
    if (!paired || (*param != 0 && Changed(records, *seenB.record, param))) return;
    d.reason = "IMPORT reads the same value from both";
    d.reasonCode = why::kReadAlike;
    out->push_back(std::move(d));
    return;
  }
  const Reason ra = a.Why(lower, ka, seenA.record), rb = b.Why(lower, kb, seenB.record);
  // Where neither side is shown, the reason is that of the file whose
  // import does not write the place.
  const bool fromB = seenA.covered || (seenB.record == nullptr && a.Writes(lower, key));
  const Reason& r = fromB ? rb : ra;
  d.reason = r.text;
  d.reasonCode = r.code;
  d.reasonOf = fromB ? 'b' : 'a';
  // Said of one file where both hold the key and the reason is that file's.
  if (d.hasA && d.hasB && (seenA.covered || seenB.covered || ra.text != rb.text)) {
    d.side = d.reasonOf;
  }
  out->push_back(std::move(d));
}

void Differ::Keys(const std::string& lower, const SectionKeys* sa, const SectionKeys* sb) const {
  if (sa != nullptr && sb != nullptr && SameLines(a.keys, *sa, b.keys, *sb)) return;
  // Each section's keys are listed once here, for all of its keys.
  const KeyMap ma = sa != nullptr ? KeysIn(a.keys, lower, *sa) : KeyMap();
  const KeyMap mb = sb != nullptr ? KeysIn(b.keys, lower, *sb) : KeyMap();
  std::set<std::string> names;
  for (const KeyMap* m : {&ma, &mb}) {
    for (const auto& k : *m) names.insert(k.first);
  }
  for (const std::string& name : names) Key(lower, sa, sb, ma, mb, name);
}

// A later copy of a section against the same copy of the other file: IMPORT
// reads neither.
void Differ::Copy(const std::string& lower, const SectionKeys* sa, const SectionKeys* sb) const {
  const SectionKeys& s = sa != nullptr ? *sa : *sb;
  const SectionKeys* first = (sa != nullptr ? a : b).keys.Find(lower, 0);
  const std::string text =
      "a second section of this name: IMPORT reads only the first one, at line " +
      std::to_string(first != nullptr ? first->line : 0);
  if (sa != nullptr && sb != nullptr && SameLines(a.keys, *sa, b.keys, *sb)) return;
  const size_t begin = out->size();
  const KeyMap ma = sa != nullptr ? KeysIn(a.keys, lower, *sa) : KeyMap();
  const KeyMap mb = sb != nullptr ? KeysIn(b.keys, lower, *sb) : KeyMap();
  if (sa == nullptr || sb == nullptr) {
    if ((sa != nullptr ? ma : mb).empty()) return;
    FileDifference d;
    d.section = s.name;
    d.hasA = sa != nullptr;
    d.hasB = sb != nullptr;
    out->push_back(std::move(d));
  } else {
    std::set<std::string> names;
    for (const auto& k : ma) names.insert(k.first);
    for (const auto& k : mb) names.insert(k.first);
    for (const std::string& name : names) {
      auto ka = ma.find(name), kb = mb.find(name);
      const KeyLines* la = ka == ma.end() ? nullptr : &ka->second;
      const KeyLines* lb = kb == mb.end() ? nullptr : &kb->second;
      if (la != nullptr && lb != nullptr && la->values == lb->values) continue;
      out->push_back(KeyDifference(s.name, la, lb));
    }
  }
  for (size_t i = begin; i < out->size(); ++i) {
    (*out)[i].reason = text;
    (*out)[i].reasonCode = why::kSecondCopy;
    (*out)[i].reasonOf = sa != nullptr ? 'a' : 'b';
  }
}

// A section one file holds and the other does not: its keys where the
// file's import writes records from it, else the whole section (unless it
// holds no key).
void Differ::OnlyIn(const Side& side, const std::pair<std::string, SectionKeys>& s,
                    bool inA) const {
  const std::string& lower = s.first;
  const auto written = side.shown.lower_bound(lower);
  if (written != side.shown.end() && written->first.compare(0, lower.size(), lower) == 0 &&
      (written->first.size() == lower.size() || written->first[lower.size()] == ' ')) {
    Keys(lower, inA ? &s.second : nullptr, inA ? nullptr : &s.second);
    return;
  }
  if (KeysIn(side.keys, lower, s.second).empty()) return;
  FileDifference d;
  d.section = s.second.name;
  d.hasA = inA;
  d.hasB = !inA;
  const Finding* found = FoundOn(side.check, s.second.line, true);
  const Reason r = side.check.unread.count(lower) != 0 || found == nullptr
                       ? WhyUnread(side.check, lower)
                       : FromFinding(*found);
  d.reason = r.text;
  d.reasonCode = r.code;
  d.reasonOf = inA ? 'a' : 'b';
  out->push_back(std::move(d));
}

}  // namespace

FilesDiff DiffFiles(const FileCheck& a, const FileCheck& b) {
  const FileKeys keysA = KeysOf(a), keysB = KeysOf(b);
  const Side sideA{a, keysA, ShownAt(a, b, keysB), WrittenAt(a)};
  const Side sideB{b, keysB, ShownAt(b, a, keysA), WrittenAt(b)};
  FilesDiff diff;
  diff.records = CompareShown(a, b, sideA.shown, sideB.shown);
  const Differ differ{sideA, sideB, diff.records, &diff.others};
  for (const auto& s : keysA.sections) {
    const SectionKeys* other = keysB.Find(s.first, s.second.copy);
    if (s.second.copy > 0) {
      differ.Copy(s.first, &s.second, other);
    } else if (other == nullptr) {
      differ.OnlyIn(sideA, s, true);
    } else {
      differ.Keys(s.first, &s.second, other);
    }
  }
  for (const auto& s : keysB.sections) {
    if (keysA.Find(s.first, s.second.copy) != nullptr) continue;
    if (s.second.copy > 0) {
      differ.Copy(s.first, nullptr, &s.second);
    } else {
      differ.OnlyIn(sideB, s, false);
    }
  }
  return diff;
}
