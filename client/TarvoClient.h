// The controller client library (TarvoClient.dll, libTarvoClient.so), declared
// exactly as the program calls it. The program links it as a shared library,
// so that the vendor's library, or any other implementation with this
// interface, can be put in its place.
//
// Every function but ResultString returns a result code, 0 for success. A
// function that fails may leave its out-values untouched: callers reset every
// out-value before the call. Strings returned through BSTR* belong to the
// caller, who frees them with SysFreeString.
#pragma once

#include <cstdint>

#include "platform/LibraryString.h"

// The stand-in library's build marks the functions as its exports
// (emulator/library/Export.h); for the program they are plain declarations.
#ifndef TARVO_API
#define TARVO_API
#endif

extern "C" {

TARVO_API int32_t TARVO_CALL ClientLogonEx(int32_t a1, int32_t a2, BSTR server, int32_t callPort,
                                           int32_t eventsPort, int32_t timeoutMs, int32_t a7,
                                           int32_t a8, int32_t a9);
TARVO_API int32_t TARVO_CALL DllVersion(BSTR* version);
TARVO_API int32_t TARVO_CALL ServerVersion(BSTR* version);
TARVO_API BSTR TARVO_CALL ResultString(int32_t code);

// ports
TARVO_API int32_t TARVO_CALL GetPortsCount(int32_t* count);
TARVO_API int32_t TARVO_CALL GetPortByOrdinal(int32_t ordinal, int32_t* id);
TARVO_API int32_t TARVO_CALL GetPortProperties(int32_t id, int32_t* number, BSTR* name,
                                               int32_t* protocolId, int16_t* deviceType,
                                               BSTR* serialNo);
TARVO_API int32_t TARVO_CALL GetZB2GConfig(int32_t id, int64_t* panId, int32_t* channels,
                                           int64_t* keyA, int64_t* keyB);
TARVO_API int32_t TARVO_CALL GetDeviceDetails(int32_t portId, int32_t zigBeeId, BSTR* details1,
                                              BSTR* details2, BSTR* firmwareVersion);
TARVO_API int32_t TARVO_CALL SetPortProperties(int32_t id, int32_t number, BSTR name,
                                               int32_t protocolId, int16_t deviceType,
                                               BSTR serialNo);

// grades
TARVO_API int32_t TARVO_CALL GetGradesCount(int32_t* count);
TARVO_API int32_t TARVO_CALL GetGradeByOrdinal(int32_t ordinal, int32_t* id);
TARVO_API int32_t TARVO_CALL GetGradeProperties(int32_t id, int32_t* number, BSTR* name,
                                                BSTR* shortName, BSTR* code);
TARVO_API int32_t TARVO_CALL GetGradePrice(int32_t id, int16_t level, double* price);
TARVO_API int32_t TARVO_CALL SetGradeProperties(int32_t id, int32_t number, BSTR name,
                                                BSTR shortName, BSTR code);
TARVO_API int32_t TARVO_CALL SetGradePrice(int32_t id, int16_t level, double price);

// tanks: m1..m8 are the eight further measures
TARVO_API int32_t TARVO_CALL GetTanksCount(int32_t* count);
TARVO_API int32_t TARVO_CALL GetTankByOrdinal(int32_t ordinal, int32_t* id);
TARVO_API int32_t TARVO_CALL GetTankProperties(int32_t id, int32_t* number, BSTR* name,
                                               int32_t* grade, int16_t* type, double* capacity,
                                               double* diameter, double* m1, double* m2, double* m3,
                                               double* m4, double* m5, double* m6, double* m7,
                                               double* m8, int32_t* tankGauge, int16_t* probe);
TARVO_API int32_t TARVO_CALL SetTankProperties(int32_t id, int32_t number, BSTR name, int32_t grade,
                                               int16_t type, double capacity, double diameter,
                                               double m1, double m2, double m3, double m4,
                                               double m5, double m6, double m7, double m8,
                                               int32_t tankGauge, int16_t probe);

// ZigBee devices
TARVO_API int32_t TARVO_CALL GetZigBeeCount(int32_t* count);
TARVO_API int32_t TARVO_CALL GetZigBeeByOrdinal(int32_t ordinal, int32_t* id);
TARVO_API int32_t TARVO_CALL GetZigBeeProperties(int32_t id, int32_t* number, BSTR* name,
                                                 int16_t* deviceType, BSTR* serialNumber,
                                                 BSTR* nodeIdentifier, int32_t* portId);
TARVO_API int32_t TARVO_CALL SetZigBeeProperties(int32_t id, int32_t number, BSTR name,
                                                 int16_t deviceType, BSTR serialNumber,
                                                 BSTR nodeIdentifier, int32_t portId);

// pumps and hoses: h1..h4 are the four further hose measures
TARVO_API int32_t TARVO_CALL GetPumpsCount(int32_t* count);
TARVO_API int32_t TARVO_CALL GetPumpByOrdinal(int32_t ordinal, int32_t* id);
TARVO_API int32_t TARVO_CALL GetPumpPropertiesEx(
    int32_t id, int32_t* number, BSTR* name, int16_t* physicalNumber, int16_t* side,
    int16_t* address, int16_t* priceLevel1, int16_t* priceLevel2, int16_t* priceDspFormat,
    int16_t* volumeDspFormat, int16_t* valueDspFormat, int16_t* pumpType, int32_t* portId,
    int32_t* attendantId, int16_t* authMode, int16_t* stackMode, int16_t* prepayAllowed,
    int16_t* preauthAllowed, int32_t* slot, int32_t* muxSlotZigBeeId, int16_t* priceControl,
    int16_t* hasPreset);
TARVO_API int32_t TARVO_CALL SetPumpPropertiesEx(
    int32_t id, int32_t number, BSTR name, int16_t physicalNumber, int16_t side, int16_t address,
    int16_t priceLevel1, int16_t priceLevel2, int16_t priceDspFormat, int16_t volumeDspFormat,
    int16_t valueDspFormat, int16_t pumpType, int32_t portId, int32_t attendantId, int16_t authMode,
    int16_t stackMode, int16_t prepayAllowed, int16_t preauthAllowed, int32_t slot,
    int32_t muxSlotZigBeeId, int16_t priceControl, int16_t hasPreset);
TARVO_API int32_t TARVO_CALL GetPumpHosesCount(int32_t pumpId, int32_t* count);
TARVO_API int32_t TARVO_CALL GetPumpHoseByNumber(int32_t pumpId, int32_t number, int32_t* hoseId);
TARVO_API int32_t TARVO_CALL GetHosePropertiesEx2(int32_t id, int32_t* number, int32_t* pumpId,
                                                  int32_t* tank, int32_t* physicalNumber,
                                                  double* h1, double* h2, double* h3, double* h4,
                                                  int16_t* reader, double* price1, double* price2,
                                                  int16_t* enabled);
TARVO_API int32_t TARVO_CALL SetHosePropertiesEx2(int32_t id, int32_t number, int32_t pumpId,
                                                  int32_t tank, int32_t physicalNumber, double h1,
                                                  double h2, double h3, double h4, int16_t reader,
                                                  double price1, double price2, int16_t enabled);

// attendants
TARVO_API int32_t TARVO_CALL GetAttendantsCount(int32_t* count);
TARVO_API int32_t TARVO_CALL GetAttendantByOrdinal(int32_t ordinal, int32_t* id);
TARVO_API int32_t TARVO_CALL GetAttendantPropertiesEx(int32_t id, int32_t* number, BSTR* name,
                                                      BSTR* shortName, BSTR* password, BSTR* tag,
                                                      int16_t* shiftAStart, int16_t* shiftAEnd,
                                                      int16_t* shiftBStart, int16_t* shiftBEnd,
                                                      int16_t* enabled);
TARVO_API int32_t TARVO_CALL SetAttendantPropertiesEx(int32_t id, int32_t number, BSTR name,
                                                      BSTR shortName, BSTR password, BSTR tag,
                                                      int16_t shiftAStart, int16_t shiftAEnd,
                                                      int16_t shiftBStart, int16_t shiftBEnd,
                                                      int16_t enabled);

// card clients
TARVO_API int32_t TARVO_CALL GetCardClientsCount(int32_t* count);
TARVO_API int32_t TARVO_CALL GetCardClientByOrdinal(int32_t ordinal, int32_t* id);
TARVO_API int32_t TARVO_CALL GetCardClientProperties(int32_t id, int32_t* number, BSTR* name,
                                                     BSTR* tag, int16_t* enabled);
TARVO_API int32_t TARVO_CALL SetCardClientProperties(int32_t id, int32_t number, BSTR name,
                                                     BSTR tag, int16_t enabled);

}  // extern "C"
