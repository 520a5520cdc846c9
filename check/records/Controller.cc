#include "check/records/Controller.h"

#include "check/text/ShownText.h"
#include "client/CheckResult.h"
#include "client/ClientLibrary.h"
#include "client/LibString.h"
#include "profile/Text.h"

namespace {

// An out-value string's text; a null string (a value the library did not
// fill) gives an empty text.
Value TextOf(const LibString& s) { return Value::Text(s.ToText().Units()); }

Value Int(int64_t n) { return Value::Int(n); }
Value Amt(double a) { return Value::Amount(a); }

class Reader {
 public:
  Reader(ClientLibrary& library, std::vector<Record>* records, std::string* failure)
      : lib_(library), records_(records), failure_(failure) {}

  bool Ok(const char* call, int32_t code) {
    if (code == 0) return true;
    *failure_ = std::string(call) + " failed - " + LibraryTextUtf8(ResultText(lib_, code)) + ".";
    return false;
  }

  // The identifiers of a table, by ordinal.
  bool Ids(const char* countCall, int32_t (ClientLibrary::*count)(int32_t*),
           const char* byOrdinalCall, int32_t (ClientLibrary::*byOrdinal)(int32_t, int32_t*),
           std::vector<int32_t>* ids) {
    int32_t n = 0;
    if (!Ok(countCall, (lib_.*count)(&n))) return false;
    for (int32_t i = 1; i <= n; ++i) {
      int32_t id = -1;
      if (!Ok(byOrdinalCall, (lib_.*byOrdinal)(i, &id))) return false;
      ids->push_back(id);
    }
    return true;
  }

  // The record of a Get call's out-values, in the call's order.
  Record& Add(Table table, int32_t id, std::vector<Value> values) {
    records_->push_back(MakeRecord(table, id, std::move(values)));
    return records_->back();
  }

  bool Ports() {
    std::vector<int32_t> ids;
    if (!Ids("GetPortsCount", &ClientLibrary::GetPortsCount, "GetPortByOrdinal",
             &ClientLibrary::GetPortByOrdinal, &ids)) {
      return false;
    }
    for (int32_t id : ids) {
      int32_t number = 0, protocolId = 0;
      int16_t deviceType = 0;
      LibString name, serialNo;
      if (!Ok("GetPortProperties", lib_.GetPortProperties(id, &number, name.Out(), &protocolId,
                                                          &deviceType, serialNo.Out()))) {
        return false;
      }
      Add(Table::kPort, id,
          {Int(number), TextOf(name), Int(protocolId), Int(deviceType), TextOf(serialNo)});
    }
    return true;
  }

  bool Grades() {
    std::vector<int32_t> ids;
    if (!Ids("GetGradesCount", &ClientLibrary::GetGradesCount, "GetGradeByOrdinal",
             &ClientLibrary::GetGradeByOrdinal, &ids)) {
      return false;
    }
    for (int32_t id : ids) {
      int32_t number = 0;
      LibString name, shortName, code;
      if (!Ok("GetGradeProperties",
              lib_.GetGradeProperties(id, &number, name.Out(), shortName.Out(), code.Out()))) {
        return false;
      }
      Add(Table::kGrade, id, {Int(number), TextOf(name), TextOf(shortName), TextOf(code)});
      for (int16_t level = 1; level <= kPriceLevels; ++level) {
        double price = 0.0;
        if (!Ok("GetGradePrice", lib_.GetGradePrice(id, level, &price))) return false;
        records_->back().Put(PriceLevelParam(level), Amt(price));
      }
    }
    return true;
  }

  bool Tanks() {
    std::vector<int32_t> ids;
    if (!Ids("GetTanksCount", &ClientLibrary::GetTanksCount, "GetTankByOrdinal",
             &ClientLibrary::GetTankByOrdinal, &ids)) {
      return false;
    }
    for (int32_t id : ids) {
      int32_t number = 0, grade = 0, tankGauge = 0;
      int16_t type = 0, probe = 0;
      double capacity = 0, diameter = 0, m[8] = {};
      LibString name;
      if (!Ok("GetTankProperties",
              lib_.GetTankProperties(id, &number, name.Out(), &grade, &type, &capacity, &diameter,
                                     &m[0], &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7],
                                     &tankGauge, &probe))) {
        return false;
      }
      Add(Table::kTank, id,
          {Int(number), TextOf(name), Int(grade), Int(type), Amt(capacity), Amt(diameter),
           Amt(m[0]), Amt(m[1]), Amt(m[2]), Amt(m[3]), Amt(m[4]), Amt(m[5]), Amt(m[6]), Amt(m[7]),
           Int(tankGauge), Int(probe)});
    }
    return true;
  }

  bool ZigBees() {
    std::vector<int32_t> ids;
    if (!Ids("GetZigBeeCount", &ClientLibrary::GetZigBeeCount, "GetZigBeeByOrdinal",
             &ClientLibrary::GetZigBeeByOrdinal, &ids)) {
      return false;
    }
    for (int32_t id : ids) {
      int32_t number = 0, portId = 0;
      int16_t deviceType = 0;
      LibString name, serial, node;
      if (!Ok("GetZigBeeProperties", lib_.GetZigBeeProperties(id, &number, name.Out(), &deviceType,
                                                              serial.Out(), node.Out(), &portId))) {
        return false;
      }
      Add(Table::kZigBee, id,
          {Int(number), TextOf(name), Int(deviceType), TextOf(serial), TextOf(node), Int(portId)});
    }
    return true;
  }

  bool Hoses(int32_t pumpId) {
    int32_t count = 0;
    if (!Ok("GetPumpHosesCount", lib_.GetPumpHosesCount(pumpId, &count))) return false;
    for (int32_t j = 1; j <= count; ++j) {
      int32_t hoseId = -1;
      if (!Ok("GetPumpHoseByNumber", lib_.GetPumpHoseByNumber(pumpId, j, &hoseId))) return false;
      int32_t number = 0, pump = 0, tank = 0, physicalNumber = 0;
      double h[4] = {}, price1 = 0, price2 = 0;
      int16_t reader = 0, enabled = 0;
      if (!Ok("GetHosePropertiesEx2",
              lib_.GetHosePropertiesEx2(hoseId, &number, &pump, &tank, &physicalNumber, &h[0],
                                        &h[1], &h[2], &h[3], &reader, &price1, &price2,
                                        &enabled))) {
        return false;
      }
      Record& r = Add(Table::kHose, hoseId,
                      {Int(number), Int(pump), Int(tank), Int(physicalNumber), Amt(h[0]), Amt(h[1]),
                       Amt(h[2]), Amt(h[3]), Int(reader), Amt(price1), Amt(price2), Int(enabled)});
      r.pumpId = pumpId;
      r.hose = number;
    }
    return true;
  }

  bool Pumps() {
    std::vector<int32_t> ids;
    if (!Ids("GetPumpsCount", &ClientLibrary::GetPumpsCount, "GetPumpByOrdinal",
             &ClientLibrary::GetPumpByOrdinal, &ids)) {
      return false;
    }
    for (int32_t id : ids) {
      int32_t number = 0, portId = 0, attendantId = 0, slot = 0, mux = 0;
      int16_t v[15] = {};
      LibString name;
      if (!Ok("GetPumpPropertiesEx",
              lib_.GetPumpPropertiesEx(id, &number, name.Out(), &v[0], &v[1], &v[2], &v[3], &v[4],
                                       &v[5], &v[6], &v[7], &v[8], &portId, &attendantId, &v[9],
                                       &v[10], &v[11], &v[12], &slot, &mux, &v[13], &v[14]))) {
        return false;
      }
      Add(Table::kPump, id,
          {Int(number),      TextOf(name), Int(v[0]),  Int(v[1]),  Int(v[2]),  Int(v[3]),
           Int(v[4]),        Int(v[5]),    Int(v[6]),  Int(v[7]),  Int(v[8]),  Int(portId),
           Int(attendantId), Int(v[9]),    Int(v[10]), Int(v[11]), Int(v[12]), Int(slot),
           Int(mux),         Int(v[13]),   Int(v[14])});
      if (!Hoses(id)) return false;
    }
    return true;
  }

  bool Attendants() {
    std::vector<int32_t> ids;
    if (!Ids("GetAttendantsCount", &ClientLibrary::GetAttendantsCount, "GetAttendantByOrdinal",
             &ClientLibrary::GetAttendantByOrdinal, &ids)) {
      return false;
    }
    for (int32_t id : ids) {
      int32_t number = 0;
      int16_t v[5] = {};
      LibString name, shortName, password, tag;
      if (!Ok("GetAttendantPropertiesEx",
              lib_.GetAttendantPropertiesEx(id, &number, name.Out(), shortName.Out(),
                                            password.Out(), tag.Out(), &v[0], &v[1], &v[2], &v[3],
                                            &v[4]))) {
        return false;
      }
      Add(Table::kAttendant, id,
          {Int(number), TextOf(name), TextOf(shortName), TextOf(password), TextOf(tag), Int(v[0]),
           Int(v[1]), Int(v[2]), Int(v[3]), Int(v[4])});
    }
    return true;
  }

  bool CardClients() {
    std::vector<int32_t> ids;
    if (!Ids("GetCardClientsCount", &ClientLibrary::GetCardClientsCount, "GetCardClientByOrdinal",
             &ClientLibrary::GetCardClientByOrdinal, &ids)) {
      return false;
    }
    for (int32_t id : ids) {
      int32_t number = 0;
      int16_t enabled = 0;
      LibString name, tag;
      if (!Ok("GetCardClientProperties",
              lib_.GetCardClientProperties(id, &number, name.Out(), tag.Out(), &enabled))) {
        return false;
      }
      Add(Table::kCardClient, id, {Int(number), TextOf(name), TextOf(tag), Int(enabled)});
    }
    return true;
  }

 private:
  ClientLibrary& lib_;
  std::vector<Record>* records_;
  std::string* failure_;
};

}  // namespace

bool ReadController(ClientLibrary& library, std::vector<Record>* records, std::string* failure) {
  Reader reader(library, records, failure);
  return reader.Ports() && reader.Grades() && reader.Tanks() && reader.ZigBees() &&
         reader.Pumps() && reader.Attendants() && reader.CardClients();
}
