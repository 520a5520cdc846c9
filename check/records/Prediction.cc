#include "check/records/Prediction.h"

#include <cstdio>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "client/ClientLibraryWrapper.h"
#include "client/LibString.h"
#include "import/ImportConfiguration.h"
#include "platform/Platform.h"
#include "profile/Profile.h"
#include "profile/Text.h"

namespace {

Value Str(BSTR s) { return Value::Text(TextFromLibraryString(s).Units()); }
Value Int(int64_t n) { return Value::Int(n); }
Value Amt(double a) { return Value::Amount(a); }

// What a Get call answers when there is no controller to ask.
constexpr int32_t kNoController = -1;
// What a refused Set call answers: the code of a value the controller does
// not accept.
constexpr int32_t kRefused = 7;

// The target when there is no controller: answers every call it is given
// as a controller that cannot be reached would, and calls no library (CHECK
// and DIFF run without one).
class NoController final : public ClientLibrary {
 public:
#define TARVO_NO_CALL(result, name, parameters, arguments) \
  result name parameters override {                        \
    Ignore arguments;                                      \
    return Unanswered<result>();                           \
  }
  TARVO_CLIENT_FUNCTIONS(TARVO_NO_CALL)
#undef TARVO_NO_CALL

 private:
  template <typename... Arguments>
  static void Ignore(const Arguments&...) {}
  template <typename Result>
  static Result Unanswered() {
    if constexpr (std::is_pointer_v<Result>) {
      return nullptr;  // ResultString: no text
    } else {
      return kNoController;
    }
  }
};

// Answers every Set call with success, or those of the one record it is
// told to refuse with a refusal, and keeps it; everything else goes to the
// target: with a controller to read, the Get calls of a tank's and a hose's
// measures; without one they fail as for a record the controller does not
// have. (The import calls nothing else but ResultString and the count calls,
// which only a refused Set call needs: a refusing recorder answers them.)
class RecordingLibrary : public ClientLibraryWrapper {
 public:
  RecordingLibrary(ClientLibrary& target, Prediction* prediction, bool readsController)
      : ClientLibraryWrapper(target), p_(prediction), readsController_(readsController) {}

  // Refuses every Set call of record (table, id) from now on.
  void Refuse(Table table, int32_t id) {
    refusing_ = true;
    refusedTable_ = table;
    refusedId_ = id;
  }

  // After a refused Set call the import asks the count of the record's
  // table: a refusing controller still answers.
  int32_t GetPortsCount(int32_t* count) override {
    return refusing_ ? Answer(count) : ClientLibraryWrapper::GetPortsCount(count);
  }
  int32_t GetGradesCount(int32_t* count) override {
    return refusing_ ? Answer(count) : ClientLibraryWrapper::GetGradesCount(count);
  }
  // After a failed read of a tank's or hose's measures the import asks the
  // controller's list of the tanks, or of the pump's hoses. Without a
  // controller the lists are empty, as the reads fail as for records the
  // controller lacks. A pump of the file the controller lacks has no hoses
  // there yet (IMPORT asks after writing it), and a refusing controller
  // still answers: a count the controller does not give is 0.
  int32_t GetTanksCount(int32_t* count) override {
    if (!readsController_) return Answer(count);
    const int32_t result = ClientLibraryWrapper::GetTanksCount(count);
    return result == 0 || !refusing_ ? result : Answer(count);
  }
  int32_t GetPumpHosesCount(int32_t pumpId, int32_t* count) override {
    if (!readsController_) return Answer(count);
    const int32_t result = ClientLibraryWrapper::GetPumpHosesCount(pumpId, count);
    return result == 0 ? 0 : Answer(count);
  }

  int32_t GetTankProperties(int32_t id, int32_t* number, BSTR* name, int32_t* grade, int16_t* type,
                            double* capacity, double* diameter, double* m1, double* m2, double* m3,
                            double* m4, double* m5, double* m6, double* m7, double* m8,
                            int32_t* tankGauge, int16_t* probe) override {
    if (!readsController_) return kNoController;
    return ClientLibraryWrapper::GetTankProperties(id, number, name, grade, type, capacity,
                                                   diameter, m1, m2, m3, m4, m5, m6, m7, m8,
                                                   tankGauge, probe);
  }

  int32_t GetHosePropertiesEx2(int32_t id, int32_t* number, int32_t* pumpId, int32_t* tank,
                               int32_t* physicalNumber, double* h1, double* h2, double* h3,
                               double* h4, int16_t* reader, double* price1, double* price2,
                               int16_t* enabled) override {
    if (!readsController_) return kNoController;
    return ClientLibraryWrapper::GetHosePropertiesEx2(id, number, pumpId, tank, physicalNumber, h1,
                                                      h2, h3, h4, reader, price1, price2, enabled);
  }

  int32_t SetPortProperties(int32_t id, int32_t number, BSTR name, int32_t protocolId,
                            int16_t deviceType, BSTR serialNo) override {
    return Keep(Table::kPort, id, 0, 0,
                {Int(number), Str(name), Int(protocolId), Int(deviceType), Str(serialNo)});
  }

  int32_t SetGradeProperties(int32_t id, int32_t number, BSTR name, BSTR shortName,
                             BSTR code) override {
    return Keep(Table::kGrade, id, 0, 0, {Int(number), Str(name), Str(shortName), Str(code)});
  }

  int32_t SetGradePrice(int32_t id, int16_t level, double price) override {
    p_->calls.push_back(SetCall{"SetGradePrice", {Int(id), Int(level), Amt(price)}});
    if (Refuses(Table::kGrade, id)) return kRefused;
    Record& r = At(Table::kGrade, id, 0, 0);
    if (level >= 1 && level <= kPriceLevels) r.Put(PriceLevelParam(level), Amt(price));
    return 0;
  }

  int32_t SetTankProperties(int32_t id, int32_t number, BSTR name, int32_t grade, int16_t type,
                            double capacity, double diameter, double m1, double m2, double m3,
                            double m4, double m5, double m6, double m7, double m8,
                            int32_t tankGauge, int16_t probe) override {
    return Keep(Table::kTank, id, 0, 0,
                {Int(number), Str(name), Int(grade), Int(type), Amt(capacity), Amt(diameter),
                 Amt(m1), Amt(m2), Amt(m3), Amt(m4), Amt(m5), Amt(m6), Amt(m7), Amt(m8),
                 Int(tankGauge), Int(probe)});
  }

  int32_t SetZigBeeProperties(int32_t id, int32_t number, BSTR name, int16_t deviceType,
                              BSTR serialNumber, BSTR nodeIdentifier, int32_t portId) override {
    return Keep(Table::kZigBee, id, 0, 0,
                {Int(number), Str(name), Int(deviceType), Str(serialNumber), Str(nodeIdentifier),
                 Int(portId)});
  }

  int32_t SetPumpPropertiesEx(int32_t id, int32_t number, BSTR name, int16_t physicalNumber,
                              int16_t side, int16_t address, int16_t priceLevel1,
                              int16_t priceLevel2, int16_t priceDspFormat, int16_t volumeDspFormat,
                              int16_t valueDspFormat, int16_t pumpType, int32_t portId,
                              int32_t attendantId, int16_t authMode, int16_t stackMode,
                              int16_t prepayAllowed, int16_t preauthAllowed, int32_t slot,
                              int32_t muxSlotZigBeeId, int16_t priceControl,
                              int16_t hasPreset) override {
    pump_ = id;
    hoses_ = 0;
    return Keep(
        Table::kPump, id, 0, 0,
        {Int(number),          Str(name),           Int(physicalNumber),  Int(side),
         Int(address),         Int(priceLevel1),    Int(priceLevel2),     Int(priceDspFormat),
         Int(volumeDspFormat), Int(valueDspFormat), Int(pumpType),        Int(portId),
         Int(attendantId),     Int(authMode),       Int(stackMode),       Int(prepayAllowed),
         Int(preauthAllowed),  Int(slot),           Int(muxSlotZigBeeId), Int(priceControl),
         Int(hasPreset)});
  }

  int32_t SetHosePropertiesEx2(int32_t id, int32_t number, int32_t pumpId, int32_t tank,
                               int32_t physicalNumber, double h1, double h2, double h3, double h4,
                               int16_t reader, double price1, double price2,
                               int16_t enabled) override {
    const int32_t result =
        Keep(Table::kHose, id, pumpId, number,
             {Int(number), Int(pumpId), Int(tank), Int(physicalNumber), Amt(h1), Amt(h2), Amt(h3),
              Amt(h4), Int(reader), Amt(price1), Amt(price2), Int(enabled)});
    if (result == 0) ++hoses_;
    return result;
  }

  int32_t SetAttendantPropertiesEx(int32_t id, int32_t number, BSTR name, BSTR shortName,
                                   BSTR password, BSTR tag, int16_t shiftAStart, int16_t shiftAEnd,
                                   int16_t shiftBStart, int16_t shiftBEnd,
                                   int16_t enabled) override {
    return Keep(Table::kAttendant, id, 0, 0,
                {Int(number), Str(name), Str(shortName), Str(password), Str(tag), Int(shiftAStart),
                 Int(shiftAEnd), Int(shiftBStart), Int(shiftBEnd), Int(enabled)});
  }

  int32_t SetCardClientProperties(int32_t id, int32_t number, BSTR name, BSTR tag,
                                  int16_t enabled) override {
    return Keep(Table::kCardClient, id, 0, 0, {Int(number), Str(name), Str(tag), Int(enabled)});
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

  static int32_t Answer(int32_t* count) {
    *count = 0;
    return 0;
  }

  // Keeps the Set call of record (table, id), its arguments the identifier
  // and values, and unless it is refused, the record it writes.
  int32_t Keep(Table table, int32_t id, int32_t pumpId, int32_t hose, std::vector<Value> values) {
    SetCall c{SchemaOf(table).setCall, {}};
    c.args.reserve(values.size() + 1);
    c.args.push_back(Int(id));
    c.args.insert(c.args.end(), values.begin(), values.end());
    p_->calls.push_back(std::move(c));
    if (Refuses(table, id)) return kRefused;
    Record& r = At(table, id, pumpId, hose);
    Record made = MakeRecord(table, id, std::move(values));
    if (r.fields.empty()) {
      r.fields = std::move(made.fields);
      return 0;
    }
    for (Field& f : made.fields) r.Put(f.name, std::move(f.value));
    return 0;
  }

  // True, with the refusal kept, when the call just kept is refused.
  bool Refuses(Table table, int32_t id) {
    if (!refusing_ || table != refusedTable_ || id != refusedId_) return false;
    p_->refused.push_back(RefusedCall{p_->calls.size() - 1, pump_, pump_ != 0 ? hoses_ + 1 : 0});
    return true;
  }

  Prediction* p_;
  bool readsController_;  // false: the measures read as for records the controller lacks
  bool refusing_ = false;
  Table refusedTable_ = Table::kPort;
  int32_t refusedId_ = 0;
  int32_t pump_ = 0;                            // the last pump written, 0 before the pump step
  int32_t hoses_ = 0;                           // its hoses written so far
  std::unordered_map<uint64_t, size_t> index_;  // (table, id) -> place in records
};

}  // namespace

namespace {

// Runs the import over the open file through recorder.
bool Run(CProfile& profile, RecordingLibrary& recorder, Prediction* prediction,
         std::string* error) {
  // The import's own lines are not shown: they would speak of a run that
  // did not happen.
  std::FILE* out = platform::OpenNullOutput();
  if (out == nullptr) {
    if (error != nullptr) *error = "Cannot open the null device";
    return false;
  }
  prediction->result = RunImport(profile, recorder, out);
  std::fclose(out);
  return true;
}

}  // namespace

bool PredictImport(CProfile& profile, Prediction* prediction, std::string* error,
                   ClientLibrary* controller) {
  *prediction = Prediction();
  NoController none;
  RecordingLibrary recorder(controller != nullptr ? *controller : none, prediction,
                            controller != nullptr);
  return Run(profile, recorder, prediction, error);
}

bool PredictRefusing(CProfile& profile, Table table, int32_t id, Prediction* prediction,
                     std::string* error, ClientLibrary* controller) {
  *prediction = Prediction();
  NoController none;
  RecordingLibrary recorder(controller != nullptr ? *controller : none, prediction,
                            controller != nullptr);
  recorder.Refuse(table, id);
  return Run(profile, recorder, prediction, error);
}
