// What PLAN says beside the record changes: hoses that leave one pump for
// another, pumps that will hold two hoses of one number, and the values that
// IMPORT passes as 0 for records the controller does not have yet.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "check/records/Compare.h"

// Fills plan's moves and shared numbers from the controller's records and
// those IMPORT would write, and notes each move on its hose's PumpId change.
void FindHoseMoves(const std::vector<Record>& controller, const std::vector<Record>& after,
                   Comparison* plan);

// The blocks to show before plan.records[at] (at == records.size(): after
// the last), each followed by a blank line.
std::string HoseNotesText(const Comparison& plan, size_t at);
// The summary's clauses for moves and shared numbers (", 1 hose moves to
// another pump"); empty when there are none.
std::string HoseNotesSummary(const Comparison& plan);
// The moves as JSON: [{"id", "from", "to"}], hoses named "Pump08 Hose1".
nlohmann::ordered_json HoseMovesJson(const Comparison& plan);
// The shared numbers as JSON: [{"pump", "hose", "ids"}].
nlohmann::ordered_json SharedNumbersJson(const Comparison& plan);

// One line per table of the new records whose values without a file key
// IMPORT passes as 0, followed by a blank line; empty when there are none.
std::string ZeroedText(const Comparison& plan);
// Such new records per table as JSON: [{"table", "count"}].
nlohmann::ordered_json ZeroedJson(const Comparison& plan);
