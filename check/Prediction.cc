#include "check/Prediction.h"

#include <cstdio>
#include <unordered_map>
#include <utility>

#include "client/ClientLibraryWrapper.h"
#include "client/LibString.h"
#include "client/LinkedClientLibrary.h"
#include "import/ImportConfiguration.h"
#include "platform/Platform.h"
#include "profile/Profile.h"
#include "profile/Text.h"

namespace {

Value Str(BSTR s) { return Value::Text(TextFromLibraryString(s).Units()); }
Value Int(int64_t n) { return Value::Int(n); }
Value Amt(double a) { return Value::Amount(a); }

// Answers every Set call with success and keeps it; everything else goes to
// the target (the import calls nothing else but ResultString, which a
// successful call never needs).
class RecordingLibrary : public ClientLibraryWrapper {
 public:
  RecordingLibrary(ClientLibrary& target, Prediction* prediction)
      : ClientLibraryWrapper(target), p_(prediction) {}

  int32_t SetPortProperties(int32_t id, int32_t number, BSTR name, int32_t protocolId,
                            int16_t deviceType, BSTR serialNo) override {
    Record& r = At(Table::kPort, id, 0, 0);
    Keep(r, "SetPortProperties", {Int(id)},
         {{"Number", Int(number)}, {"Name", Str(name)}, {"ProtocolId", Int(protocolId)},
          {"DeviceType", Int(deviceType)}, {"SerialNo", Str(serialNo)}});
    return 0;
  }

  int32_t SetGradeProperties(int32_t id, int32_t number, BSTR name, BSTR shortName,
                             BSTR code) override {
    Record& r = At(Table::kGrade, id, 0, 0);
    Keep(r, "SetGradeProperties", {Int(id)},
         {{"Number", Int(number)}, {"Name", Str(name)}, {"ShortName", Str(shortName)},
          {"Code", Str(code)}});
    return 0;
  }

  int32_t SetGradePrice(int32_t id, int16_t level, double price) override {
    static const char* const kLevels[] = {"Price1", "Price2", "Price3", "Price4",
                                          "Price5", "Price6", "Price7", "Price8"};
    Record& r = At(Table::kGrade, id, 0, 0);
    p_->calls.push_back(SetCall{"SetGradePrice", {Int(id), Int(level), Amt(price)}});
    if (level >= 1 && level <= 8) r.Put(kLevels[level - 1], Amt(price));
    return 0;
  }

  int32_t SetTankProperties(int32_t id, int32_t number, BSTR name, int32_t grade, int16_t type,
                            double capacity, double diameter, double m1, double m2, double m3,
                            double m4, double m5, double m6, double m7, double m8,
                            int32_t tankGauge, int16_t probe) override {
    Record& r = At(Table::kTank, id, 0, 0);
    Keep(r, "SetTankProperties", {Int(id)},
         {{"Number", Int(number)}, {"Name", Str(name)}, {"Grade", Int(grade)},
          {"Type", Int(type)}, {"Capacity", Amt(capacity)}, {"Diameter", Amt(diameter)},
          {"M1", Amt(m1)}, {"M2", Amt(m2)}, {"M3", Amt(m3)}, {"M4", Amt(m4)},
          {"M5", Amt(m5)}, {"M6", Amt(m6)}, {"M7", Amt(m7)}, {"M8", Amt(m8)},
          {"TankGauge", Int(tankGauge)}, {"Probe", Int(probe)}});
    return 0;
  }

  int32_t SetZigBeeProperties(int32_t id, int32_t number, BSTR name, int16_t deviceType,
                              BSTR serialNumber, BSTR nodeIdentifier, int32_t portId) override {
    Record& r = At(Table::kZigBee, id, 0, 0);
    Keep(r, "SetZigBeeProperties", {Int(id)},
         {{"Number", Int(number)}, {"Name", Str(name)}, {"DeviceType", Int(deviceType)},
          {"SerialNumber", Str(serialNumber)}, {"NodeIdentifier", Str(nodeIdentifier)},
          {"PortId", Int(portId)}});
    return 0;
  }

  int32_t SetPumpPropertiesEx(int32_t id, int32_t number, BSTR name, int16_t physicalNumber,
                              int16_t side, int16_t address, int16_t priceLevel1,
                              int16_t priceLevel2, int16_t priceDspFormat,
                              int16_t volumeDspFormat, int16_t valueDspFormat, int16_t pumpType,
                              int32_t portId, int32_t attendantId, int16_t authMode,
                              int16_t stackMode, int16_t prepayAllowed, int16_t preauthAllowed,
                              int32_t slot, int32_t muxSlotZigBeeId, int16_t priceControl,
                              int16_t hasPreset) override {
    Record& r = At(Table::kPump, id, 0, 0);
    Keep(r, "SetPumpPropertiesEx", {Int(id)},
         {{"Number", Int(number)}, {"Name", Str(name)},
          {"PhysicalNumber", Int(physicalNumber)}, {"Side", Int(side)},
          {"Address", Int(address)}, {"PriceLevel1", Int(priceLevel1)},
          {"PriceLevel2", Int(priceLevel2)}, {"PriceDspFormat", Int(priceDspFormat)},
          {"VolumeDspFormat", Int(volumeDspFormat)}, {"ValueDspFormat", Int(valueDspFormat)},
          {"PumpType", Int(pumpType)}, {"PortId", Int(portId)},
          {"AttendantId", Int(attendantId)}, {"AuthMode", Int(authMode)},
          {"StackMode", Int(stackMode)}, {"PrepayAllowed", Int(prepayAllowed)},
          {"PreauthAllowed", Int(preauthAllowed)}, {"Slot", Int(slot)},
          {"MuxSlotZigBeeId", Int(muxSlotZigBeeId)}, {"PriceControl", Int(priceControl)},
          {"HasPreset", Int(hasPreset)}});
    return 0;
  }

  int32_t SetHosePropertiesEx2(int32_t id, int32_t number, int32_t pumpId, int32_t tank,
                               int32_t physicalNumber, double h1, double h2, double h3,
                               double h4, int16_t reader, double price1, double price2,
                               int16_t enabled) override {
    Record& r = At(Table::kHose, id, pumpId, number);
    Keep(r, "SetHosePropertiesEx2", {Int(id)},
         {{"Number", Int(number)}, {"PumpId", Int(pumpId)}, {"Tank", Int(tank)},
          {"PhysicalNumber", Int(physicalNumber)}, {"H1", Amt(h1)}, {"H2", Amt(h2)},
          {"H3", Amt(h3)}, {"H4", Amt(h4)}, {"Reader", Int(reader)},
          {"Price1", Amt(price1)}, {"Price2", Amt(price2)}, {"Enabled", Int(enabled)}});
    return 0;
  }

  int32_t SetAttendantPropertiesEx(int32_t id, int32_t number, BSTR name, BSTR shortName,
                                   BSTR password, BSTR tag, int16_t shiftAStart,
                                   int16_t shiftAEnd, int16_t shiftBStart, int16_t shiftBEnd,
                                   int16_t enabled) override {
    Record& r = At(Table::kAttendant, id, 0, 0);
    Keep(r, "SetAttendantPropertiesEx", {Int(id)},
         {{"Number", Int(number)}, {"Name", Str(name)}, {"ShortName", Str(shortName)},
          {"Password", Str(password)}, {"Tag", Str(tag)}, {"ShiftAStart", Int(shiftAStart)},
          {"ShiftAEnd", Int(shiftAEnd)}, {"ShiftBStart", Int(shiftBStart)},
          {"ShiftBEnd", Int(shiftBEnd)}, {"Enabled", Int(enabled)}});
    return 0;
  }

  int32_t SetCardClientProperties(int32_t id, int32_t number, BSTR name, BSTR tag,
                                  int16_t enabled) override {
    Record& r = At(Table::kCardClient, id, 0, 0);
    Keep(r, "SetCardClientProperties", {Int(id)},
         {{"Number", Int(number)}, {"Name", Str(name)}, {"Tag", Str(tag)},
          {"Enabled", Int(enabled)}});
    return 0;
  }

 private:
  // The record of (table, id), made on its first Set call. A record written
  // twice (a grade beyond the import's list of 128) keeps its place.
  Record& At(Table table, int32_t id, int32_t pumpId, int32_t hose) {
    const uint64_t key = (static_cast<uint64_t>(table) << 32) | static_cast<uint32_t>(id);
    auto it = index_.find(key);
    if (it != index_.end()) {
      Record& r = p_->records[it->second];
      if (table == Table::kHose) {
        r.pumpId = pumpId;
        r.hose = hose;
      }
      return r;
    }
    index_.emplace(key, p_->records.size());
    Record r;
    r.table = table;
    r.id = id;
    r.pumpId = pumpId;
    r.hose = hose;
    p_->records.push_back(std::move(r));
    return p_->records.back();
  }

  void Keep(Record& r, const char* call, std::vector<Value> head, std::vector<Field> fields) {
    SetCall c{call, std::move(head)};
    c.args.reserve(c.args.size() + fields.size());
    for (const Field& f : fields) c.args.push_back(f.value);
    p_->calls.push_back(std::move(c));
    if (r.fields.empty()) {
      r.fields = std::move(fields);
      return;
    }
    for (Field& f : fields) r.Put(f.name, std::move(f.value));
  }

  Prediction* p_;
  std::unordered_map<uint64_t, size_t> index_;  // (table, id) -> place in records
};

}  // namespace

bool PredictImport(const std::string& path, Prediction* prediction, std::string* error) {
  *prediction = Prediction();
  CProfile profile(path.c_str(), false);
  if (!profile.Open(error)) return false;
  // The import's own lines are not shown: they would speak of a run that
  // did not happen.
  std::FILE* out = platform::OpenNullOutput();
  if (out == nullptr) {
    if (error != nullptr) *error = "Cannot open the null device";
    return false;
  }
  LinkedClientLibrary linked;
  RecordingLibrary recorder(linked, prediction);
  prediction->result = RunImport(profile, recorder, out);
  std::fclose(out);
  return true;
}
