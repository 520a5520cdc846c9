#include "emulator/server/Controller.h"

#include "emulator/protocol/Protocol.h"
#include "emulator/server/Fixture.h"

namespace emu {

using nlohmann::json;

namespace {

Outcome Failure(int32_t code, const std::string& message) {
  Outcome o;
  o.code = code;
  o.message = message;
  return o;
}

bool ArgInt(const json& args, size_t i, int64_t& value) {
  if (i >= args.size() || !args[i].is_number_integer()) return false;
  value = args[i].get<int64_t>();
  return true;
}

Outcome BadArguments(const std::string& call) {
  return Failure(tarvo_wire::kServerError, "malformed arguments of " + call);
}

json Properties(const Table& t, const json& record) {
  json out = json::object();
  for (const Field& f : t.set) {
    if (record.contains(f.key)) out[f.key] = record[f.key];
  }
  return out;
}

}  // namespace

Controller::Controller(Store& store) : store_(store) { LoadFaults(); }

void Controller::LoadFaults() {
  faults_.clear();
  json list = store_.Setting("faults");
  if (!list.is_array()) return;
  for (const json& rule : list) faults_.push_back({rule, 0, 0});
}

// Every fault whose call and leading arguments match counts the call; the
// first of them that is due fires. "nth": only the nth matching call;
// "times": at most that many times; neither: every time.
const Controller::Fault* Controller::Match(const std::string& call, const json& args) {
  const Fault* due = nullptr;
  for (Fault& f : faults_) {
    if (f.rule.value("call", "") != call) continue;
    if (f.rule.contains("args")) {
      const json& want = f.rule["args"];
      bool same = args.is_array() && want.size() <= args.size();
      for (size_t i = 0; same && i < want.size(); ++i) same = want[i] == args[i];
      if (!same) continue;
    }
    ++f.matches;
    if (due != nullptr) continue;
    if (f.rule.contains("nth") && f.matches != f.rule["nth"].get<int64_t>()) continue;
    if (f.rule.contains("times") && f.fired >= f.rule["times"].get<int64_t>()) continue;
    ++f.fired;
    due = &f;
  }
  return due;
}

Outcome Controller::Handle(const std::string& call, const json& args) {
  if (!call.empty() && call[0] == '$') {
    Outcome o;
    if (call == "$state") {
      o.out["state"] = DumpFixture(store_);
    } else if (call == "$journal") {
      o.out["journal"] = store_.Journal();
    } else if (call == "$clearJournal") {
      store_.ClearJournal();
    } else if (call == "$load") {
      if (!args.is_array() || args.size() != 1) return BadArguments(call);
      std::string error;
      if (!LoadFixture(args[0], store_, error)) return Failure(tarvo_wire::kInvalidValue, error);
      LoadFaults();
    } else {
      return Failure(tarvo_wire::kServerError, "unknown inspection call " + call);
    }
    return o;
  }

  store_.AppendJournal(call, args);
  const Fault* fault = Match(call, args);
  if (fault == nullptr) return Execute(call, args);
  int delay = static_cast<int>(fault->rule.value("delayMs", int64_t(0)));
  Outcome o;
  if (fault->rule.value("drop", false)) {
    o.drop = true;
  } else if (fault->rule.contains("code")) {
    o = Failure(fault->rule["code"].get<int32_t>(), "injected fault in " + call);
  } else if (fault->rule.contains("keep")) {
    o = Execute(call, args, fault->rule["keep"].get<std::string>());
  } else {
    o = Execute(call, args);
  }
  o.delayMs = delay;
  return o;
}

Outcome Controller::Execute(const std::string& call, const json& args, const std::string& keep) {
  if (!args.is_array()) return BadArguments(call);
  Outcome o;
  int64_t id = 0;

  if (call == "ClientLogonEx") return o;
  if (call == "DllVersion" || call == "ServerVersion") {
    json versions = store_.Setting("versions");
    const char* key = call == "DllVersion" ? "dll" : "server";
    if (versions.is_object() && versions.contains(key) && versions[key].is_string()) {
      o.out["version"] = versions[key];
    }
    return o;
  }

  for (const Table* tp : AllTables()) {
    const Table& t = *tp;
    if (call == t.countCall) {
      json counts = store_.Setting("counts");
      if (counts.is_object() && counts.contains(t.name)) {
        o.out["count"] = counts[t.name];
      } else {
        o.out["count"] = store_.Count(t);
      }
      return o;
    }
    if (call == t.byOrdinalCall) {
      if (!ArgInt(args, 0, id)) return BadArguments(call);
      auto found = store_.IdAt(t, id);
      if (!found) return Failure(tarvo_wire::kNotFound, "no " + t.noun + " at ordinal " + std::to_string(id));
      o.out["id"] = *found;
      return o;
    }
    if (call == t.propertiesCall) {
      if (!ArgInt(args, 0, id)) return BadArguments(call);
      auto record = store_.Get(t, static_cast<int32_t>(id));
      if (!record) return Failure(tarvo_wire::kNotFound, "no " + t.noun + " " + std::to_string(id));
      o.out = Properties(t, *record);
      return o;
    }
    if (call == t.setCall) {
      if (args.size() != t.set.size() + 1 || !ArgInt(args, 0, id)) return BadArguments(call);
      if (id < 1) {
        return Failure(tarvo_wire::kInvalidValue,
                       t.noun + " identifier " + std::to_string(id) + " is not 1 or more");
      }
      json values = json::object();
      for (size_t i = 0; i < t.set.size(); ++i) {
        json v;
        if (!Normalize(t.set[i].kind, args[i + 1], v)) {
          return Failure(tarvo_wire::kInvalidValue,
                         t.set[i].key + " of " + t.noun + " " + std::to_string(id));
        }
        values[t.set[i].key] = v;
      }
      // A controller refuses records that point at records it does not have.
      if (&t == &Tanks() && !store_.Exists(Grades(), values["grade"].get<int32_t>())) {
        return Failure(tarvo_wire::kMissingReference,
                       "grade " + values["grade"].dump() + " of tank " + std::to_string(id));
      }
      if (&t == &Hoses()) {
        if (!store_.Exists(Pumps(), values["pumpId"].get<int32_t>())) {
          return Failure(tarvo_wire::kMissingReference,
                         "pump " + values["pumpId"].dump() + " of hose " + std::to_string(id));
        }
        if (!store_.Exists(Tanks(), values["tank"].get<int32_t>())) {
          return Failure(tarvo_wire::kMissingReference,
                         "tank " + values["tank"].dump() + " of hose " + std::to_string(id));
        }
      }
      // A "keep" fault: the call succeeds, and the named field keeps the
      // value it had (a field the call does not carry stays as it is).
      if (!keep.empty()) values.erase(keep);
      store_.Put(t, static_cast<int32_t>(id), values, true);
      return o;
    }
  }

  if (call == "GetZB2GConfig") {
    if (!ArgInt(args, 0, id)) return BadArguments(call);
    auto record = store_.Get(Ports(), static_cast<int32_t>(id));
    if (!record) return Failure(tarvo_wire::kNotFound, "no port " + std::to_string(id));
    for (const char* key : {"panId", "channels", "keyA", "keyB"}) {
      if (record->contains(key)) o.out[key] = (*record)[key];
    }
    return o;
  }
  if (call == "GetDeviceDetails") {
    int64_t portId = 0;
    if (!ArgInt(args, 0, portId) || !ArgInt(args, 1, id)) return BadArguments(call);
    // -1 in the second place asks for the device on the port itself.
    bool onPort = id == -1;
    const Table& t = onPort ? Ports() : ZigBee();
    int64_t which = onPort ? portId : id;
    std::string name = t.noun + " " + std::to_string(which);
    auto record = store_.Get(t, static_cast<int32_t>(which));
    if (!record) return Failure(tarvo_wire::kNotFound, "no " + name);
    if (record->value("hasDetails", 0) == 0) return Failure(tarvo_wire::kNoDeviceDetails, name);
    for (const char* key : {"details1", "details2", "firmwareVersion"}) {
      if (record->contains(key)) o.out[key] = (*record)[key];
    }
    return o;
  }
  if (call == "GetGradePrice" || call == "SetGradePrice") {
    int64_t level = 0;
    if (!ArgInt(args, 0, id) || !ArgInt(args, 1, level)) return BadArguments(call);
    if (level < 1 || level > 8) {
      return Failure(tarvo_wire::kInvalidValue, "price level " + std::to_string(level) + " is not 1 to 8");
    }
    if (!store_.Exists(Grades(), static_cast<int32_t>(id))) {
      return Failure(tarvo_wire::kNotFound, "no grade " + std::to_string(id));
    }
    if (call == "GetGradePrice") {
      auto price = store_.Price(static_cast<int32_t>(id), static_cast<int>(level));
      if (price) o.out["price"] = *price;
      return o;
    }
    json price;
    if (args.size() != 3 || !Normalize(Kind::F64, args[2], price)) {
      return Failure(tarvo_wire::kInvalidValue, "price of grade " + std::to_string(id));
    }
    store_.SetPrice(static_cast<int32_t>(id), static_cast<int>(level), price.get<double>());
    return o;
  }
  if (call == "GetPumpHosesCount" || call == "GetPumpHoseByNumber") {
    if (!ArgInt(args, 0, id)) return BadArguments(call);
    auto pump = store_.Get(Pumps(), static_cast<int32_t>(id));
    if (!pump) return Failure(tarvo_wire::kNotFound, "no pump " + std::to_string(id));
    if (call == "GetPumpHosesCount") {
      o.out["count"] = pump->contains("hoseCount") ? (*pump)["hoseCount"]
                                                    : json(store_.HoseCount(static_cast<int32_t>(id)));
      return o;
    }
    int64_t number = 0;
    if (!ArgInt(args, 1, number)) return BadArguments(call);
    auto hose = store_.HoseAt(static_cast<int32_t>(id), number);
    if (!hose) {
      return Failure(tarvo_wire::kNotFound,
                     "no hose " + std::to_string(number) + " on pump " + std::to_string(id));
    }
    o.out["id"] = *hose;
    return o;
  }
  return Failure(tarvo_wire::kServerError, "unknown call " + call);
}

}  // namespace emu
