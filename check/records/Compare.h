// Record by record comparison of two lists of records: the controller and
// what an IMPORT would write (PLAN), or two files as IMPORT reads them (DIFF).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "check/records/Records.h"

struct Change {
  const char* field;
  bool hasBefore = true;  // false: the field is only in the "after" record
  bool hasAfter = true;
  Value before;
  Value after;
  bool secret = false;  // say that it changed, never what it was or becomes
  std::string note;     // why the file cannot carry the old value, when it cannot
};

struct RecordChange {
  enum class Kind { kNew, kChanged, kOnlyBefore };
  Kind kind = Kind::kNew;
  Record record;  // the "after" record, or the "before" one for kOnlyBefore
  std::vector<Change> changes;
  // Without allFields: fields of the before record that the after record
  // does not carry and that are not 0, which stay as they are (a grade's
  // price levels above the ones IMPORT writes). A kChanged record may have
  // these alone.
  std::vector<Field> kept;
  // PLAN, a kOnlyBefore record: why IMPORT does not write the file's section
  // of it (the file holds it after a gap, say); empty when the file has none.
  std::string unwrittenBecause;
};

// A hose that the "after" records put on another pump than the "before"
// ones.
struct HoseMove {
  int32_t id = 0;
  int32_t fromPump = 0, fromHose = 0;  // pump identifier and hose number
  int32_t toPump = 0, toHose = 0;
  size_t at = 0;  // shown before records[at]: among the pump it leaves
};

// A pump that, with the "after" records written over the "before" ones,
// holds two or more hoses of one number (writing a hose removes none).
struct SharedNumber {
  int32_t pump = 0, hose = 0;
  std::vector<int32_t> ids;  // ascending
  size_t at = 0;             // shown before records[at]: among that pump
};

// A record whose identifier is below 1 (IMPORT writes a tank's grade and a
// hose's tank from whatever section the reference names): a controller that
// validates identifiers refuses its Set calls. What follows if it does:
// the records IMPORT then skips, and where the import stops, with what that
// leaves unwritten.
struct Refusal {
  Table table = Table::kPort;
  int32_t id = 0;
  std::vector<std::string> skipped;              // record names, in the order IMPORT writes them
  std::string stopsAt;                           // "Pump01 Hose1"; empty when the import goes on
  std::vector<std::pair<Table, int>> unwritten;  // left unwritten by the stop, per table
  size_t at = 0;  // told with records[at]; records.size(): after the last record
};

struct Comparison {
  std::vector<RecordChange> records;  // after's order, then the before-only ones
  std::vector<HoseMove> moves;        // PLAN only (FindHoseMoves)
  std::vector<SharedNumber> shared;
  std::vector<UnwrittenRecord> notRestored;  // PLAN only (FindNotRestored)
  std::vector<Refusal> refusals;             // PLAN only (FindRefusals)
  int changed = 0;
  int added = 0;
  int onlyBefore = 0;
  int keeping = 0;  // records with kept fields and no change
};

// Records match by table and identifier; with hosesByNumber hoses match by
// their pump's identifier and hose number instead (two files may give one
// hose different identifiers). With allFields, a field on one side only is a
// change (DIFF); without it only the after record's fields are compared (the
// controller holds price levels that IMPORT does not write).
Comparison Compare(const std::vector<Record>& before, const std::vector<Record>& after,
                   bool hosesByNumber, bool allFields);
