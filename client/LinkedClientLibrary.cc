#include "client/LinkedClientLibrary.h"

#include "client/TarvoClient.h"

int32_t LinkedClientLibrary::ClientLogonEx(int32_t a1, int32_t a2, BSTR server, int32_t callPort,
                                           int32_t eventsPort, int32_t timeoutMs, int32_t a7,
                                           int32_t a8, int32_t a9) {
  return ::ClientLogonEx(a1, a2, server, callPort, eventsPort, timeoutMs, a7, a8, a9);
}

int32_t LinkedClientLibrary::DllVersion(BSTR* version) { return ::DllVersion(version); }

int32_t LinkedClientLibrary::ServerVersion(BSTR* version) { return ::ServerVersion(version); }

BSTR LinkedClientLibrary::ResultString(int32_t code) { return ::ResultString(code); }

int32_t LinkedClientLibrary::GetPortsCount(int32_t* count) { return ::GetPortsCount(count); }

int32_t LinkedClientLibrary::GetPortByOrdinal(int32_t ordinal, int32_t* id) {
  return ::GetPortByOrdinal(ordinal, id);
}

int32_t LinkedClientLibrary::GetPortProperties(int32_t id, int32_t* number, BSTR* name,
                                               int32_t* protocolId, int16_t* deviceType,
                                               BSTR* serialNo) {
  return ::GetPortProperties(id, number, name, protocolId, deviceType, serialNo);
}

int32_t LinkedClientLibrary::GetZB2GConfig(int32_t id, int64_t* panId, int32_t* channels,
                                           int64_t* keyA, int64_t* keyB) {
  return ::GetZB2GConfig(id, panId, channels, keyA, keyB);
}

int32_t LinkedClientLibrary::GetDeviceDetails(int32_t portId, int32_t zigBeeId, BSTR* details1,
                                              BSTR* details2, BSTR* firmwareVersion) {
  return ::GetDeviceDetails(portId, zigBeeId, details1, details2, firmwareVersion);
}

int32_t LinkedClientLibrary::SetPortProperties(int32_t id, int32_t number, BSTR name,
                                               int32_t protocolId, int16_t deviceType,
                                               BSTR serialNo) {
  return ::SetPortProperties(id, number, name, protocolId, deviceType, serialNo);
}

int32_t LinkedClientLibrary::GetGradesCount(int32_t* count) { return ::GetGradesCount(count); }

int32_t LinkedClientLibrary::GetGradeByOrdinal(int32_t ordinal, int32_t* id) {
  return ::GetGradeByOrdinal(ordinal, id);
}

int32_t LinkedClientLibrary::GetGradeProperties(int32_t id, int32_t* number, BSTR* name,
                                                BSTR* shortName, BSTR* code) {
  return ::GetGradeProperties(id, number, name, shortName, code);
}

int32_t LinkedClientLibrary::GetGradePrice(int32_t id, int16_t level, double* price) {
  return ::GetGradePrice(id, level, price);
}

int32_t LinkedClientLibrary::SetGradeProperties(int32_t id, int32_t number, BSTR name,
                                                BSTR shortName, BSTR code) {
  return ::SetGradeProperties(id, number, name, shortName, code);
}

int32_t LinkedClientLibrary::SetGradePrice(int32_t id, int16_t level, double price) {
  return ::SetGradePrice(id, level, price);
}

int32_t LinkedClientLibrary::GetTanksCount(int32_t* count) { return ::GetTanksCount(count); }

int32_t LinkedClientLibrary::GetTankByOrdinal(int32_t ordinal, int32_t* id) {
  return ::GetTankByOrdinal(ordinal, id);
}

int32_t LinkedClientLibrary::GetTankProperties(int32_t id, int32_t* number, BSTR* name,
                                               int32_t* grade, int16_t* type, double* capacity,
                                               double* diameter, double* m1, double* m2, double* m3,
                                               double* m4, double* m5, double* m6, double* m7,
                                               double* m8, int32_t* tankGauge, int16_t* probe) {
  return ::GetTankProperties(id, number, name, grade, type, capacity, diameter, m1, m2, m3, m4, m5,
                             m6, m7, m8, tankGauge, probe);
}

int32_t LinkedClientLibrary::SetTankProperties(int32_t id, int32_t number, BSTR name, int32_t grade,
                                               int16_t type, double capacity, double diameter,
                                               double m1, double m2, double m3, double m4,
                                               double m5, double m6, double m7, double m8,
                                               int32_t tankGauge, int16_t probe) {
  return ::SetTankProperties(id, number, name, grade, type, capacity, diameter, m1, m2, m3, m4, m5,
                             m6, m7, m8, tankGauge, probe);
}

int32_t LinkedClientLibrary::GetZigBeeCount(int32_t* count) { return ::GetZigBeeCount(count); }

int32_t LinkedClientLibrary::GetZigBeeByOrdinal(int32_t ordinal, int32_t* id) {
  return ::GetZigBeeByOrdinal(ordinal, id);
}

int32_t LinkedClientLibrary::GetZigBeeProperties(int32_t id, int32_t* number, BSTR* name,
                                                 int16_t* deviceType, BSTR* serialNumber,
                                                 BSTR* nodeIdentifier, int32_t* portId) {
  return ::GetZigBeeProperties(id, number, name, deviceType, serialNumber, nodeIdentifier, portId);
}

int32_t LinkedClientLibrary::SetZigBeeProperties(int32_t id, int32_t number, BSTR name,
                                                 int16_t deviceType, BSTR serialNumber,
                                                 BSTR nodeIdentifier, int32_t portId) {
  return ::SetZigBeeProperties(id, number, name, deviceType, serialNumber, nodeIdentifier, portId);
}

int32_t LinkedClientLibrary::GetPumpsCount(int32_t* count) { return ::GetPumpsCount(count); }

int32_t LinkedClientLibrary::GetPumpByOrdinal(int32_t ordinal, int32_t* id) {
  return ::GetPumpByOrdinal(ordinal, id);
}

int32_t LinkedClientLibrary::GetPumpPropertiesEx(
    int32_t id, int32_t* number, BSTR* name, int16_t* physicalNumber, int16_t* side,
    int16_t* address, int16_t* priceLevel1, int16_t* priceLevel2, int16_t* priceDspFormat,
    int16_t* volumeDspFormat, int16_t* valueDspFormat, int16_t* pumpType, int32_t* portId,
    int32_t* attendantId, int16_t* authMode, int16_t* stackMode, int16_t* prepayAllowed,
    int16_t* preauthAllowed, int32_t* slot, int32_t* muxSlotZigBeeId, int16_t* priceControl,
    int16_t* hasPreset) {
  return ::GetPumpPropertiesEx(id, number, name, physicalNumber, side, address, priceLevel1,
                               priceLevel2, priceDspFormat, volumeDspFormat, valueDspFormat,
                               pumpType, portId, attendantId, authMode, stackMode, prepayAllowed,
                               preauthAllowed, slot, muxSlotZigBeeId, priceControl, hasPreset);
}

int32_t LinkedClientLibrary::SetPumpPropertiesEx(
    int32_t id, int32_t number, BSTR name, int16_t physicalNumber, int16_t side, int16_t address,
    int16_t priceLevel1, int16_t priceLevel2, int16_t priceDspFormat, int16_t volumeDspFormat,
    int16_t valueDspFormat, int16_t pumpType, int32_t portId, int32_t attendantId, int16_t authMode,
    int16_t stackMode, int16_t prepayAllowed, int16_t preauthAllowed, int32_t slot,
    int32_t muxSlotZigBeeId, int16_t priceControl, int16_t hasPreset) {
  return ::SetPumpPropertiesEx(id, number, name, physicalNumber, side, address, priceLevel1,
                               priceLevel2, priceDspFormat, volumeDspFormat, valueDspFormat,
                               pumpType, portId, attendantId, authMode, stackMode, prepayAllowed,
                               preauthAllowed, slot, muxSlotZigBeeId, priceControl, hasPreset);
}

int32_t LinkedClientLibrary::GetPumpHosesCount(int32_t pumpId, int32_t* count) {
  return ::GetPumpHosesCount(pumpId, count);
}

int32_t LinkedClientLibrary::GetPumpHoseByNumber(int32_t pumpId, int32_t number, int32_t* hoseId) {
  return ::GetPumpHoseByNumber(pumpId, number, hoseId);
}

int32_t LinkedClientLibrary::GetHosePropertiesEx2(int32_t id, int32_t* number, int32_t* pumpId,
                                                  int32_t* tank, int32_t* physicalNumber,
                                                  double* h1, double* h2, double* h3, double* h4,
                                                  int16_t* reader, double* price1, double* price2,
                                                  int16_t* enabled) {
  return ::GetHosePropertiesEx2(id, number, pumpId, tank, physicalNumber, h1, h2, h3, h4, reader,
                                price1, price2, enabled);
}

int32_t LinkedClientLibrary::SetHosePropertiesEx2(int32_t id, int32_t number, int32_t pumpId,
                                                  int32_t tank, int32_t physicalNumber, double h1,
                                                  double h2, double h3, double h4, int16_t reader,
                                                  double price1, double price2, int16_t enabled) {
  return ::SetHosePropertiesEx2(id, number, pumpId, tank, physicalNumber, h1, h2, h3, h4, reader,
                                price1, price2, enabled);
}

int32_t LinkedClientLibrary::GetAttendantsCount(int32_t* count) {
  return ::GetAttendantsCount(count);
}

int32_t LinkedClientLibrary::GetAttendantByOrdinal(int32_t ordinal, int32_t* id) {
  return ::GetAttendantByOrdinal(ordinal, id);
}

int32_t LinkedClientLibrary::GetAttendantPropertiesEx(int32_t id, int32_t* number, BSTR* name,
                                                      BSTR* shortName, BSTR* password, BSTR* tag,
                                                      int16_t* shiftAStart, int16_t* shiftAEnd,
                                                      int16_t* shiftBStart, int16_t* shiftBEnd,
                                                      int16_t* enabled) {
  return ::GetAttendantPropertiesEx(id, number, name, shortName, password, tag, shiftAStart,
                                    shiftAEnd, shiftBStart, shiftBEnd, enabled);
}

int32_t LinkedClientLibrary::SetAttendantPropertiesEx(int32_t id, int32_t number, BSTR name,
                                                      BSTR shortName, BSTR password, BSTR tag,
                                                      int16_t shiftAStart, int16_t shiftAEnd,
                                                      int16_t shiftBStart, int16_t shiftBEnd,
                                                      int16_t enabled) {
  return ::SetAttendantPropertiesEx(id, number, name, shortName, password, tag, shiftAStart,
                                    shiftAEnd, shiftBStart, shiftBEnd, enabled);
}

int32_t LinkedClientLibrary::GetCardClientsCount(int32_t* count) {
  return ::GetCardClientsCount(count);
}

int32_t LinkedClientLibrary::GetCardClientByOrdinal(int32_t ordinal, int32_t* id) {
  return ::GetCardClientByOrdinal(ordinal, id);
}

int32_t LinkedClientLibrary::GetCardClientProperties(int32_t id, int32_t* number, BSTR* name,
                                                     BSTR* tag, int16_t* enabled) {
  return ::GetCardClientProperties(id, number, name, tag, enabled);
}

int32_t LinkedClientLibrary::SetCardClientProperties(int32_t id, int32_t number, BSTR name,
                                                     BSTR tag, int16_t enabled) {
  return ::SetCardClientProperties(id, number, name, tag, enabled);
}
