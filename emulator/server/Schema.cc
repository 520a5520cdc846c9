#include "emulator/server/Schema.h"

namespace emu {

namespace {

std::vector<Field> Measures(const char* prefix, int count) {
  std::vector<Field> out;
  for (int i = 1; i <= count; ++i) out.push_back({prefix + std::to_string(i), Kind::F64});
  return out;
}

std::vector<Field> Join(std::vector<Field> a, const std::vector<Field>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<Field> kDetails = {
    {"hasDetails", Kind::I32}, {"details1", Kind::Text}, {"details2", Kind::Text},
    {"firmwareVersion", Kind::Text}};

}  // namespace

const Table& Ports() {
  static const Table t{"ports", "port",
                       {{"number", Kind::I32}, {"name", Kind::Text}, {"protocolId", Kind::I32},
                        {"deviceType", Kind::I16}, {"serialNo", Kind::Text}},
                       Join({{"panId", Kind::I64}, {"channels", Kind::I32}, {"keyA", Kind::I64},
                             {"keyB", Kind::I64}},
                            kDetails),
                       "GetPortsCount", "GetPortByOrdinal", "GetPortProperties",
                       "SetPortProperties"};
  return t;
}

const Table& Grades() {
  static const Table t{"grades", "grade",
                       {{"number", Kind::I32}, {"name", Kind::Text}, {"shortName", Kind::Text},
                        {"code", Kind::Text}},
                       {},
                       "GetGradesCount", "GetGradeByOrdinal", "GetGradeProperties",
                       "SetGradeProperties"};
  return t;
}

const Table& Tanks() {
  static const Table t{
      "tanks", "tank",
      Join(Join({{"number", Kind::I32}, {"name", Kind::Text}, {"grade", Kind::I32},
                 {"type", Kind::I16}, {"capacity", Kind::F64}, {"diameter", Kind::F64}},
                Measures("m", 8)),
           {{"tankGauge", Kind::I32}, {"probe", Kind::I16}}),
      {},
      "GetTanksCount", "GetTankByOrdinal", "GetTankProperties", "SetTankProperties"};
  return t;
}

const Table& ZigBee() {
  static const Table t{"zigbee", "ZigBee device",
                       {{"number", Kind::I32}, {"name", Kind::Text}, {"deviceType", Kind::I16},
                        {"serialNumber", Kind::Text}, {"nodeIdentifier", Kind::Text},
                        {"portId", Kind::I32}},
                       kDetails,
                       "GetZigBeeCount", "GetZigBeeByOrdinal", "GetZigBeeProperties",
                       "SetZigBeeProperties"};
  return t;
}

const Table& Pumps() {
  static const Table t{
      "pumps", "pump",
      {{"number", Kind::I32},          {"name", Kind::Text},
       {"physicalNumber", Kind::I16},  {"side", Kind::I16},
       {"address", Kind::I16},         {"priceLevel1", Kind::I16},
       {"priceLevel2", Kind::I16},     {"priceDspFormat", Kind::I16},
       {"volumeDspFormat", Kind::I16}, {"valueDspFormat", Kind::I16},
       {"pumpType", Kind::I16},        {"portId", Kind::I32},
       {"attendantId", Kind::I32},     {"authMode", Kind::I16},
       {"stackMode", Kind::I16},       {"prepayAllowed", Kind::I16},
       {"preauthAllowed", Kind::I16},  {"slot", Kind::I32},
       {"muxSlotZigBeeId", Kind::I32}, {"priceControl", Kind::I16},
       {"hasPreset", Kind::I16}},
      {{"hoseCount", Kind::I32}},
      "GetPumpsCount", "GetPumpByOrdinal", "GetPumpPropertiesEx", "SetPumpPropertiesEx"};
  return t;
}

const Table& Hoses() {
  static const Table t{
      "hoses", "hose",
      Join(Join({{"number", Kind::I32}, {"pumpId", Kind::I32}, {"tank", Kind::I32},
                 {"physicalNumber", Kind::I32}},
                Measures("h", 4)),
           {{"reader", Kind::I16}, {"price1", Kind::F64}, {"price2", Kind::F64},
            {"enabled", Kind::I16}}),
      {},
      "", "", "GetHosePropertiesEx2", "SetHosePropertiesEx2"};
  return t;
}

const Table& Attendants() {
  static const Table t{"attendants", "attendant",
                       {{"number", Kind::I32}, {"name", Kind::Text}, {"shortName", Kind::Text},
                        {"password", Kind::Text}, {"tag", Kind::Text},
                        {"shiftAStart", Kind::I16}, {"shiftAEnd", Kind::I16},
                        {"shiftBStart", Kind::I16}, {"shiftBEnd", Kind::I16},
                        {"enabled", Kind::I16}},
                       {},
                       "GetAttendantsCount", "GetAttendantByOrdinal", "GetAttendantPropertiesEx",
                       "SetAttendantPropertiesEx"};
  return t;
}

const Table& CardClients() {
  static const Table t{"cardClients", "card client",
                       {{"number", Kind::I32}, {"name", Kind::Text}, {"tag", Kind::Text},
                        {"enabled", Kind::I16}},
                       {},
                       "GetCardClientsCount", "GetCardClientByOrdinal", "GetCardClientProperties",
                       "SetCardClientProperties"};
  return t;
}

const std::vector<const Table*>& AllTables() {
  static const std::vector<const Table*> all = {&Ports(), &Grades(),     &Tanks(),
                                                &ZigBee(), &Pumps(),     &Attendants(),
                                                &CardClients(), &Hoses()};
  return all;
}

}  // namespace emu
