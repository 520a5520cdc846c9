#include "emulator/server/Fixture.h"

#include <cmath>
#include <set>

namespace emu {

using nlohmann::json;

namespace {

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::Text: return "a text";
    case Kind::F64: return "a number";
    case Kind::I64: return "an integer or a \"0x...\" text";
    default: return "an integer";
  }
}

bool ParseHex(const std::string& text, uint64_t& value) {
  if (text.size() < 3 || text.size() > 18 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return false;
  value = 0;
  for (size_t i = 2; i < text.size(); ++i) {
    char c = text[i];
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) return false;
    value = (value << 4) | static_cast<uint64_t>(digit);
  }
  return true;
}

// Reads one table's records; the caller has checked that list is an array.
struct Loader {
  Store& store;
  std::string error;

  bool Fail(const std::string& where, const std::string& what) {
    if (error.empty()) error = where + ": " + what;
    return false;
  }

  // Copies record[key] into values[key] after checking its type.
  bool Take(const json& record, const Field& f, const std::string& where, json& values) {
    auto it = record.find(f.key);
    if (it == record.end() || it->is_null()) return true;
    json v;
    if (!Normalize(f.kind, *it, v)) return Fail(where + "." + f.key, std::string("expected ") + KindName(f.kind));
    values[f.key] = v;
    return true;
  }

  bool Measures(const json& record, const char* prefix, size_t count, const std::string& where,
                json& values) {
    auto it = record.find("measures");
    if (it == record.end() || it->is_null()) return true;
    if (!it->is_array() || it->size() != count)
      return Fail(where + ".measures", "expected an array of " + std::to_string(count) + " numbers");
    for (size_t i = 0; i < count; ++i) {
      const json& m = (*it)[i];
      if (m.is_null()) continue;
      if (!m.is_number()) return Fail(where + ".measures", "expected numbers");
      values[prefix + std::to_string(i + 1)] = m.get<double>();
    }
    return true;
  }

  bool Details(const json& record, const std::string& where, json& values) {
    auto it = record.find("details");
    if (it == record.end() || it->is_null()) return true;
    if (!it->is_array() || it->size() != 3)
      return Fail(where + ".details", "expected an array of 3 texts");
    const char* keys[3] = {"details1", "details2", "firmwareVersion"};
    for (size_t i = 0; i < 3; ++i) {
      const json& d = (*it)[i];
      if (d.is_null()) continue;
      if (!d.is_string()) return Fail(where + ".details", "expected texts");
      values[keys[i]] = d;
    }
    values["hasDetails"] = 1;
    return true;
  }

  bool Zb2g(const json& record, const std::string& where, json& values) {
    auto it = record.find("zb2g");
    if (it == record.end() || it->is_null()) return true;
    if (!it->is_object()) return Fail(where + ".zb2g", "expected an object");
    static const std::vector<Field> fields = {{"panId", Kind::I64}, {"channels", Kind::I32},
                                              {"keyA", Kind::I64}, {"keyB", Kind::I64}};
    for (auto& item : it->items()) {
      bool known = false;
      for (const Field& f : fields) known = known || f.key == item.key();
      if (!known) return Fail(where + ".zb2g." + item.key(), "unknown key");
    }
    for (const Field& f : fields) {
      if (!Take(*it, f, where + ".zb2g", values)) return false;
    }
    return true;
  }

  bool Prices(const json& record, int32_t grade, const std::string& where) {
    auto it = record.find("prices");
    if (it == record.end() || it->is_null()) return true;
    if (!it->is_object()) return Fail(where + ".prices", "expected an object of levels \"1\" to \"8\"");
    for (auto& item : it->items()) {
      const std::string& level = item.key();
      if (level.size() != 1 || level[0] < '1' || level[0] > '8')
        return Fail(where + ".prices." + level, "price levels are \"1\" to \"8\"");
      if (item.value().is_null()) continue;
      if (!item.value().is_number()) return Fail(where + ".prices." + level, "expected a number");
      store.SetPrice(grade, level[0] - '0', item.value().get<double>());
    }
    return true;
  }

  // One record of table t; parentPump is the pump a nested hose belongs to.
  bool Record(const Table& t, const json& record, const std::string& where,
              std::set<int64_t>& ids, const json& parentPump) {
    if (!record.is_object()) return Fail(where, "expected an object");
    std::set<std::string> allowed = {"id"};
    for (const Field& f : t.set) allowed.insert(f.key);
    for (const Field& f : t.extra) allowed.insert(f.key);
    if (&t == &Tanks() || &t == &Hoses()) allowed.insert("measures");
    if (&t == &Ports() || &t == &ZigBee()) allowed.insert("details");
    if (&t == &Ports()) allowed.insert("zb2g");
    if (&t == &Grades()) allowed.insert("prices");
    if (&t == &Pumps()) allowed.insert("hoses");
    for (const char* hidden : {"hasDetails", "details1", "details2", "firmwareVersion", "panId",
                               "channels", "keyA", "keyB"}) {
      allowed.erase(hidden);  // given through "details" and "zb2g"
    }
    for (int i = 1; i <= 8; ++i) {
      allowed.erase("m" + std::to_string(i));
      allowed.erase("h" + std::to_string(i));
    }
    for (auto& item : record.items()) {
      if (!allowed.count(item.key())) return Fail(where + "." + item.key(), "unknown key");
    }
    auto id = record.find("id");
    if (id == record.end() || !id->is_number_integer())
      return Fail(where + ".id", "expected an integer identifier");
    int64_t value = id->get<int64_t>();
    if (value < INT32_MIN || value > INT32_MAX) return Fail(where + ".id", "out of the 32-bit range");
    if (!ids.insert(value).second)
      return Fail(where + ".id", "identifier " + std::to_string(value) + " given twice");

    json values = json::object();
    for (const Field& f : t.set) {
      if (f.kind == Kind::F64 && f.key.size() == 2 && (f.key[0] == 'm' || f.key[0] == 'h')) continue;
      if (!Take(record, f, where, values)) return false;
    }
    for (const Field& f : t.extra) {
      if (allowed.count(f.key) && !Take(record, f, where, values)) return false;
    }
    if (&t == &Tanks() && !Measures(record, "m", 8, where, values)) return false;
    if (&t == &Hoses()) {
      if (!Measures(record, "h", 4, where, values)) return false;
      if (!values.contains("pumpId")) {
        if (parentPump.is_null()) return Fail(where + ".pumpId", "a hose outside a pump needs its pumpId");
        values["pumpId"] = parentPump;
      }
    }
    if ((&t == &Ports() || &t == &ZigBee()) && !Details(record, where, values)) return false;
    if (&t == &Ports() && !Zb2g(record, where, values)) return false;
    if (&t == &Grades() && !Prices(record, static_cast<int32_t>(value), where)) return false;
    if (&t == &ZigBee() || &t == &Ports()) {
      if (!values.contains("hasDetails")) values["hasDetails"] = 0;
    }
    store.Put(t, static_cast<int32_t>(value), values, false);
    return true;
  }

  bool List(const Table& t, const json& fixture, const std::string& key, std::set<int64_t>& ids) {
    auto it = fixture.find(key);
    if (it == fixture.end() || it->is_null()) return true;
    if (!it->is_array()) return Fail(key, "expected an array of records");
    for (size_t i = 0; i < it->size(); ++i) {
      if (!Record(t, (*it)[i], key + "[" + std::to_string(i) + "]", ids, nullptr)) return false;
    }
    return true;
  }

  bool HoseLists(const json& fixture, std::set<int64_t>& hoseIds) {
    auto pumps = fixture.find("pumps");
    if (pumps != fixture.end() && pumps->is_array()) {
      for (size_t i = 0; i < pumps->size(); ++i) {
        const json& pump = (*pumps)[i];
        auto hoses = pump.find("hoses");
        if (hoses == pump.end() || hoses->is_null()) continue;
        std::string where = "pumps[" + std::to_string(i) + "].hoses";
        if (!hoses->is_array()) return Fail(where, "expected an array of hoses");
        for (size_t j = 0; j < hoses->size(); ++j) {
          if (!Record(emu::Hoses(), (*hoses)[j], where + "[" + std::to_string(j) + "]", hoseIds,
                      pump.value("id", json(nullptr))))
            return false;
        }
      }
    }
    return List(emu::Hoses(), fixture, "hoses", hoseIds);
  }

  bool Faults(const json& fixture) {
    auto it = fixture.find("faults");
    if (it == fixture.end() || it->is_null()) return true;
    if (!it->is_array()) return Fail("faults", "expected an array");
    for (size_t i = 0; i < it->size(); ++i) {
      const json& f = (*it)[i];
      std::string where = "faults[" + std::to_string(i) + "]";
      if (!f.is_object()) return Fail(where, "expected an object");
      for (auto& item : f.items()) {
        static const std::set<std::string> keys = {"call", "args", "code", "delayMs",
                                                   "drop", "nth",  "times", "keep"};
        if (!keys.count(item.key())) return Fail(where + "." + item.key(), "unknown key");
      }
      if (!f.contains("call") || !f["call"].is_string()) return Fail(where + ".call", "expected a call name");
      if (f.contains("args") && !f["args"].is_array()) return Fail(where + ".args", "expected an array");
      if (f.contains("code") && !f["code"].is_number_integer()) return Fail(where + ".code", "expected an integer");
      if (f.contains("drop") && !f["drop"].is_boolean()) return Fail(where + ".drop", "expected true or false");
      if (f.contains("keep") && !f["keep"].is_string()) return Fail(where + ".keep", "expected a field name");
      for (const char* k : {"delayMs", "nth", "times"}) {
        if (f.contains(k) && (!f[k].is_number_integer() || f[k].get<int64_t>() < 0))
          return Fail(where + "." + k, "expected an integer of 0 or more");
      }
      if (!f.contains("code") && !f.contains("delayMs") && !f.contains("drop") && !f.contains("keep"))
        return Fail(where, "a fault needs a code, a delayMs, drop or keep");
    }
    return true;
  }

  bool Settings(const json& fixture) {
    static const std::set<std::string> top = {
        "versions", "keepOrder", "ports", "grades", "tanks", "zigbee", "pumps", "hoses",
        "attendants", "cardClients", "faults", "counts"};
    for (auto& item : fixture.items()) {
      if (!top.count(item.key())) return Fail(item.key(), "unknown key");
    }
    if (fixture.contains("versions")) {
      const json& v = fixture["versions"];
      if (!v.is_object()) return Fail("versions", "expected an object");
      for (auto& item : v.items()) {
        if (item.key() != "dll" && item.key() != "server") return Fail("versions." + item.key(), "unknown key");
        if (!item.value().is_string() && !item.value().is_null())
          return Fail("versions." + item.key(), "expected a text");
      }
      store.SetSetting("versions", v);
    }
    if (fixture.contains("keepOrder")) {
      if (!fixture["keepOrder"].is_boolean()) return Fail("keepOrder", "expected true or false");
      store.SetSetting("keepOrder", fixture["keepOrder"]);
    }
    if (fixture.contains("counts")) {
      const json& c = fixture["counts"];
      if (!c.is_object()) return Fail("counts", "expected an object");
      for (auto& item : c.items()) {
        bool known = false;
        for (const Table* t : AllTables()) known = known || (t->name == item.key() && !t->countCall.empty());
        if (!known) return Fail("counts." + item.key(), "unknown table");
        if (!item.value().is_number_integer()) return Fail("counts." + item.key(), "expected an integer");
      }
      store.SetSetting("counts", c);
    }
    if (!Faults(fixture)) return false;
    if (fixture.contains("faults")) store.SetSetting("faults", fixture["faults"]);
    return true;
  }
};

}  // namespace

bool Normalize(Kind kind, const json& in, json& out) {
  switch (kind) {
    case Kind::Text:
      if (!in.is_string()) return false;
      out = in;
      return true;
    case Kind::F64:
      if (!in.is_number()) return false;
      out = in.get<double>();
      return std::isfinite(out.get<double>());
    case Kind::I64:
      if (in.is_string()) {
        uint64_t value;
        if (!ParseHex(in.get<std::string>(), value)) return false;
        out = static_cast<int64_t>(value);
        return true;
      }
      if (!in.is_number_integer()) return false;
      out = in.is_number_unsigned() ? static_cast<int64_t>(in.get<uint64_t>()) : in.get<int64_t>();
      return true;
    case Kind::I32:
      if (!in.is_number_integer()) return false;
      out = static_cast<int32_t>(static_cast<uint32_t>(in.get<uint64_t>()));
      return true;
    case Kind::I16:
      if (!in.is_number_integer()) return false;
      out = static_cast<int16_t>(static_cast<uint16_t>(in.get<uint64_t>()));
      return true;
  }
  return false;
}

bool LoadFixture(const json& fixture, Store& store, std::string& error) {
  if (!fixture.is_object()) {
    error = "a fixture is a JSON object";
    return false;
  }
  Loader loader{store, {}};
  store.Begin();
  store.Clear();
  std::set<int64_t> ids[7], hoseIds;
  const Table* tables[7] = {&Ports(), &Grades(), &Tanks(), &ZigBee(),
                            &Pumps(), &Attendants(), &CardClients()};
  bool ok = loader.Settings(fixture);
  for (int i = 0; ok && i < 7; ++i) ok = loader.List(*tables[i], fixture, tables[i]->name, ids[i]);
  ok = ok && loader.HoseLists(fixture, hoseIds);
  if (!ok) {
    store.Rollback();
    error = loader.error;
    return false;
  }
  store.Commit();
  return true;
}

json DumpFixture(Store& store) {
  json out = json::object();
  json versions = store.Setting("versions");
  out["versions"] = versions.is_object() ? versions : json::object();
  json keepOrder = store.Setting("keepOrder");
  out["keepOrder"] = keepOrder.is_boolean() && keepOrder.get<bool>();

  auto plain = [](const Table& t, json record) {
    json r = json::object();
    r["id"] = record["id"];
    for (const Field& f : t.set) {
      if (record.contains(f.key)) r[f.key] = record[f.key];
    }
    return r;
  };
  auto measures = [](json& r, const json& record, const char* prefix, int count) {
    json m = json::array();
    bool any = false;
    for (int i = 1; i <= count; ++i) {
      std::string key = prefix + std::to_string(i);
      r.erase(key);
      if (record.contains(key)) {
        m.push_back(record[key]);
        any = true;
      } else {
        m.push_back(nullptr);
      }
    }
    if (any) r["measures"] = m;
  };
  auto details = [](json& r, const json& record) {
    if (record.value("hasDetails", 0) == 0) return;
    json d = json::array();
    for (const char* key : {"details1", "details2", "firmwareVersion"}) {
      d.push_back(record.contains(key) ? record[key] : json(nullptr));
    }
    r["details"] = d;
  };

  json ports = json::array();
  for (json& record : store.All(Ports())) {
    json r = plain(Ports(), record);
    json zb2g = json::object();
    for (const char* key : {"panId", "channels", "keyA", "keyB"}) {
      if (record.contains(key)) zb2g[key] = record[key];
    }
    if (!zb2g.empty()) r["zb2g"] = zb2g;
    details(r, record);
    ports.push_back(r);
  }
  out["ports"] = ports;

  json grades = json::array();
  for (json& record : store.All(Grades())) {
    json r = plain(Grades(), record);
    json prices = json::object();
    for (auto& p : store.Prices(record["id"].get<int32_t>())) prices[std::to_string(p.first)] = p.second;
    if (!prices.empty()) r["prices"] = prices;
    grades.push_back(r);
  }
  out["grades"] = grades;

  json tanks = json::array();
  for (json& record : store.All(Tanks())) {
    json r = plain(Tanks(), record);
    measures(r, record, "m", 8);
    tanks.push_back(r);
  }
  out["tanks"] = tanks;

  json zigbee = json::array();
  for (json& record : store.All(ZigBee())) {
    json r = plain(ZigBee(), record);
    details(r, record);
    zigbee.push_back(r);
  }
  out["zigbee"] = zigbee;

  // Hoses go under their pump; a hose whose pump is missing stays on its own.
  std::vector<json> hoses = store.All(Hoses());
  std::vector<bool> placed(hoses.size(), false);
  json pumps = json::array();
  for (json& record : store.All(Pumps())) {
    json r = plain(Pumps(), record);
    if (record.contains("hoseCount")) r["hoseCount"] = record["hoseCount"];
    json list = json::array();
    for (size_t i = 0; i < hoses.size(); ++i) {
      if (hoses[i].value("pumpId", json(nullptr)) != record["id"]) continue;
      json h = plain(Hoses(), hoses[i]);
      measures(h, hoses[i], "h", 4);
      list.push_back(h);
      placed[i] = true;
    }
    r["hoses"] = list;
    pumps.push_back(r);
  }
  out["pumps"] = pumps;
  json orphans = json::array();
  for (size_t i = 0; i < hoses.size(); ++i) {
    if (placed[i]) continue;
    json h = plain(Hoses(), hoses[i]);
    measures(h, hoses[i], "h", 4);
    orphans.push_back(h);
  }
  if (!orphans.empty()) out["hoses"] = orphans;

  json attendants = json::array();
  for (json& record : store.All(Attendants())) attendants.push_back(plain(Attendants(), record));
  out["attendants"] = attendants;
  json clients = json::array();
  for (json& record : store.All(CardClients())) clients.push_back(plain(CardClients(), record));
  out["cardClients"] = clients;

  json counts = store.Setting("counts");
  if (counts.is_object() && !counts.empty()) out["counts"] = counts;
  json faults = store.Setting("faults");
  if (faults.is_array() && !faults.empty()) out["faults"] = faults;
  return out;
}

}  // namespace emu
