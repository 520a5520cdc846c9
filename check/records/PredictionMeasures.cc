// A prediction made without a controller, given the measures the
// controller holds for the tanks and hoses it writes.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "check/records/Prediction.h"
#include "client/ClientLibrary.h"
#include "client/LibString.h"

namespace {

constexpr size_t kTankMeasuresAt = 7;  // m1..m8 in SetTankProperties' arguments
constexpr size_t kTankMeasures = 8;
constexpr size_t kHoseMeasuresAt = 5;  // h1..h4 in SetHosePropertiesEx2's arguments
constexpr size_t kHoseMeasures = 4;

// The measures the import reads before writing tank or hose id, as it reads
// them: all 0 when the Get call fails.
void HeldMeasures(ClientLibrary& controller, bool tank, int32_t id, double (&held)[kTankMeasures]) {
  int32_t number = 0, grade = 0, pumpId = 0, tankId = 0, physicalNumber = 0, tankGauge = 0;
  int16_t type = 0, probe = 0, reader = 0, enabled = 0;
  double capacity = 0.0, diameter = 0.0, price1 = 0.0, price2 = 0.0;
  const size_t count = tank ? kTankMeasures : kHoseMeasures;
  int32_t result = 0;
  if (tank) {
    LibString name;
    result = controller.GetTankProperties(
        id, &number, name.Out(), &grade, &type, &capacity, &diameter, &held[0], &held[1], &held[2],
        &held[3], &held[4], &held[5], &held[6], &held[7], &tankGauge, &probe);
  } else {
    result = controller.GetHosePropertiesEx2(id, &number, &pumpId, &tankId, &physicalNumber,
                                             &held[0], &held[1], &held[2], &held[3], &reader,
                                             &price1, &price2, &enabled);
  }
  for (size_t i = 0; i < count; ++i) held[i] = result == 0 ? held[i] : 0.0;
}

}  // namespace

void AnswerMeasures(Prediction* prediction, ClientLibrary& controller) {
  std::unordered_map<uint64_t, size_t> index;  // (table, id) -> place in records
  for (size_t i = 0; i < prediction->records.size(); ++i) {
    const Record& r = prediction->records[i];
    index.emplace((static_cast<uint64_t>(r.table) << 32) | static_cast<uint32_t>(r.id), i);
  }
  const std::string tankCall = SchemaOf(Table::kTank).setCall;
  const std::string hoseCall = SchemaOf(Table::kHose).setCall;
  for (SetCall& c : prediction->calls) {
    const bool tank = c.call == tankCall;
    if (!tank && c.call != hoseCall) continue;
    const Table table = tank ? Table::kTank : Table::kHose;
    const int32_t id = static_cast<int32_t>(c.args[0].number);
    double held[kTankMeasures] = {};
    HeldMeasures(controller, tank, id, held);
    const size_t at = tank ? kTankMeasuresAt : kHoseMeasuresAt;
    for (size_t i = 0; i < (tank ? kTankMeasures : kHoseMeasures); ++i) {
      c.args[at + i] = Value::Amount(held[i]);
    }
    // The record as the Set call writes it: each field of the call put in
    // its place, as a later call of a record written twice puts them.
    auto it = index.find((static_cast<uint64_t>(table) << 32) | static_cast<uint32_t>(id));
    if (it == index.end()) continue;
    Record made = MakeRecord(table, id, std::vector<Value>(c.args.begin() + 1, c.args.end()));
    for (Field& f : made.fields) prediction->records[it->second].Put(f.name, std::move(f.value));
  }
}
