#include "client/ClientLibraryWrapper.h"

int32_t ClientLibraryWrapper::ClientLogonEx(int32_t a1, int32_t a2, BSTR server, int32_t callPort,
                                            int32_t eventsPort, int32_t timeoutMs, int32_t a7,
                                            int32_t a8, int32_t a9) {
  return target_.ClientLogonEx(a1, a2, server, callPort, eventsPort, timeoutMs, a7, a8, a9);
}

int32_t ClientLibraryWrapper::DllVersion(BSTR* version) { return target_.DllVersion(version); }

int32_t ClientLibraryWrapper::ServerVersion(BSTR* version) {
  return target_.ServerVersion(version);
}

BSTR ClientLibraryWrapper::ResultString(int32_t code) { return target_.ResultString(code); }

int32_t ClientLibraryWrapper::GetPortsCount(int32_t* count) { return target_.GetPortsCount(count); }

int32_t ClientLibraryWrapper::GetPortByOrdinal(int32_t ordinal, int32_t* id) {
  return target_.GetPortByOrdinal(ordinal, id);
}

int32_t ClientLibraryWrapper::GetPortProperties(int32_t id, int32_t* number, BSTR* name,
                                                int32_t* protocolId, int16_t* deviceType,
                                                BSTR* serialNo) {
  return target_.GetPortProperties(id, number, name, protocolId, deviceType, serialNo);
}

int32_t ClientLibraryWrapper::GetZB2GConfig(int32_t id, int64_t* panId, int32_t* channels,
                                            int64_t* keyA, int64_t* keyB) {
  return target_.GetZB2GConfig(id, panId, channels, keyA, keyB);
}

int32_t ClientLibraryWrapper::GetDeviceDetails(int32_t portId, int32_t zigBeeId, BSTR* details1,
                                               BSTR* details2, BSTR* firmwareVersion) {
  return target_.GetDeviceDetails(portId, zigBeeId, details1, details2, firmwareVersion);
}

int32_t ClientLibraryWrapper::SetPortProperties(int32_t id, int32_t number, BSTR name,
                                                int32_t protocolId, int16_t deviceType,
                                                BSTR serialNo) {
  return target_.SetPortProperties(id, number, name, protocolId, deviceType, serialNo);
}

int32_t ClientLibraryWrapper::GetGradesCount(int32_t* count) {
  return target_.GetGradesCount(count);
}

int32_t ClientLibraryWrapper::GetGradeByOrdinal(int32_t ordinal, int32_t* id) {
  return target_.GetGradeByOrdinal(ordinal, id);
}

int32_t ClientLibraryWrapper::GetGradeProperties(int32_t id, int32_t* number, BSTR* name,
                                                 BSTR* shortName, BSTR* code) {
  return target_.GetGradeProperties(id, number, name, shortName, code);
}

int32_t ClientLibraryWrapper::GetGradePrice(int32_t id, int16_t level, double* price) {
  return target_.GetGradePrice(id, level, price);
}

int32_t ClientLibraryWrapper::SetGradeProperties(int32_t id, int32_t number, BSTR name,
                                                 BSTR shortName, BSTR code) {
  return target_.SetGradeProperties(id, number, name, shortName, code);
}

int32_t ClientLibraryWrapper::SetGradePrice(int32_t id, int16_t level, double price) {
  return target_.SetGradePrice(id, level, price);
}

int32_t ClientLibraryWrapper::GetTanksCount(int32_t* count) { return target_.GetTanksCount(count); }

int32_t ClientLibraryWrapper::GetTankByOrdinal(int32_t ordinal, int32_t* id) {
  return target_.GetTankByOrdinal(ordinal, id);
}

int32_t ClientLibraryWrapper::GetTankProperties(int32_t id, int32_t* number, BSTR* name,
                                                int32_t* grade, int16_t* type, double* capacity,
                                                double* diameter, double* m1, double* m2,
                                                double* m3, double* m4, double* m5, double* m6,
                                                double* m7, double* m8, int32_t* tankGauge,
                                                int16_t* probe) {
  return target_.GetTankProperties(id, number, name, grade, type, capacity, diameter, m1, m2, m3,
                                   m4, m5, m6, m7, m8, tankGauge, probe);
}

int32_t ClientLibraryWrapper::SetTankProperties(int32_t id, int32_t number, BSTR name,
                                                int32_t grade, int16_t type, double capacity,
                                                double diameter, double m1, double m2, double m3,
                                                double m4, double m5, double m6, double m7,
                                                double m8, int32_t tankGauge, int16_t probe) {
  return target_.SetTankProperties(id, number, name, grade, type, capacity, diameter, m1, m2, m3,
                                   m4, m5, m6, m7, m8, tankGauge, probe);
}

int32_t ClientLibraryWrapper::GetZigBeeCount(int32_t* count) {
  return target_.GetZigBeeCount(count);
}

int32_t ClientLibraryWrapper::GetZigBeeByOrdinal(int32_t ordinal, int32_t* id) {
  return target_.GetZigBeeByOrdinal(ordinal, id);
}

int32_t ClientLibraryWrapper::GetZigBeeProperties(int32_t id, int32_t* number, BSTR* name,
                                                  int16_t* deviceType, BSTR* serialNumber,
                                                  BSTR* nodeIdentifier, int32_t* portId) {
  return target_.GetZigBeeProperties(id, number, name, deviceType, serialNumber, nodeIdentifier,
                                     portId);
}

int32_t ClientLibraryWrapper::SetZigBeeProperties(int32_t id, int32_t number, BSTR name,
                                                  int16_t deviceType, BSTR serialNumber,
                                                  BSTR nodeIdentifier, int32_t portId) {
  return target_.SetZigBeeProperties(id, number, name, deviceType, serialNumber, nodeIdentifier,
                                     portId);
}

int32_t ClientLibraryWrapper::GetPumpsCount(int32_t* count) { return target_.GetPumpsCount(count); }

int32_t ClientLibraryWrapper::GetPumpByOrdinal(int32_t ordinal, int32_t* id) {
  return target_.GetPumpByOrdinal(ordinal, id);
}

int32_t ClientLibraryWrapper::GetPumpPropertiesEx(
    int32_t id, int32_t* number, BSTR* name, int16_t* physicalNumber, int16_t* side,
    int16_t* address, int16_t* priceLevel1, int16_t* priceLevel2, int16_t* priceDspFormat,
    int16_t* volumeDspFormat, int16_t* valueDspFormat, int16_t* pumpType, int32_t* portId,
    int32_t* attendantId, int16_t* authMode, int16_t* stackMode, int16_t* prepayAllowed,
    int16_t* preauthAllowed, int32_t* slot, int32_t* muxSlotZigBeeId, int16_t* priceControl,
    int16_t* hasPreset) {
  return target_.GetPumpPropertiesEx(
      id, number, name, physicalNumber, side, address, priceLevel1, priceLevel2, priceDspFormat,
      volumeDspFormat, valueDspFormat, pumpType, portId, attendantId, authMode, stackMode,
      prepayAllowed, preauthAllowed, slot, muxSlotZigBeeId, priceControl, hasPreset);
}

int32_t ClientLibraryWrapper::SetPumpPropertiesEx(
    int32_t id, int32_t number, BSTR name, int16_t physicalNumber, int16_t side, int16_t address,
    int16_t priceLevel1, int16_t priceLevel2, int16_t priceDspFormat, int16_t volumeDspFormat,
    int16_t valueDspFormat, int16_t pumpType, int32_t portId, int32_t attendantId, int16_t authMode,
    int16_t stackMode, int16_t prepayAllowed, int16_t preauthAllowed, int32_t slot,
    int32_t muxSlotZigBeeId, int16_t priceControl, int16_t hasPreset) {
  return target_.SetPumpPropertiesEx(
      id, number, name, physicalNumber, side, address, priceLevel1, priceLevel2, priceDspFormat,
      volumeDspFormat, valueDspFormat, pumpType, portId, attendantId, authMode, stackMode,
      prepayAllowed, preauthAllowed, slot, muxSlotZigBeeId, priceControl, hasPreset);
}

int32_t ClientLibraryWrapper::GetPumpHosesCount(int32_t pumpId, int32_t* count) {
  return target_.GetPumpHosesCount(pumpId, count);
}

int32_t ClientLibraryWrapper::GetPumpHoseByNumber(int32_t pumpId, int32_t number, int32_t* hoseId) {
  return target_.GetPumpHoseByNumber(pumpId, number, hoseId);
}

int32_t ClientLibraryWrapper::GetHosePropertiesEx2(int32_t id, int32_t* number, int32_t* pumpId,
                                                   int32_t* tank, int32_t* physicalNumber,
                                                   double* h1, double* h2, double* h3, double* h4,
                                                   int16_t* reader, double* price1, double* price2,
                                                   int16_t* enabled) {
  return target_.GetHosePropertiesEx2(id, number, pumpId, tank, physicalNumber, h1, h2, h3, h4,
                                      reader, price1, price2, enabled);
}

int32_t ClientLibraryWrapper::SetHosePropertiesEx2(int32_t id, int32_t number, int32_t pumpId,
                                                   int32_t tank, int32_t physicalNumber, double h1,
                                                   double h2, double h3, double h4, int16_t reader,
                                                   double price1, double price2, int16_t enabled) {
  return target_.SetHosePropertiesEx2(id, number, pumpId, tank, physicalNumber, h1, h2, h3, h4,
                                      reader, price1, price2, enabled);
}

int32_t ClientLibraryWrapper::GetAttendantsCount(int32_t* count) {
  return target_.GetAttendantsCount(count);
}

int32_t ClientLibraryWrapper::GetAttendantByOrdinal(int32_t ordinal, int32_t* id) {
  return target_.GetAttendantByOrdinal(ordinal, id);
}

int32_t ClientLibraryWrapper::GetAttendantPropertiesEx(int32_t id, int32_t* number, BSTR* name,
                                                       BSTR* shortName, BSTR* password, BSTR* tag,
                                                       int16_t* shiftAStart, int16_t* shiftAEnd,
                                                       int16_t* shiftBStart, int16_t* shiftBEnd,
                                                       int16_t* enabled) {
  return target_.GetAttendantPropertiesEx(id, number, name, shortName, password, tag, shiftAStart,
                                          shiftAEnd, shiftBStart, shiftBEnd, enabled);
}

int32_t ClientLibraryWrapper::SetAttendantPropertiesEx(int32_t id, int32_t number, BSTR name,
                                                       BSTR shortName, BSTR password, BSTR tag,
                                                       int16_t shiftAStart, int16_t shiftAEnd,
                                                       int16_t shiftBStart, int16_t shiftBEnd,
                                                       int16_t enabled) {
  return target_.SetAttendantPropertiesEx(id, number, name, shortName, password, tag, shiftAStart,
                                          shiftAEnd, shiftBStart, shiftBEnd, enabled);
}

int32_t ClientLibraryWrapper::GetCardClientsCount(int32_t* count) {
  return target_.GetCardClientsCount(count);
}

int32_t ClientLibraryWrapper::GetCardClientByOrdinal(int32_t ordinal, int32_t* id) {
  return target_.GetCardClientByOrdinal(ordinal, id);
}

int32_t ClientLibraryWrapper::GetCardClientProperties(int32_t id, int32_t* number, BSTR* name,
                                                      BSTR* tag, int16_t* enabled) {
  return target_.GetCardClientProperties(id, number, name, tag, enabled);
}

int32_t ClientLibraryWrapper::SetCardClientProperties(int32_t id, int32_t number, BSTR name,
                                                      BSTR tag, int16_t enabled) {
  return target_.SetCardClientProperties(id, number, name, tag, enabled);
}
