#include "check/plan/PlanRestore.h"

#include <map>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "check/text/FindingText.h"
#include "check/text/JsonText.h"

void FindNotRestored(const std::vector<Record>& controller, const FileCheck& check,
                     Comparison* plan) {
  std::set<std::pair<Table, int32_t>> held;
  for (const Record& r : controller) held.emplace(r.table, r.id);
  std::map<std::pair<Table, int32_t>, const UnwrittenRecord*> inController;
  for (const UnwrittenRecord& u : check.unwritten) {
    // Inserting marks the record as told, so a second section naming it is
    // not told again.
    if (held.emplace(u.table, u.id).second) {
      plan->notRestored.push_back(u);
    } else {
      inController.emplace(std::make_pair(u.table, u.id), &u);
    }
  }
  // A record the controller holds and the file too, where IMPORT does not
  // write it, is not the controller's alone: say why the file's is unwritten.
  for (RecordChange& rc : plan->records) {
    if (rc.kind != RecordChange::Kind::kOnlyBefore) continue;
    auto it = inController.find(std::make_pair(rc.record.table, rc.record.id));
    if (it != inController.end()) rc.unwrittenBecause = it->second->reason;
  }
}

std::string NotRestoredText(const Comparison& plan, file_encoding::Mark encoding) {
  std::string out;
  for (const UnwrittenRecord& u : plan.notRestored) {
    out += ShownName(u.section, encoding) + "  not restored (" + u.reason + ")\n";
  }
  return out.empty() ? out : out + "\n";
}

std::string NotRestoredSummary(const Comparison& plan) {
  if (plan.notRestored.empty()) return std::string();
  return ", " + std::to_string(plan.notRestored.size()) + " not restored";
}

nlohmann::ordered_json NotRestoredJson(const Comparison& plan, bool utf8) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const UnwrittenRecord& u : plan.notRestored) {
    out.push_back({{"section", Utf8Of(u.section, utf8)},
                   {"table", TableName(u.table)},
                   {"id", u.id},
                   {"reason", Utf8Of(u.reason, utf8)},
                   {"reasonCode", u.reasonCode}});
  }
  return out;
}
