// The 40 functions of the client library. Each is one request to the
// controller server and one reply; out-values are written only on success and
// only for the values the controller has, so the caller's reset values stand
// for everything else. Null out-pointers are skipped. A null in-string is sent
// as an empty text.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulator/library/Export.h"  // before the declarations
#include "client/TarvoClient.h"
#include "emulator/library/Connection.h"
#include "emulator/library/Unicode.h"
#include "emulator/protocol/Protocol.h"

using nlohmann::json;
using tarvo_lib::Call;
using tarvo_lib::Reply;

namespace {

// What the stand-in answers to DllVersion when the emulator gives no text.
constexpr char kStandInVersion[] = "TarvoClient stand-in (tarvo-emulator)";

json Str(BSTR s) {
  if (s == nullptr) return "";
  return tarvo_lib::Utf8FromUnits(reinterpret_cast<const uint16_t*>(s), SysStringLen(s));
}

const json* Find(const json& out, const char* key) {
  auto it = out.find(key);
  return it == out.end() ? nullptr : &*it;
}

void Put(const json& out, const char* key, int32_t* p) {
  const json* v = Find(out, key);
  if (p != nullptr && v != nullptr && v->is_number_integer()) {
    *p = static_cast<int32_t>(static_cast<uint32_t>(v->get<int64_t>()));
  }
}

void Put(const json& out, const char* key, int16_t* p) {
  const json* v = Find(out, key);
  if (p != nullptr && v != nullptr && v->is_number_integer()) {
    *p = static_cast<int16_t>(static_cast<uint16_t>(v->get<int64_t>()));
  }
}

void Put(const json& out, const char* key, int64_t* p) {
  const json* v = Find(out, key);
  if (p != nullptr && v != nullptr && v->is_number_integer()) *p = v->get<int64_t>();
}

void Put(const json& out, const char* key, double* p) {
  const json* v = Find(out, key);
  if (p != nullptr && v != nullptr && v->is_number()) *p = v->get<double>();
}

void Put(const json& out, const char* key, BSTR* p) {
  const json* v = Find(out, key);
  if (p != nullptr && v != nullptr && v->is_string()) {
    std::vector<uint16_t> units = tarvo_lib::UnitsFromUtf8(v->get<std::string>());
    std::vector<OLECHAR> chars(units.begin(), units.end());
    *p = SysAllocStringLen(chars.data(), static_cast<uint32_t>(chars.size()));
  }
}

// The server text is a host name or address, optionally followed by ":port".
void SplitServer(const std::string& text, int defaultPort, std::string& host, int& port) {
  host = text;
  port = defaultPort;
  size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon + 1 >= text.size() || text.size() - colon > 6) return;
  long value = 0;
  for (size_t i = colon + 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return;
    value = value * 10 + (text[i] - '0');
  }
  if (value < 1 || value > 65535) return;
  host = text.substr(0, colon);
  port = static_cast<int>(value);
}

int32_t Count(const char* call, int32_t* count) {
  Reply r = Call(call, json::array());
  if (r.code == 0) Put(r.out, "count", count);
  return r.code;
}

int32_t ByOrdinal(const char* call, int32_t ordinal, int32_t* id) {
  Reply r = Call(call, {ordinal});
  if (r.code == 0) Put(r.out, "id", id);
  return r.code;
}

int32_t Plain(const char* call, json args) { return Call(call, std::move(args)).code; }

}  // namespace

extern "C" {

TARVO_API int32_t TARVO_CALL ClientLogonEx(int32_t a1, int32_t a2, BSTR server, int32_t callPort,
                                           int32_t eventsPort, int32_t timeoutMs, int32_t a7,
                                           int32_t a8, int32_t a9) {
  std::string text = Str(server).get<std::string>();
  std::string host;
  int port = 0;
  SplitServer(text, callPort, host, port);
  if (port < 1 || port > 65535) {
    tarvo_lib::NoteFailure(tarvo_wire::kInvalidArgument, "call port " + std::to_string(callPort));
    return tarvo_wire::kInvalidArgument;
  }
  int timeout = timeoutMs > 0 ? timeoutMs : 10000;
  return tarvo_lib::Logon(host, port, timeout,
                          {a1, a2, text, callPort, eventsPort, timeoutMs, a7, a8, a9});
}

// The emulator's text when its fixture sets one (a test that plays a
// maker's version); otherwise the stand-in names itself, as TarvoCheck
// LIBRARY tells.
TARVO_API int32_t TARVO_CALL DllVersion(BSTR* version) {
  Reply r = Call("DllVersion", json::array());
  if (r.code != 0) return r.code;
  const json* text = Find(r.out, "version");
  Put(text != nullptr && text->is_string() ? r.out : json{{"version", kStandInVersion}},
      "version", version);
  return r.code;
}

TARVO_API int32_t TARVO_CALL ServerVersion(BSTR* version) {
  Reply r = Call("ServerVersion", json::array());
  if (r.code == 0) Put(r.out, "version", version);
  return r.code;
}

// --- ports ---

TARVO_API int32_t TARVO_CALL GetPortsCount(int32_t* count) { return Count("GetPortsCount", count); }

TARVO_API int32_t TARVO_CALL GetPortByOrdinal(int32_t ordinal, int32_t* id) {
  return ByOrdinal("GetPortByOrdinal", ordinal, id);
}

TARVO_API int32_t TARVO_CALL GetPortProperties(int32_t id, int32_t* number, BSTR* name,
                                               int32_t* protocolId, int16_t* deviceType,
                                               BSTR* serialNo) {
  Reply r = Call("GetPortProperties", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "number", number);
  Put(r.out, "name", name);
  Put(r.out, "protocolId", protocolId);
  Put(r.out, "deviceType", deviceType);
  Put(r.out, "serialNo", serialNo);
  return 0;
}

TARVO_API int32_t TARVO_CALL GetZB2GConfig(int32_t id, int64_t* panId, int32_t* channels,
                                           int64_t* keyA, int64_t* keyB) {
  Reply r = Call("GetZB2GConfig", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "panId", panId);
  Put(r.out, "channels", channels);
  Put(r.out, "keyA", keyA);
  Put(r.out, "keyB", keyB);
  return 0;
}

TARVO_API int32_t TARVO_CALL GetDeviceDetails(int32_t portId, int32_t zigBeeId, BSTR* details1,
                                              BSTR* details2, BSTR* firmwareVersion) {
  Reply r = Call("GetDeviceDetails", {portId, zigBeeId});
  if (r.code != 0) return r.code;
  Put(r.out, "details1", details1);
  Put(r.out, "details2", details2);
  Put(r.out, "firmwareVersion", firmwareVersion);
  return 0;
}

TARVO_API int32_t TARVO_CALL SetPortProperties(int32_t id, int32_t number, BSTR name,
                                               int32_t protocolId, int16_t deviceType,
                                               BSTR serialNo) {
  return Plain("SetPortProperties", {id, number, Str(name), protocolId, deviceType, Str(serialNo)});
}

// --- grades ---

TARVO_API int32_t TARVO_CALL GetGradesCount(int32_t* count) {
  return Count("GetGradesCount", count);
}

TARVO_API int32_t TARVO_CALL GetGradeByOrdinal(int32_t ordinal, int32_t* id) {
  return ByOrdinal("GetGradeByOrdinal", ordinal, id);
}

TARVO_API int32_t TARVO_CALL GetGradeProperties(int32_t id, int32_t* number, BSTR* name,
                                                BSTR* shortName, BSTR* code) {
  Reply r = Call("GetGradeProperties", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "number", number);
  Put(r.out, "name", name);
  Put(r.out, "shortName", shortName);
  Put(r.out, "code", code);
  return 0;
}

TARVO_API int32_t TARVO_CALL GetGradePrice(int32_t id, int16_t level, double* price) {
  Reply r = Call("GetGradePrice", {id, level});
  if (r.code == 0) Put(r.out, "price", price);
  return r.code;
}

TARVO_API int32_t TARVO_CALL SetGradeProperties(int32_t id, int32_t number, BSTR name,
                                                BSTR shortName, BSTR code) {
  return Plain("SetGradeProperties", {id, number, Str(name), Str(shortName), Str(code)});
}

TARVO_API int32_t TARVO_CALL SetGradePrice(int32_t id, int16_t level, double price) {
  return Plain("SetGradePrice", {id, level, price});
}

// --- tanks ---

TARVO_API int32_t TARVO_CALL GetTanksCount(int32_t* count) { return Count("GetTanksCount", count); }

TARVO_API int32_t TARVO_CALL GetTankByOrdinal(int32_t ordinal, int32_t* id) {
  return ByOrdinal("GetTankByOrdinal", ordinal, id);
}

TARVO_API int32_t TARVO_CALL GetTankProperties(int32_t id, int32_t* number, BSTR* name,
                                               int32_t* grade, int16_t* type, double* capacity,
                                               double* diameter, double* m1, double* m2,
                                               double* m3, double* m4, double* m5, double* m6,
                                               double* m7, double* m8, int32_t* tankGauge,
                                               int16_t* probe) {
  Reply r = Call("GetTankProperties", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "number", number);
  Put(r.out, "name", name);
  Put(r.out, "grade", grade);
  Put(r.out, "type", type);
  Put(r.out, "capacity", capacity);
  Put(r.out, "diameter", diameter);
  double* measures[8] = {m1, m2, m3, m4, m5, m6, m7, m8};
  for (int i = 0; i < 8; ++i) Put(r.out, ("m" + std::to_string(i + 1)).c_str(), measures[i]);
  Put(r.out, "tankGauge", tankGauge);
  Put(r.out, "probe", probe);
  return 0;
}

TARVO_API int32_t TARVO_CALL SetTankProperties(int32_t id, int32_t number, BSTR name,
                                               int32_t grade, int16_t type, double capacity,
                                               double diameter, double m1, double m2, double m3,
                                               double m4, double m5, double m6, double m7,
                                               double m8, int32_t tankGauge, int16_t probe) {
  return Plain("SetTankProperties", {id, number, Str(name), grade, type, capacity, diameter, m1, m2,
                                     m3, m4, m5, m6, m7, m8, tankGauge, probe});
}

// --- ZigBee devices ---

TARVO_API int32_t TARVO_CALL GetZigBeeCount(int32_t* count) {
  return Count("GetZigBeeCount", count);
}

TARVO_API int32_t TARVO_CALL GetZigBeeByOrdinal(int32_t ordinal, int32_t* id) {
  return ByOrdinal("GetZigBeeByOrdinal", ordinal, id);
}

TARVO_API int32_t TARVO_CALL GetZigBeeProperties(int32_t id, int32_t* number, BSTR* name,
                                                 int16_t* deviceType, BSTR* serialNumber,
                                                 BSTR* nodeIdentifier, int32_t* portId) {
  Reply r = Call("GetZigBeeProperties", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "number", number);
  Put(r.out, "name", name);
  Put(r.out, "deviceType", deviceType);
  Put(r.out, "serialNumber", serialNumber);
  Put(r.out, "nodeIdentifier", nodeIdentifier);
  Put(r.out, "portId", portId);
  return 0;
}

TARVO_API int32_t TARVO_CALL SetZigBeeProperties(int32_t id, int32_t number, BSTR name,
                                                 int16_t deviceType, BSTR serialNumber,
                                                 BSTR nodeIdentifier, int32_t portId) {
  return Plain("SetZigBeeProperties", {id, number, Str(name), deviceType, Str(serialNumber),
                                       Str(nodeIdentifier), portId});
}

// --- pumps and hoses ---

TARVO_API int32_t TARVO_CALL GetPumpsCount(int32_t* count) { return Count("GetPumpsCount", count); }

TARVO_API int32_t TARVO_CALL GetPumpByOrdinal(int32_t ordinal, int32_t* id) {
  return ByOrdinal("GetPumpByOrdinal", ordinal, id);
}

TARVO_API int32_t TARVO_CALL GetPumpPropertiesEx(
    int32_t id, int32_t* number, BSTR* name, int16_t* physicalNumber, int16_t* side,
    int16_t* address, int16_t* priceLevel1, int16_t* priceLevel2, int16_t* priceDspFormat,
    int16_t* volumeDspFormat, int16_t* valueDspFormat, int16_t* pumpType, int32_t* portId,
    int32_t* attendantId, int16_t* authMode, int16_t* stackMode, int16_t* prepayAllowed,
    int16_t* preauthAllowed, int32_t* slot, int32_t* muxSlotZigBeeId, int16_t* priceControl,
    int16_t* hasPreset) {
  Reply r = Call("GetPumpPropertiesEx", {id});
  if (r.code != 0) return r.code;
  const json& o = r.out;
  Put(o, "number", number);
  Put(o, "name", name);
  Put(o, "physicalNumber", physicalNumber);
  Put(o, "side", side);
  Put(o, "address", address);
  Put(o, "priceLevel1", priceLevel1);
  Put(o, "priceLevel2", priceLevel2);
  Put(o, "priceDspFormat", priceDspFormat);
  Put(o, "volumeDspFormat", volumeDspFormat);
  Put(o, "valueDspFormat", valueDspFormat);
  Put(o, "pumpType", pumpType);
  Put(o, "portId", portId);
  Put(o, "attendantId", attendantId);
  Put(o, "authMode", authMode);
  Put(o, "stackMode", stackMode);
  Put(o, "prepayAllowed", prepayAllowed);
  Put(o, "preauthAllowed", preauthAllowed);
  Put(o, "slot", slot);
  Put(o, "muxSlotZigBeeId", muxSlotZigBeeId);
  Put(o, "priceControl", priceControl);
  Put(o, "hasPreset", hasPreset);
  return 0;
}

TARVO_API int32_t TARVO_CALL SetPumpPropertiesEx(
    int32_t id, int32_t number, BSTR name, int16_t physicalNumber, int16_t side, int16_t address,
    int16_t priceLevel1, int16_t priceLevel2, int16_t priceDspFormat, int16_t volumeDspFormat,
    int16_t valueDspFormat, int16_t pumpType, int32_t portId, int32_t attendantId,
    int16_t authMode, int16_t stackMode, int16_t prepayAllowed, int16_t preauthAllowed,
    int32_t slot, int32_t muxSlotZigBeeId, int16_t priceControl, int16_t hasPreset) {
  return Plain("SetPumpPropertiesEx",
               {id, number, Str(name), physicalNumber, side, address, priceLevel1, priceLevel2,
                priceDspFormat, volumeDspFormat, valueDspFormat, pumpType, portId, attendantId,
                authMode, stackMode, prepayAllowed, preauthAllowed, slot, muxSlotZigBeeId,
                priceControl, hasPreset});
}

TARVO_API int32_t TARVO_CALL GetPumpHosesCount(int32_t pumpId, int32_t* count) {
  Reply r = Call("GetPumpHosesCount", {pumpId});
  if (r.code == 0) Put(r.out, "count", count);
  return r.code;
}

TARVO_API int32_t TARVO_CALL GetPumpHoseByNumber(int32_t pumpId, int32_t number, int32_t* hoseId) {
  Reply r = Call("GetPumpHoseByNumber", {pumpId, number});
  if (r.code == 0) Put(r.out, "id", hoseId);
  return r.code;
}

TARVO_API int32_t TARVO_CALL GetHosePropertiesEx2(int32_t id, int32_t* number, int32_t* pumpId,
                                                  int32_t* tank, int32_t* physicalNumber,
                                                  double* h1, double* h2, double* h3, double* h4,
                                                  int16_t* reader, double* price1,
                                                  double* price2, int16_t* enabled) {
  Reply r = Call("GetHosePropertiesEx2", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "number", number);
  Put(r.out, "pumpId", pumpId);
  Put(r.out, "tank", tank);
  Put(r.out, "physicalNumber", physicalNumber);
  Put(r.out, "h1", h1);
  Put(r.out, "h2", h2);
  Put(r.out, "h3", h3);
  Put(r.out, "h4", h4);
  Put(r.out, "reader", reader);
  Put(r.out, "price1", price1);
  Put(r.out, "price2", price2);
  Put(r.out, "enabled", enabled);
  return 0;
}

TARVO_API int32_t TARVO_CALL SetHosePropertiesEx2(int32_t id, int32_t number, int32_t pumpId,
                                                  int32_t tank, int32_t physicalNumber, double h1,
                                                  double h2, double h3, double h4, int16_t reader,
                                                  double price1, double price2, int16_t enabled) {
  return Plain("SetHosePropertiesEx2", {id, number, pumpId, tank, physicalNumber, h1, h2, h3, h4,
                                        reader, price1, price2, enabled});
}

// --- attendants ---

TARVO_API int32_t TARVO_CALL GetAttendantsCount(int32_t* count) {
  return Count("GetAttendantsCount", count);
}

TARVO_API int32_t TARVO_CALL GetAttendantByOrdinal(int32_t ordinal, int32_t* id) {
  return ByOrdinal("GetAttendantByOrdinal", ordinal, id);
}

TARVO_API int32_t TARVO_CALL GetAttendantPropertiesEx(int32_t id, int32_t* number, BSTR* name,
                                                      BSTR* shortName, BSTR* password, BSTR* tag,
                                                      int16_t* shiftAStart, int16_t* shiftAEnd,
                                                      int16_t* shiftBStart, int16_t* shiftBEnd,
                                                      int16_t* enabled) {
  Reply r = Call("GetAttendantPropertiesEx", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "number", number);
  Put(r.out, "name", name);
  Put(r.out, "shortName", shortName);
  Put(r.out, "password", password);
  Put(r.out, "tag", tag);
  Put(r.out, "shiftAStart", shiftAStart);
  Put(r.out, "shiftAEnd", shiftAEnd);
  Put(r.out, "shiftBStart", shiftBStart);
  Put(r.out, "shiftBEnd", shiftBEnd);
  Put(r.out, "enabled", enabled);
  return 0;
}

TARVO_API int32_t TARVO_CALL SetAttendantPropertiesEx(int32_t id, int32_t number, BSTR name,
                                                      BSTR shortName, BSTR password, BSTR tag,
                                                      int16_t shiftAStart, int16_t shiftAEnd,
                                                      int16_t shiftBStart, int16_t shiftBEnd,
                                                      int16_t enabled) {
  return Plain("SetAttendantPropertiesEx", {id, number, Str(name), Str(shortName), Str(password),
                                            Str(tag), shiftAStart, shiftAEnd, shiftBStart,
                                            shiftBEnd, enabled});
}

// --- card clients ---

TARVO_API int32_t TARVO_CALL GetCardClientsCount(int32_t* count) {
  return Count("GetCardClientsCount", count);
}

TARVO_API int32_t TARVO_CALL GetCardClientByOrdinal(int32_t ordinal, int32_t* id) {
  return ByOrdinal("GetCardClientByOrdinal", ordinal, id);
}

TARVO_API int32_t TARVO_CALL GetCardClientProperties(int32_t id, int32_t* number, BSTR* name,
                                                     BSTR* tag, int16_t* enabled) {
  Reply r = Call("GetCardClientProperties", {id});
  if (r.code != 0) return r.code;
  Put(r.out, "number", number);
  Put(r.out, "name", name);
  Put(r.out, "tag", tag);
  Put(r.out, "enabled", enabled);
  return 0;
}

TARVO_API int32_t TARVO_CALL SetCardClientProperties(int32_t id, int32_t number, BSTR name,
                                                     BSTR tag, int16_t enabled) {
  return Plain("SetCardClientProperties", {id, number, Str(name), Str(tag), enabled});
}

}  // extern "C"
