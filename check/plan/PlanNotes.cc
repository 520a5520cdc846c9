#include "check/plan/PlanNotes.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include <nlohmann/json.hpp>

#include "check/text/JsonText.h"
#include "profile/ProfileLines.h"

namespace {

using Place = std::pair<int32_t, int32_t>;  // (pump identifier, hose number)

std::string HoseName(int32_t pump, int32_t hose) {
  return SectionName(Table::kPump, pump) + " Hose" + std::to_string(hose);
}

// Where what is said of pump goes among the plan's records: after that
// pump's records and those IMPORT writes before them (pumps go up by
// identifier, each followed by its hoses, and then come the tables after
// them), before the records the controller alone holds.
size_t PlaceOf(const std::vector<RecordChange>& records, int32_t pump) {
  for (size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i].record;
    if (records[i].kind == RecordChange::Kind::kOnlyBefore) return i;
    const bool pumps = r.table == Table::kPump || r.table == Table::kHose;
    if (pumps && (r.table == Table::kHose ? r.pumpId : r.id) > pump) return i;
    if (r.table == Table::kAttendant || r.table == Table::kCardClient) return i;
  }
  return records.size();
}

// Says, on the PumpId change of the moving hose's record, where it comes from.
void NoteMove(Comparison* plan, const HoseMove& m) {
  for (RecordChange& rc : plan->records) {
    if (rc.record.table != Table::kHose || rc.record.id != m.id) continue;
    for (Change& c : rc.changes) {
      if (std::strcmp(c.field, "PumpId") == 0) {
        c.note = "id " + std::to_string(m.id) + " moves from " + HoseName(m.fromPump, m.fromHose);
      }
    }
  }
}

std::string Count(size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string HowMany(size_t n) {
  const char* const kWords[] = {"two", "three", "four"};
  return n >= 2 && n <= 4 ? kWords[n - 2] : std::to_string(n);
}

// The new records of each table that has values without a file key.
std::vector<std::pair<Table, size_t>> Zeroed(const Comparison& plan) {
  std::vector<std::pair<Table, size_t>> counts;
  for (size_t t = 0; t < kTableCount; ++t) {
    const Table table = static_cast<Table>(t);
    bool uncarried = false;
    for (const FieldSchema& field : SchemaOf(table)) uncarried = uncarried || field.Uncarried();
    if (!uncarried) continue;
    size_t n = 0;
    for (const RecordChange& rc : plan.records) {
      n += rc.kind == RecordChange::Kind::kNew && rc.record.table == table ? 1 : 0;
    }
    if (n > 0) counts.emplace_back(table, n);
  }
  return counts;
}

}  // namespace

void FindHoseMoves(const std::vector<Record>& controller, const std::vector<Record>& after,
                   Comparison* plan) {
  // Where each hose stands once IMPORT has written its own over the
  // controller's: a hose IMPORT writes is moved, none is removed.
  std::map<int32_t, Place> ends;
  for (const Record& r : controller) {
    if (r.table == Table::kHose) ends.emplace(r.id, Place{r.pumpId, r.hose});
  }
  const std::map<int32_t, Place> held = ends;
  std::set<int32_t> written;
  for (const Record& r : after) {
    if (r.table != Table::kHose) continue;
    written.insert(r.id);
    ends[r.id] = Place{r.pumpId, r.hose};
    const auto was = held.find(r.id);
    if (was == held.end() || was->second.first == r.pumpId) continue;
    const HoseMove m{r.id,
                     was->second.first,
                     was->second.second,
                     r.pumpId,
                     r.hose,
                     PlaceOf(plan->records, was->second.first)};
    plan->moves.push_back(m);
    NoteMove(plan, m);
  }
  std::map<Place, std::vector<int32_t>> byNumber;
  for (const auto& e : ends) byNumber[e.second].push_back(e.first);
  for (const auto& b : byNumber) {
    bool ours = false;
    for (int32_t id : b.second) ours = ours || written.count(id) != 0;
    if (b.second.size() < 2 || !ours) continue;
    plan->shared.push_back(SharedNumber{b.first.first, b.first.second, b.second,
                                        PlaceOf(plan->records, b.first.first)});
  }
}

std::string HoseNotesText(const Comparison& plan, size_t at) {
  // Each block with its pump: the blocks of one place go by pump.
  std::vector<std::pair<int32_t, std::string>> blocks;
  for (const HoseMove& m : plan.moves) {
    if (m.at != at) continue;
    blocks.emplace_back(m.fromPump,
                        HoseName(m.fromPump, m.fromHose) + " (id " + std::to_string(m.id) +
                            ") moves to " + SectionName(Table::kPump, m.toPump) +
                            (m.toHose == m.fromHose ? "" : " as Hose" + std::to_string(m.toHose)));
  }
  for (const SharedNumber& s : plan.shared) {
    if (s.at != at) continue;
    std::string text = SectionName(Table::kPump, s.pump) + " will have " + HowMany(s.ids.size()) +
                       " hoses numbered " + std::to_string(s.hose) + ": ids ";
    for (size_t i = 0; i < s.ids.size(); ++i) {
      text += (i == 0 ? "" : i + 1 == s.ids.size() ? " and " : ", ") + std::to_string(s.ids[i]);
    }
    blocks.emplace_back(s.pump, text + " (IMPORT removes no hose)");
  }
  std::stable_sort(blocks.begin(), blocks.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string out;
  for (const auto& b : blocks) out += b.second + "\n\n";
  return out;
}

std::string HoseNotesSummary(const Comparison& plan) {
  std::string out;
  if (!plan.moves.empty()) {
    out += ", " + Count(plan.moves.size(), "hose moves", "hoses move") + " to another pump";
  }
  if (!plan.shared.empty()) {
    out += ", " + Count(plan.shared.size(), "pump", "pumps") + " with two hoses of one number";
  }
  return out;
}

nlohmann::ordered_json HoseMovesJson(const Comparison& plan) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const HoseMove& m : plan.moves) {
    out.push_back({{"id", m.id},
                   {"from", HoseName(m.fromPump, m.fromHose)},
                   {"to", HoseName(m.toPump, m.toHose)}});
  }
  return out;
}

nlohmann::ordered_json SharedNumbersJson(const Comparison& plan) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const SharedNumber& s : plan.shared) {
    out.push_back({{"pump", SectionName(Table::kPump, s.pump)}, {"hose", s.hose}, {"ids", s.ids}});
  }
  return out;
}

std::string ZeroedText(const Comparison& plan) {
  std::string out;
  for (const auto& z : Zeroed(plan)) {
    out += "IMPORT passes 0 for the measures of " +
           Count(z.second, "new " + profile_lines::Lower(TableWord(z.first)),
                 std::string("new ") + TablePlural(z.first)) +
           ": the file has no keys for them\n";
  }
  return out.empty() ? out : out + "\n";
}

nlohmann::ordered_json ZeroedJson(const Comparison& plan) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const auto& z : Zeroed(plan)) {
    out.push_back({{"table", TableName(z.first)}, {"count", z.second}});
  }
  return out;
}
