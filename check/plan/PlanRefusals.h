// The writes of a PLAN that a controller may refuse: those of records whose
// identifier is below 1, each with what follows if a controller refuses it,
// found by running the import again with that record refused.
#pragma once

#include <cstddef>
#include <string>

#include <nlohmann/json_fwd.hpp>

#include "check/records/Compare.h"
#include "check/records/Prediction.h"

class CProfile;

// Fills plan's refusals, one per record of accepted (the import's prediction
// over the open profile) whose identifier is below 1, in the order IMPORT
// writes them. False, with a reason, when the import cannot be run again.
bool FindRefusals(CProfile& profile, const Prediction& accepted, Comparison* plan,
                  std::string* error);

// The lines told with plan.records[at], or with at == records.size() those
// of records the plan does not show; empty when there are none.
std::string RefusalText(const Comparison& plan, size_t at);
// The summary's clause (", 1 write a controller may refuse"); empty when
// there are none.
std::string RefusalSummary(const Comparison& plan);
// The refusals as JSON: table, id, the records skipped, where the import
// stops (null when it goes on) and what it then leaves unwritten per table.
nlohmann::ordered_json RefusalsJson(const Comparison& plan);
