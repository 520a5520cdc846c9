// The controller's configuration in an SQLite database file (WAL, never
// synced: a call's writes survive a killed emulator, not a crashed machine).
// Every statement is prepared once and reused. A NULL column is a value the
// controller does not have: the library leaves that out-value untouched.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulator/server/Schema.h"

struct sqlite3;
struct sqlite3_stmt;

namespace emu {

using nlohmann::json;

class Store {
 public:
  Store() = default;
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;
  ~Store();

  // Opens or creates the database and its tables. On failure error says why.
  bool Open(const std::string& path, std::string& error);

  void Begin();
  void Commit();
  void Rollback();
  void Clear();  // every record, price, setting and journal entry

  // By-ordinal order: ascending identifier, or the fixture's own order when
  // the fixture asked for it (keepOrder).
  int64_t Count(const Table& t);
  std::optional<int32_t> IdAt(const Table& t, int64_t ordinal);  // ordinal from 1
  bool Exists(const Table& t, int32_t id);
  // The record's non-NULL fields (set and extra), keyed by field name, plus "id".
  std::optional<json> Get(const Table& t, int32_t id);
  // Every record with its non-NULL fields, in by-ordinal order.
  std::vector<json> All(const Table& t);
  // Creates the record or replaces the fields in values (keys of t.set and
  // t.extra; a missing or null key stores NULL). Fields not named keep their
  // value only with keepOthers; a new record goes last in the fixture order.
  void Put(const Table& t, int32_t id, const json& values, bool keepOthers);

  // A pump's hoses, in ascending hose number (or the fixture's order).
  int64_t HoseCount(int32_t pumpId);
  std::optional<int32_t> HoseAt(int32_t pumpId, int64_t position);  // position from 1

  std::optional<double> Price(int32_t grade, int level);
  void SetPrice(int32_t grade, int level, double price);
  std::map<int, double> Prices(int32_t grade);

  // Settings kept as JSON: "versions", "keepOrder", "counts", "faults".
  json Setting(const std::string& key);
  void SetSetting(const std::string& key, const json& value);

  void AppendJournal(const std::string& call, const json& args);
  json Journal();
  void ClearJournal();

 private:
  sqlite3_stmt* Prepare(const std::string& sql);
  void Exec(const std::string& sql);
  std::string OrderBy(const char* defaultOrder);

  sqlite3* db_ = nullptr;
  std::map<std::string, sqlite3_stmt*> statements_;
  std::optional<bool> keepOrder_;
  // Each table's identifiers in by-ordinal order, read on the first IdAt and
  // dropped by anything that can change the order.
  std::map<const Table*, std::vector<int32_t>> ordinals_;
  // The hoses of the pump asked for last, in by-position order: a pump's
  // hoses are walked one position after another. Dropped with the ordinals.
  std::optional<int32_t> hosePump_;
  std::vector<int32_t> hoseIds_;
};

}  // namespace emu
