#include "check/plan/PlanRefusals.h"

#include <set>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "check/text/JsonText.h"

namespace {

using Key = std::pair<Table, int32_t>;

// "pumps" for many, "pump" for one ("card clients", "card client").
std::string CountOf(Table table, int n) {
  std::string word = TablePlural(table);
  if (n == 1) word.pop_back();
  return std::to_string(n) + " " + word;
}

// "a", "a and b", "a, b and c"; after four, the first three and how many more.
std::string Listed(const std::vector<std::string>& items) {
  const size_t shown = items.size() > 4 ? 3 : items.size();
  std::string out;
  for (size_t i = 0; i < shown; ++i) {
    const bool last = i + 1 == shown && shown == items.size();
    out += (i == 0 ? "" : last ? " and " : ", ") + items[i];
  }
  if (shown < items.size()) out += " and " + std::to_string(items.size() - shown) + " more";
  return out;
}

// Fills what follows for refusal from refused, the import run with its
// record refused: the records accepted writes and refused does not, skipped
// before the pump step, or left unwritten by a stop.
void Follows(const Prediction& accepted, const Prediction& refused, Refusal* refusal) {
  std::set<Key> written;
  for (const Record& r : refused.records) written.emplace(r.table, r.id);
  // The import stops right after a refused call only when the refusal ends it.
  const bool stops = refused.result != 0 && !refused.refused.empty() &&
                     refused.refused.back().call + 1 == refused.calls.size();
  int unwritten[kTableCount] = {};
  bool pumpStep = false;
  for (const Record& r : accepted.records) {
    pumpStep = pumpStep || r.table == Table::kPump;
    if (written.count({r.table, r.id}) != 0) continue;
    if (r.table == refusal->table && r.id == refusal->id) continue;
    if (stops && pumpStep) {
      ++unwritten[static_cast<size_t>(r.table)];
    } else {
      refusal->skipped.push_back(r.Name());
    }
  }
  if (!stops) return;
  const RefusedCall& last = refused.refused.back();
  refusal->stopsAt =
      last.pump != 0 ? SectionName(Table::kPump, last.pump) + " Hose" + std::to_string(last.hose)
                     : SectionName(refusal->table, refusal->id);
  for (size_t t = 0; t < kTableCount; ++t) {
    if (unwritten[t] > 0) refusal->unwritten.emplace_back(static_cast<Table>(t), unwritten[t]);
  }
}

// Where the record is told: with its record change, when the plan has one.
size_t PlaceOf(const Comparison& plan, const Refusal& refusal) {
  for (size_t i = 0; i < plan.records.size(); ++i) {
    const RecordChange& rc = plan.records[i];
    if (rc.kind != RecordChange::Kind::kOnlyBefore && rc.record.table == refusal.table &&
        rc.record.id == refusal.id) {
      return i;
    }
  }
  return plan.records.size();
}

std::string Consequence(const Refusal& refusal) {
  if (refusal.skipped.empty() && refusal.stopsAt.empty()) return "IMPORT goes on without it";
  std::string out;
  if (!refusal.skipped.empty()) out = "IMPORT skips " + Listed(refusal.skipped);
  if (refusal.stopsAt.empty()) return out + " and goes on";
  out += (out.empty() ? "the import stops at " : ", then stops at ") + refusal.stopsAt;
  std::vector<std::string> counts;
  for (const auto& u : refusal.unwritten) counts.push_back(CountOf(u.first, u.second));
  if (!counts.empty()) out += " and leaves " + Listed(counts) + " unwritten";
  return out;
}

}  // namespace

bool FindRefusals(CProfile& profile, const Prediction& accepted, Comparison* plan,
                  std::string* error) {
  std::set<Key> told;
  for (const Record& r : accepted.records) {
    if (r.id >= 1 || !told.emplace(r.table, r.id).second) continue;
    Prediction refused;
    if (!PredictRefusing(profile, r.table, r.id, &refused, error)) return false;
    Refusal refusal;
    refusal.table = r.table;
    refusal.id = r.id;
    Follows(accepted, refused, &refusal);
    refusal.at = PlaceOf(*plan, refusal);
    plan->refusals.push_back(std::move(refusal));
  }
  return true;
}

std::string RefusalText(const Comparison& plan, size_t at) {
  std::string out;
  for (const Refusal& refusal : plan.refusals) {
    if (refusal.at != at) continue;
    out += (at == plan.records.size() ? SectionName(refusal.table, refusal.id) : std::string()) +
           "  a controller may refuse this write (identifier " + std::to_string(refusal.id) +
           ", below 1); if it does, " + Consequence(refusal) + "\n";
  }
  return out;
}

std::string RefusalSummary(const Comparison& plan) {
  const size_t n = plan.refusals.size();
  if (n == 0) return std::string();
  return ", " + std::to_string(n) + (n == 1 ? " write" : " writes") + " a controller may refuse";
}

nlohmann::ordered_json RefusalsJson(const Comparison& plan) {
  using json = nlohmann::ordered_json;
  json out = json::array();
  for (const Refusal& r : plan.refusals) {
    json unwritten = json::array();
    for (const auto& u : r.unwritten) {
      unwritten.push_back(json{{"table", TableName(u.first)}, {"count", u.second}});
    }
    out.push_back(json{{"table", TableName(r.table)},
                       {"id", r.id},
                       {"skipped", r.skipped},
                       {"stopsAt", r.stopsAt.empty() ? json() : json(r.stopsAt)},
                       {"unwritten", std::move(unwritten)}});
  }
  return out;
}
