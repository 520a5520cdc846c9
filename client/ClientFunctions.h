// The controller client library's functions, each as
// X(result type, name, (parameters), (the parameters as arguments)), in the
// order of client/TarvoClient.h. The seam (ClientLibrary) and the classes that
// implement every function of it are made from this one list, so that a
// function is added, or its arguments changed, in one place.
#pragma once

#include <cstdint>

#include "platform/LibraryString.h"

// clang-format off
#define TARVO_CLIENT_FUNCTIONS(X)                                                                  \
  X(int32_t, ClientLogonEx,                                                                        \
    (int32_t a1, int32_t a2, BSTR server, int32_t callPort, int32_t eventsPort,                    \
     int32_t timeoutMs, int32_t a7, int32_t a8, int32_t a9),                                       \
    (a1, a2, server, callPort, eventsPort, timeoutMs, a7, a8, a9))                                 \
  X(int32_t, DllVersion, (BSTR* version), (version))                                               \
  X(int32_t, ServerVersion, (BSTR* version), (version))                                            \
  X(BSTR, ResultString, (int32_t code), (code))                                                    \
  X(int32_t, GetPortsCount, (int32_t* count), (count))                                             \
  X(int32_t, GetPortByOrdinal, (int32_t ordinal, int32_t* id), (ordinal, id))                      \
  X(int32_t, GetPortProperties,                                                                    \
    (int32_t id, int32_t* number, BSTR* name, int32_t* protocolId, int16_t* deviceType,            \
     BSTR* serialNo),                                                                              \
    (id, number, name, protocolId, deviceType, serialNo))                                          \
  X(int32_t, GetZB2GConfig,                                                                        \
    (int32_t id, int64_t* panId, int32_t* channels, int64_t* keyA, int64_t* keyB),                 \
    (id, panId, channels, keyA, keyB))                                                             \
  X(int32_t, GetDeviceDetails,                                                                     \
    (int32_t portId, int32_t zigBeeId, BSTR* details1, BSTR* details2, BSTR* firmwareVersion),     \
    (portId, zigBeeId, details1, details2, firmwareVersion))                                       \
  X(int32_t, SetPortProperties,                                                                    \
    (int32_t id, int32_t number, BSTR name, int32_t protocolId, int16_t deviceType,                \
     BSTR serialNo),                                                                               \
    (id, number, name, protocolId, deviceType, serialNo))                                          \
  X(int32_t, GetGradesCount, (int32_t* count), (count))                                            \
  X(int32_t, GetGradeByOrdinal, (int32_t ordinal, int32_t* id), (ordinal, id))                     \
  X(int32_t, GetGradeProperties,                                                                   \
    (int32_t id, int32_t* number, BSTR* name, BSTR* shortName, BSTR* code),                        \
    (id, number, name, shortName, code))                                                           \
  X(int32_t, GetGradePrice, (int32_t id, int16_t level, double* price), (id, level, price))        \
  X(int32_t, SetGradeProperties,                                                                   \
    (int32_t id, int32_t number, BSTR name, BSTR shortName, BSTR code),                            \
    (id, number, name, shortName, code))                                                           \
  X(int32_t, SetGradePrice, (int32_t id, int16_t level, double price), (id, level, price))         \
  X(int32_t, GetTanksCount, (int32_t* count), (count))                                             \
  X(int32_t, GetTankByOrdinal, (int32_t ordinal, int32_t* id), (ordinal, id))                      \
  X(int32_t, GetTankProperties,                                                                    \
    (int32_t id, int32_t* number, BSTR* name, int32_t* grade, int16_t* type, double* capacity,     \
     double* diameter, double* m1, double* m2, double* m3, double* m4, double* m5, double* m6,     \
     double* m7, double* m8, int32_t* tankGauge, int16_t* probe),                                  \
    (id, number, name, grade, type, capacity, diameter, m1, m2, m3, m4, m5, m6, m7, m8,            \
     tankGauge, probe))                                                                            \
  X(int32_t, SetTankProperties,                                                                    \
    (int32_t id, int32_t number, BSTR name, int32_t grade, int16_t type, double capacity,          \
     double diameter, double m1, double m2, double m3, double m4, double m5, double m6,            \
     double m7, double m8, int32_t tankGauge, int16_t probe),                                      \
    (id, number, name, grade, type, capacity, diameter, m1, m2, m3, m4, m5, m6, m7, m8,            \
     tankGauge, probe))                                                                            \
  X(int32_t, GetZigBeeCount, (int32_t* count), (count))                                            \
  X(int32_t, GetZigBeeByOrdinal, (int32_t ordinal, int32_t* id), (ordinal, id))                    \
  X(int32_t, GetZigBeeProperties,                                                                  \
    (int32_t id, int32_t* number, BSTR* name, int16_t* deviceType, BSTR* serialNumber,             \
     BSTR* nodeIdentifier, int32_t* portId),                                                       \
    (id, number, name, deviceType, serialNumber, nodeIdentifier, portId))                          \
  X(int32_t, SetZigBeeProperties,                                                                  \
    (int32_t id, int32_t number, BSTR name, int16_t deviceType, BSTR serialNumber,                 \
     BSTR nodeIdentifier, int32_t portId),                                                         \
    (id, number, name, deviceType, serialNumber, nodeIdentifier, portId))                          \
  X(int32_t, GetPumpsCount, (int32_t* count), (count))                                             \
  X(int32_t, GetPumpByOrdinal, (int32_t ordinal, int32_t* id), (ordinal, id))                      \
  X(int32_t, GetPumpPropertiesEx,                                                                  \
    (int32_t id, int32_t* number, BSTR* name, int16_t* physicalNumber, int16_t* side,              \
     int16_t* address, int16_t* priceLevel1, int16_t* priceLevel2, int16_t* priceDspFormat,        \
     int16_t* volumeDspFormat, int16_t* valueDspFormat, int16_t* pumpType, int32_t* portId,        \
     int32_t* attendantId, int16_t* authMode, int16_t* stackMode, int16_t* prepayAllowed,          \
     int16_t* preauthAllowed, int32_t* slot, int32_t* muxSlotZigBeeId, int16_t* priceControl,      \
     int16_t* hasPreset),                                                                          \
    (id, number, name, physicalNumber, side, address, priceLevel1, priceLevel2, priceDspFormat,    \
     volumeDspFormat, valueDspFormat, pumpType, portId, attendantId, authMode, stackMode,          \
     prepayAllowed, preauthAllowed, slot, muxSlotZigBeeId, priceControl, hasPreset))               \
  X(int32_t, SetPumpPropertiesEx,                                                                  \
    (int32_t id, int32_t number, BSTR name, int16_t physicalNumber, int16_t side,                  \
     int16_t address, int16_t priceLevel1, int16_t priceLevel2, int16_t priceDspFormat,            \
     int16_t volumeDspFormat, int16_t valueDspFormat, int16_t pumpType, int32_t portId,            \
     int32_t attendantId, int16_t authMode, int16_t stackMode, int16_t prepayAllowed,              \
     int16_t preauthAllowed, int32_t slot, int32_t muxSlotZigBeeId, int16_t priceControl,          \
     int16_t hasPreset),                                                                           \
    (id, number, name, physicalNumber, side, address, priceLevel1, priceLevel2, priceDspFormat,    \
     volumeDspFormat, valueDspFormat, pumpType, portId, attendantId, authMode, stackMode,          \
     prepayAllowed, preauthAllowed, slot, muxSlotZigBeeId, priceControl, hasPreset))               \
  X(int32_t, GetPumpHosesCount, (int32_t pumpId, int32_t* count), (pumpId, count))                 \
  X(int32_t, GetPumpHoseByNumber,                                                                  \
    (int32_t pumpId, int32_t number, int32_t* hoseId),                                             \
    (pumpId, number, hoseId))                                                                      \
  X(int32_t, GetHosePropertiesEx2,                                                                 \
    (int32_t id, int32_t* number, int32_t* pumpId, int32_t* tank, int32_t* physicalNumber,         \
     double* h1, double* h2, double* h3, double* h4, int16_t* reader, double* price1,              \
     double* price2, int16_t* enabled),                                                            \
    (id, number, pumpId, tank, physicalNumber, h1, h2, h3, h4, reader, price1, price2, enabled))   \
  X(int32_t, SetHosePropertiesEx2,                                                                 \
    (int32_t id, int32_t number, int32_t pumpId, int32_t tank, int32_t physicalNumber,             \
     double h1, double h2, double h3, double h4, int16_t reader, double price1, double price2,     \
     int16_t enabled),                                                                             \
    (id, number, pumpId, tank, physicalNumber, h1, h2, h3, h4, reader, price1, price2, enabled))   \
  X(int32_t, GetAttendantsCount, (int32_t* count), (count))                                        \
  X(int32_t, GetAttendantByOrdinal, (int32_t ordinal, int32_t* id), (ordinal, id))                 \
  X(int32_t, GetAttendantPropertiesEx,                                                             \
    (int32_t id, int32_t* number, BSTR* name, BSTR* shortName, BSTR* password, BSTR* tag,          \
     int16_t* shiftAStart, int16_t* shiftAEnd, int16_t* shiftBStart, int16_t* shiftBEnd,           \
     int16_t* enabled),                                                                            \
    (id, number, name, shortName, password, tag, shiftAStart, shiftAEnd, shiftBStart, shiftBEnd,   \
     enabled))                                                                                     \
  X(int32_t, SetAttendantPropertiesEx,                                                             \
    (int32_t id, int32_t number, BSTR name, BSTR shortName, BSTR password, BSTR tag,               \
     int16_t shiftAStart, int16_t shiftAEnd, int16_t shiftBStart, int16_t shiftBEnd,               \
     int16_t enabled),                                                                             \
    (id, number, name, shortName, password, tag, shiftAStart, shiftAEnd, shiftBStart, shiftBEnd,   \
     enabled))                                                                                     \
  X(int32_t, GetCardClientsCount, (int32_t* count), (count))                                       \
  X(int32_t, GetCardClientByOrdinal, (int32_t ordinal, int32_t* id), (ordinal, id))                \
  X(int32_t, GetCardClientProperties,                                                              \
    (int32_t id, int32_t* number, BSTR* name, BSTR* tag, int16_t* enabled),                        \
    (id, number, name, tag, enabled))                                                              \
  X(int32_t, SetCardClientProperties,                                                              \
    (int32_t id, int32_t number, BSTR name, BSTR tag, int16_t enabled),                            \
    (id, number, name, tag, enabled))
// clang-format on
