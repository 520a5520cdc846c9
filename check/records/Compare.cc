#include "check/records/Compare.h"

#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace {

// Table, then the identifier, or for a hose matched by number its pump and
// hose number, packed into one integer.
using Key = uint64_t;

Key KeyOf(const Record& r, bool hosesByNumber) {
  const uint64_t table = static_cast<uint64_t>(r.table) << 60;
  if (r.table == Table::kHose && hosesByNumber) {
    return table | (uint64_t{1} << 59) |
           (static_cast<uint64_t>(static_cast<uint32_t>(r.pumpId)) << 16) |
           static_cast<uint16_t>(r.hose);
  }
  return table | static_cast<uint32_t>(r.id);
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

namespace {

// The changes from record b to record r (the same record on both sides), and
// the price levels b holds that r does not write.
RecordChange ChangesOf(const Record& b, const Record& r, bool allFields) {
  RecordChange rc;
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
  if (!allFields && r.table == Table::kGrade) {
    for (const Field& f : b.fields) {
      if (std::strncmp(f.name, "Price", 5) != 0 || r.Find(f.name) != nullptr) continue;
      if (f.value.Same(Value::Amount(0.0))) continue;
      rc.kept.push_back(f);
    }
  }
  return rc;
}

}  // namespace

Comparison Compare(const std::vector<Record>& before, const std::vector<Record>& after,
                   bool hosesByNumber, bool allFields) {
  Comparison result;
  std::unordered_map<Key, const Record*> old;
  old.reserve(before.size());
  for (const Record& r : before) old.emplace(KeyOf(r, hosesByNumber), &r);
  std::unordered_set<Key> seen;
  seen.reserve(after.size());

  for (const Record& r : after) {
    Key key = KeyOf(r, hosesByNumber);
    if (!seen.insert(key).second) continue;
    auto it = old.find(key);
    if (it == old.end()) {
      RecordChange rc;
      rc.kind = RecordChange::Kind::kNew;
      rc.record = r;
      ++result.added;
      result.records.push_back(std::move(rc));
      continue;
    }
    RecordChange rc = ChangesOf(*it->second, r, allFields);
    if (rc.changes.empty() && rc.kept.empty()) continue;
    rc.record = r;
    ++(rc.changes.empty() ? result.keeping : result.changed);
    result.records.push_back(std::move(rc));
  }

  for (const Record& r : before) {
    if (!seen.insert(KeyOf(r, hosesByNumber)).second) continue;
    RecordChange rc;
    rc.kind = RecordChange::Kind::kOnlyBefore;
    rc.record = r;
    ++result.onlyBefore;
    result.records.push_back(std::move(rc));
  }
  return result;
}
