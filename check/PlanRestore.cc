#include "check/PlanRestore.h"

#include <set>
#include <utility>

#include "check/Report.h"

void FindNotRestored(const std::vector<Record>& controller, const FileCheck& check,
                     Comparison* plan) {
  std::set<std::pair<Table, int32_t>> held;
  for (const Record& r : controller) held.emplace(r.table, r.id);
  for (const UnwrittenRecord& u : check.unwritten) {
    // Inserting marks the record as told, so a second section naming it is
    // not told again.
    if (held.emplace(u.table, u.id).second) plan->notRestored.push_back(u);
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

std::string NotRestoredJson(const Comparison& plan) {
  std::string out = "\"notRestored\": [";
  for (size_t i = 0; i < plan.notRestored.size(); ++i) {
    const UnwrittenRecord& u = plan.notRestored[i];
    out += std::string(i == 0 ? "" : ",") + "\n    {\"section\": " + JsonBytes(u.section) +
           ", \"table\": \"" + TablePlural(u.table) + "\", \"id\": " + std::to_string(u.id) +
           ", \"reason\": " + JsonBytes(u.reason) + "}";
  }
  out += plan.notRestored.empty() ? "]" : "\n  ]";
  return out + ",\n  \"notRestoredCount\": " + std::to_string(plan.notRestored.size());
}
