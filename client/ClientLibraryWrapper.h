// A ClientLibrary that forwards every method, arguments and result
// unchanged, to a target ClientLibrary. A partial stand-in derives from it and
// overrides only the calls it stands in for; every other call reaches the
// target. The target must outlive the wrapper.
#pragma once

#include <cstdint>

#include "client/ClientLibrary.h"

class ClientLibraryWrapper : public ClientLibrary {
 public:
  explicit ClientLibraryWrapper(ClientLibrary& target) : target_(target) {}
  // Wrapping another wrapper (not a copy: the new one forwards to it); without
  // it the deleted copy would be chosen.
  ClientLibraryWrapper(ClientLibraryWrapper& target) : target_(target) {}

  ClientLibrary& Target() const { return target_; }

  int32_t ClientLogonEx(int32_t a1, int32_t a2, BSTR server, int32_t callPort, int32_t eventsPort,
                        int32_t timeoutMs, int32_t a7, int32_t a8, int32_t a9) override;
  int32_t DllVersion(BSTR* version) override;
  int32_t ServerVersion(BSTR* version) override;
  BSTR ResultString(int32_t code) override;
  int32_t GetPortsCount(int32_t* count) override;
  int32_t GetPortByOrdinal(int32_t ordinal, int32_t* id) override;
  int32_t GetPortProperties(int32_t id, int32_t* number, BSTR* name, int32_t* protocolId,
                            int16_t* deviceType, BSTR* serialNo) override;
  int32_t GetZB2GConfig(int32_t id, int64_t* panId, int32_t* channels, int64_t* keyA,
                        int64_t* keyB) override;
  int32_t GetDeviceDetails(int32_t portId, int32_t zigBeeId, BSTR* details1, BSTR* details2,
                           BSTR* firmwareVersion) override;
  int32_t SetPortProperties(int32_t id, int32_t number, BSTR name, int32_t protocolId,
                            int16_t deviceType, BSTR serialNo) override;
  int32_t GetGradesCount(int32_t* count) override;
  int32_t GetGradeByOrdinal(int32_t ordinal, int32_t* id) override;
  int32_t GetGradeProperties(int32_t id, int32_t* number, BSTR* name, BSTR* shortName,
                             BSTR* code) override;
  int32_t GetGradePrice(int32_t id, int16_t level, double* price) override;
  int32_t SetGradeProperties(int32_t id, int32_t number, BSTR name, BSTR shortName,
                             BSTR code) override;
  int32_t SetGradePrice(int32_t id, int16_t level, double price) override;
  int32_t GetTanksCount(int32_t* count) override;
  int32_t GetTankByOrdinal(int32_t ordinal, int32_t* id) override;
  int32_t GetTankProperties(int32_t id, int32_t* number, BSTR* name, int32_t* grade, int16_t* type,
                            double* capacity, double* diameter, double* m1, double* m2, double* m3,
                            double* m4, double* m5, double* m6, double* m7, double* m8,
                            int32_t* tankGauge, int16_t* probe) override;
  int32_t SetTankProperties(int32_t id, int32_t number, BSTR name, int32_t grade, int16_t type,
                            double capacity, double diameter, double m1, double m2, double m3,
                            double m4, double m5, double m6, double m7, double m8,
                            int32_t tankGauge, int16_t probe) override;
  int32_t GetZigBeeCount(int32_t* count) override;
  int32_t GetZigBeeByOrdinal(int32_t ordinal, int32_t* id) override;
  int32_t GetZigBeeProperties(int32_t id, int32_t* number, BSTR* name, int16_t* deviceType,
                              BSTR* serialNumber, BSTR* nodeIdentifier, int32_t* portId) override;
  int32_t SetZigBeeProperties(int32_t id, int32_t number, BSTR name, int16_t deviceType,
                              BSTR serialNumber, BSTR nodeIdentifier, int32_t portId) override;
  int32_t GetPumpsCount(int32_t* count) override;
  int32_t GetPumpByOrdinal(int32_t ordinal, int32_t* id) override;
  int32_t GetPumpPropertiesEx(int32_t id, int32_t* number, BSTR* name, int16_t* physicalNumber,
                              int16_t* side, int16_t* address, int16_t* priceLevel1,
                              int16_t* priceLevel2, int16_t* priceDspFormat,
                              int16_t* volumeDspFormat, int16_t* valueDspFormat, int16_t* pumpType,
                              int32_t* portId, int32_t* attendantId, int16_t* authMode,
                              int16_t* stackMode, int16_t* prepayAllowed, int16_t* preauthAllowed,
                              int32_t* slot, int32_t* muxSlotZigBeeId, int16_t* priceControl,
                              int16_t* hasPreset) override;
  int32_t SetPumpPropertiesEx(int32_t id, int32_t number, BSTR name, int16_t physicalNumber,
                              int16_t side, int16_t address, int16_t priceLevel1,
                              int16_t priceLevel2, int16_t priceDspFormat, int16_t volumeDspFormat,
                              int16_t valueDspFormat, int16_t pumpType, int32_t portId,
                              int32_t attendantId, int16_t authMode, int16_t stackMode,
                              int16_t prepayAllowed, int16_t preauthAllowed, int32_t slot,
                              int32_t muxSlotZigBeeId, int16_t priceControl,
                              int16_t hasPreset) override;
  int32_t GetPumpHosesCount(int32_t pumpId, int32_t* count) override;
  int32_t GetPumpHoseByNumber(int32_t pumpId, int32_t number, int32_t* hoseId) override;
  int32_t GetHosePropertiesEx2(int32_t id, int32_t* number, int32_t* pumpId, int32_t* tank,
                               int32_t* physicalNumber, double* h1, double* h2, double* h3,
                               double* h4, int16_t* reader, double* price1, double* price2,
                               int16_t* enabled) override;
  int32_t SetHosePropertiesEx2(int32_t id, int32_t number, int32_t pumpId, int32_t tank,
                               int32_t physicalNumber, double h1, double h2, double h3, double h4,
                               int16_t reader, double price1, double price2,
                               int16_t enabled) override;
  int32_t GetAttendantsCount(int32_t* count) override;
  int32_t GetAttendantByOrdinal(int32_t ordinal, int32_t* id) override;
  int32_t GetAttendantPropertiesEx(int32_t id, int32_t* number, BSTR* name, BSTR* shortName,
                                   BSTR* password, BSTR* tag, int16_t* shiftAStart,
                                   int16_t* shiftAEnd, int16_t* shiftBStart, int16_t* shiftBEnd,
                                   int16_t* enabled) override;
  int32_t SetAttendantPropertiesEx(int32_t id, int32_t number, BSTR name, BSTR shortName,
                                   BSTR password, BSTR tag, int16_t shiftAStart, int16_t shiftAEnd,
                                   int16_t shiftBStart, int16_t shiftBEnd,
                                   int16_t enabled) override;
  int32_t GetCardClientsCount(int32_t* count) override;
  int32_t GetCardClientByOrdinal(int32_t ordinal, int32_t* id) override;
  int32_t GetCardClientProperties(int32_t id, int32_t* number, BSTR* name, BSTR* tag,
                                  int16_t* enabled) override;
  int32_t SetCardClientProperties(int32_t id, int32_t number, BSTR name, BSTR tag,
                                  int16_t enabled) override;

 private:
  ClientLibrary& target_;
};
