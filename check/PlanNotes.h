// What PLAN says beside the record changes: hoses that leave one pump for
// another, pumps that will hold two hoses of one number, and the values that
// IMPORT passes as 0 for records the controller does not have yet.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/Compare.h"

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
// The JSON members "hoseMoves" and "sharedHoseNumbers", each after ",\n  ".
std::string HoseNotesJson(const Comparison& plan);

// One line per table of the new records whose values without a file key
// IMPORT passes as 0, followed by a blank line; empty when there are none.
std::string ZeroedText(const Comparison& plan);
// The JSON member "newRecordsWithZeroMeasures": such new records per table.
std::string ZeroedJson(const Comparison& plan);
