#include "emulator/server/Store.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace emu {

namespace {

// Resets a statement when the scope ends, so that it can be reused.
struct Use {
  explicit Use(sqlite3_stmt* s) : stmt(s) {}
  ~Use() {
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
  }
  sqlite3_stmt* stmt;
};

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::vector<Field> Columns(const Table& t) {
  std::vector<Field> all = t.set;
  all.insert(all.end(), t.extra.begin(), t.extra.end());
  return all;
}

void Bind(sqlite3_stmt* s, int index, const Field& f, const json* v) {
  if (v == nullptr || v->is_null()) {
    sqlite3_bind_null(s, index);
  } else if (f.kind == Kind::Text) {
    const std::string& text = v->get_ref<const std::string&>();
    sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  } else if (f.kind == Kind::F64) {
    sqlite3_bind_double(s, index, v->get<double>());
  } else {
    sqlite3_bind_int64(s, index, v->get<int64_t>());
  }
}

json Column(sqlite3_stmt* s, int index, const Field& f) {
  switch (sqlite3_column_type(s, index)) {
    case SQLITE_NULL:
      return nullptr;
    default:
      break;
  }
  if (f.kind == Kind::Text) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, index));
    return std::string(p, static_cast<size_t>(sqlite3_column_bytes(s, index)));
  }
  if (f.kind == Kind::F64) return sqlite3_column_double(s, index);
  return sqlite3_column_int64(s, index);
}

json Row(sqlite3_stmt* s, const Table& t) {
  json record = json::object();
  record["id"] = sqlite3_column_int64(s, 0);
  std::vector<Field> all = Columns(t);
  for (size_t i = 0; i < all.size(); ++i) {
    json v = Column(s, static_cast<int>(i) + 1, all[i]);
    if (!v.is_null()) record[all[i].key] = std::move(v);
  }
  return record;
}

std::string SelectList(const Table& t) {
  std::string sql = "SELECT id";
  for (const Field& f : Columns(t)) sql += ", " + Quoted(f.key);
  return sql + " FROM " + Quoted(t.name);
}

}  // namespace

Store::~Store() {
  for (auto& entry : statements_) sqlite3_finalize(entry.second);
  if (db_ != nullptr) sqlite3_close(db_);
}

bool Store::Open(const std::string& path, std::string& error) {
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) {
    error = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
    return false;
  }
  sqlite3_busy_timeout(db_, 5000);
  char* message = nullptr;
  std::string schema =
      // One writer, this process: the lock is taken once, not around every
      // call, and is released when the process ends, however it ends. What a
      // call writes is in the operating system's hands when the reply goes
      // out, so it survives a killed emulator; nothing waits for the disk.
      "PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF;"
      "CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
      "CREATE TABLE IF NOT EXISTS prices (grade INTEGER NOT NULL, level INTEGER NOT NULL,"
      " price REAL NOT NULL, PRIMARY KEY (grade, level));"
      "CREATE TABLE IF NOT EXISTS journal (seq INTEGER PRIMARY KEY,"
      " call TEXT NOT NULL, args TEXT NOT NULL);";
  for (const Table* t : AllTables()) {
    schema += "CREATE TABLE IF NOT EXISTS " + Quoted(t->name) + " (id INTEGER PRIMARY KEY";
    for (const Field& f : Columns(*t)) {
      const char* type = f.kind == Kind::Text ? "TEXT" : f.kind == Kind::F64 ? "REAL" : "INTEGER";
      schema += ", " + Quoted(f.key) + " " + type;
    }
    schema += ", ord INTEGER NOT NULL);";
    // A new record's place is MAX(ord) + 1: found in the index, not by a scan.
    schema += "CREATE INDEX IF NOT EXISTS " + Quoted(t->name + "_ord") + " ON " + Quoted(t->name) +
              " (ord);";
  }
  if (sqlite3_exec(db_, schema.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    error = message != nullptr ? message : "cannot create the tables";
    sqlite3_free(message);
    return false;
  }
  return true;
}

sqlite3_stmt* Store::Prepare(const std::string& sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return it->second;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
    // The statements are fixed by the schema; a failure here is a defect.
    std::fprintf(stderr, "tarvo-emulator: cannot prepare %s: %s\n", sql.c_str(),
                 sqlite3_errmsg(db_));
    std::abort();
  }
  statements_[sql] = s;
  return s;
}

void Store::Exec(const std::string& sql) {
  sqlite3_stmt* s = Prepare(sql);
  Use use(s);
  int rc = sqlite3_step(s);
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "tarvo-emulator: %s: %s\n", sql.c_str(), sqlite3_errmsg(db_));
  }
}

void Store::Begin() { Exec("BEGIN"); }
void Store::Commit() { Exec("COMMIT"); }
void Store::Rollback() {
  Exec("ROLLBACK");
  keepOrder_.reset();
  ordinals_.clear();
  hosePump_.reset();
}

void Store::Clear() {
  for (const Table* t : AllTables()) Exec("DELETE FROM " + Quoted(t->name));
  Exec("DELETE FROM prices");
  Exec("DELETE FROM settings");
  Exec("DELETE FROM journal");
  keepOrder_.reset();
  ordinals_.clear();
  hosePump_.reset();
}

std::string Store::OrderBy(const char* defaultOrder) {
  if (!keepOrder_) keepOrder_ = Setting("keepOrder").is_boolean() && Setting("keepOrder").get<bool>();
  return *keepOrder_ ? " ORDER BY ord, id" : std::string(" ORDER BY ") + defaultOrder;
}

int64_t Store::Count(const Table& t) {
  sqlite3_stmt* s = Prepare("SELECT COUNT(*) FROM " + Quoted(t.name));
  Use use(s);
  return sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
}

std::optional<int32_t> Store::IdAt(const Table& t, int64_t ordinal) {
  if (ordinal < 1) return std::nullopt;
  // A walk by ordinal reads the table's order once, not once per step.
  auto cached = ordinals_.find(&t);
  if (cached == ordinals_.end()) {
    std::vector<int32_t> ids;
    sqlite3_stmt* s = Prepare("SELECT id FROM " + Quoted(t.name) + OrderBy("id"));
    Use use(s);
    while (sqlite3_step(s) == SQLITE_ROW) ids.push_back(static_cast<int32_t>(sqlite3_column_int64(s, 0)));
    cached = ordinals_.emplace(&t, std::move(ids)).first;
  }
  if (ordinal > static_cast<int64_t>(cached->second.size())) return std::nullopt;
  return cached->second[static_cast<size_t>(ordinal - 1)];
}

bool Store::Exists(const Table& t, int32_t id) {
  sqlite3_stmt* s = Prepare("SELECT 1 FROM " + Quoted(t.name) + " WHERE id = ?");
  Use use(s);
  sqlite3_bind_int64(s, 1, id);
  return sqlite3_step(s) == SQLITE_ROW;
}

std::optional<json> Store::Get(const Table& t, int32_t id) {
  sqlite3_stmt* s = Prepare(SelectList(t) + " WHERE id = ?");
  Use use(s);
  sqlite3_bind_int64(s, 1, id);
  if (sqlite3_step(s) != SQLITE_ROW) return std::nullopt;
  return Row(s, t);
}

std::vector<json> Store::All(const Table& t) {
  std::vector<json> out;
  sqlite3_stmt* s = Prepare(SelectList(t) + OrderBy(&t == &Hoses() ? "pumpId, number, id" : "id"));
  Use use(s);
  while (sqlite3_step(s) == SQLITE_ROW) out.push_back(Row(s, t));
  return out;
}

void Store::Put(const Table& t, int32_t id, const json& values, bool keepOthers) {
  ordinals_.erase(&t);
  if (&t == &Hoses()) hosePump_.reset();
  const std::vector<Field> all = Columns(t);
  std::vector<Field> named;
  for (const Field& f : all) {
    if (!keepOthers || values.contains(f.key)) named.push_back(f);
  }
  std::string sql = "INSERT INTO " + Quoted(t.name) + " (id, ord";
  for (const Field& f : named) sql += ", " + Quoted(f.key);
  sql += ") VALUES (?, (SELECT COALESCE(MAX(ord), 0) + 1 FROM " + Quoted(t.name) + ")";
  for (size_t i = 0; i < named.size(); ++i) sql += ", ?";
  sql += ") ON CONFLICT(id) DO UPDATE SET ord = ord";
  for (const Field& f : named) sql += ", " + Quoted(f.key) + " = excluded." + Quoted(f.key);
  sqlite3_stmt* s = Prepare(sql);
  Use use(s);
  sqlite3_bind_int64(s, 1, id);
  for (size_t i = 0; i < named.size(); ++i) {
    auto it = values.find(named[i].key);
    Bind(s, static_cast<int>(i) + 2, named[i], it == values.end() ? nullptr : &*it);
  }
  if (sqlite3_step(s) != SQLITE_DONE) {
    std::fprintf(stderr, "tarvo-emulator: cannot store %s %d: %s\n", t.noun.c_str(), id,
                 sqlite3_errmsg(db_));
  }
}

int64_t Store::HoseCount(int32_t pumpId) {
  sqlite3_stmt* s = Prepare("SELECT COUNT(*) FROM hoses WHERE pumpId = ?");
  Use use(s);
  sqlite3_bind_int64(s, 1, pumpId);
  return sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
}

std::optional<int32_t> Store::HoseAt(int32_t pumpId, int64_t position) {
  if (position < 1) return std::nullopt;
  // The pump's order is read once for its walk, not once per position.
  if (hosePump_ != pumpId) {
    hoseIds_.clear();
    sqlite3_stmt* s = Prepare("SELECT id FROM hoses WHERE pumpId = ?" + OrderBy("number, id"));
    Use use(s);
    sqlite3_bind_int64(s, 1, pumpId);
    while (sqlite3_step(s) == SQLITE_ROW) {
      hoseIds_.push_back(static_cast<int32_t>(sqlite3_column_int64(s, 0)));
    }
    hosePump_ = pumpId;
  }
  if (position > static_cast<int64_t>(hoseIds_.size())) return std::nullopt;
  return hoseIds_[static_cast<size_t>(position - 1)];
}

std::optional<double> Store::Price(int32_t grade, int level) {
  sqlite3_stmt* s = Prepare("SELECT price FROM prices WHERE grade = ? AND level = ?");
  Use use(s);
  sqlite3_bind_int64(s, 1, grade);
  sqlite3_bind_int(s, 2, level);
  if (sqlite3_step(s) != SQLITE_ROW) return std::nullopt;
  return sqlite3_column_double(s, 0);
}

void Store::SetPrice(int32_t grade, int level, double price) {
  sqlite3_stmt* s = Prepare(
      "INSERT INTO prices (grade, level, price) VALUES (?, ?, ?)"
      " ON CONFLICT(grade, level) DO UPDATE SET price = excluded.price");
  Use use(s);
  sqlite3_bind_int64(s, 1, grade);
  sqlite3_bind_int(s, 2, level);
  sqlite3_bind_double(s, 3, price);
  sqlite3_step(s);
}

std::map<int, double> Store::Prices(int32_t grade) {
  std::map<int, double> out;
  sqlite3_stmt* s = Prepare("SELECT level, price FROM prices WHERE grade = ? ORDER BY level");
  Use use(s);
  sqlite3_bind_int64(s, 1, grade);
  while (sqlite3_step(s) == SQLITE_ROW) out[sqlite3_column_int(s, 0)] = sqlite3_column_double(s, 1);
  return out;
}

json Store::Setting(const std::string& key) {
  sqlite3_stmt* s = Prepare("SELECT value FROM settings WHERE key = ?");
  Use use(s);
  sqlite3_bind_text(s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
  if (sqlite3_step(s) != SQLITE_ROW) return nullptr;
  return json::parse(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)), nullptr, false);
}

void Store::SetSetting(const std::string& key, const json& value) {
  sqlite3_stmt* s = Prepare(
      "INSERT INTO settings (key, value) VALUES (?, ?)"
      " ON CONFLICT(key) DO UPDATE SET value = excluded.value");
  Use use(s);
  std::string text = value.dump();
  sqlite3_bind_text(s, 1, key.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 2, text.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_step(s);
  if (key == "keepOrder") {
    keepOrder_.reset();
    ordinals_.clear();
    hosePump_.reset();
  }
}

void Store::AppendJournal(const std::string& call, const json& args) {
  sqlite3_stmt* s = Prepare("INSERT INTO journal (call, args) VALUES (?, ?)");
  Use use(s);
  std::string text = args.dump();
  sqlite3_bind_text(s, 1, call.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(s, 2, text.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_step(s);
}

json Store::Journal() {
  json out = json::array();
  sqlite3_stmt* s = Prepare("SELECT call, args FROM journal ORDER BY seq");
  Use use(s);
  while (sqlite3_step(s) == SQLITE_ROW) {
    out.push_back({{"call", reinterpret_cast<const char*>(sqlite3_column_text(s, 0))},
                   {"args", json::parse(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)),
                                        nullptr, false)}});
  }
  return out;
}

void Store::ClearJournal() { Exec("DELETE FROM journal"); }

}  // namespace emu
