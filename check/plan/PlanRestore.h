// The records of the file that a PLAN cannot promise: those IMPORT does not
// write (CHECK knows why) and that the controller does not hold either, so
// that after the import the controller still lacks them.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "check/records/Compare.h"
#include "check/rules/Check.h"

// Fills plan's notRestored with check's unwritten records of which the
// controller holds no record of that table and identifier (each record
// once, the first section that names it).
void FindNotRestored(const std::vector<Record>& controller, const FileCheck& check,
                     Comparison* plan);

// One line per such record ("Client011  not restored (IMPORT never reaches
// it: after seven missing numbers)"), followed by a blank line; empty when
// there are none. Section names as a file read with `encoding` spells them.
std::string NotRestoredText(const Comparison& plan, file_encoding::Mark encoding);
// The summary's clause (", 10 not restored"); empty when there are none.
std::string NotRestoredSummary(const Comparison& plan);
// The records as JSON: [{"section", "table", "id", "reason", "reasonCode"}] (utf8: the
// file's texts are UTF-8).
nlohmann::ordered_json NotRestoredJson(const Comparison& plan, bool utf8);
