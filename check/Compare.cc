#include "check/Compare.h"

#include <cstring>
#include <map>
#include <tuple>

namespace {

using Key = std::tuple<int, int32_t, int32_t>;

Key KeyOf(const Record& r, bool hosesByNumber) {
  if (r.table == Table::kHose && hosesByNumber) {
    return Key(static_cast<int>(r.table), r.pumpId, r.hose);
  }
  return Key(static_cast<int>(r.table), r.id, 0);
}

// Why IMPORT cannot give the field back its old value, when that is so.
std::string NoteFor(const Record& r, const Change& c) {
  if (HasNoKey(r, c.field)) return "the file has no key for it: IMPORT writes 0";
  if (c.before.OutsideFileCharacters()) {
    return "characters outside the file's character set: IMPORT writes them as ?";
  }
  if (r.table == Table::kHose && std::strncmp(c.field, "Price", 5) == 0 &&
      c.before.kind == Value::Kind::kAmount && c.before.amount > 0.0 && c.before.amount <= 0.1) {
    return "the file leaves out prices up to 0.1: IMPORT writes 0";
  }
  return std::string();
}

}  // namespace

Comparison Compare(const std::vector<Record>& before, const std::vector<Record>& after,
                   bool hosesByNumber, bool allFields) {
  Comparison result;
  std::map<Key, const Record*> old;
  for (const Record& r : before) old.emplace(KeyOf(r, hosesByNumber), &r);
  std::map<Key, bool> seen;

  for (const Record& r : after) {
    Key key = KeyOf(r, hosesByNumber);
    if (!seen.emplace(key, true).second) continue;
    auto it = old.find(key);
    RecordChange rc;
    rc.record = r;
    if (it == old.end()) {
      rc.kind = RecordChange::Kind::kNew;
      ++result.added;
      result.records.push_back(std::move(rc));
      continue;
    }
    const Record& b = *it->second;
    rc.kind = RecordChange::Kind::kChanged;
    for (const Field& f : r.fields) {
      const Field* bf = b.Find(f.name);
      if (bf == nullptr && !allFields) continue;
      if (bf != nullptr && bf->value.Same(f.value)) continue;
      Change c;
      c.field = f.name;
      c.hasBefore = bf != nullptr;
      if (bf != nullptr) c.before = bf->value;
      c.after = f.value;
      c.secret = IsSecret(r, f.name);
      if (!allFields && bf != nullptr) c.note = NoteFor(r, c);
      rc.changes.push_back(std::move(c));
    }
    if (allFields) {
      for (const Field& f : b.fields) {
        if (r.Find(f.name) != nullptr) continue;
        Change c;
        c.field = f.name;
        c.hasAfter = false;
        c.before = f.value;
        c.secret = IsSecret(b, f.name);
        rc.changes.push_back(std::move(c));
      }
    }
    if (!rc.changes.empty()) {
      ++result.changed;
      result.records.push_back(std::move(rc));
    }
  }

  for (const Record& r : before) {
    Key key = KeyOf(r, hosesByNumber);
    if (seen.count(key) != 0) continue;
    seen.emplace(key, true);
    RecordChange rc;
    rc.kind = RecordChange::Kind::kOnlyBefore;
    rc.record = r;
    ++result.onlyBefore;
    result.records.push_back(std::move(rc));
  }
  return result;
}
