// What an IMPORT of a file would write: the import itself, run through the
// client library seam with every Set call recorded and answered with success
// instead of being sent. Nothing reaches a controller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/records/Records.h"

// One Set call as the import made it, arguments in interface order.
struct SetCall {
  std::string call;  // "SetPumpPropertiesEx"
  std::vector<Value> args;
};

// A Set call that a prediction made with a refusal (PredictRefusing) had
// refused, and where the import stood: the pump step's pump and the hose it
// was writing, both 0 before that step.
struct RefusedCall {
  size_t call = 0;  // its place in the prediction's calls
  int32_t pump = 0;
  int32_t hose = 0;
};

struct Prediction {
  // The import's result: -1 when it would stop part-way with every Set call
  // accepted (a hose whose tank cannot be imported), or with the refused
  // ones refused.
  int32_t result = 0;
  std::vector<SetCall> calls;  // in the order made, refused ones included
  std::vector<RefusedCall> refused;
  // One record per identifier, in the order of each record's first
  // accepted Set call; a grade carries its price levels as Price1..Price8.
  std::vector<Record> records;
};

class CProfile;
class ClientLibrary;

// Runs the import over the open file. The import's Get calls (the measures a
// tank or hose keeps) go to controller, a logged-on library; with none they
// fail, as for records the controller does not have. False, with a reason,
// when the null device the import's lines go to cannot be opened.
bool PredictImport(CProfile& profile, Prediction* prediction, std::string* error,
                   ClientLibrary* controller = nullptr);

// The same, but with every Set call of record (table, id) refused, as a
// controller that validates identifiers refuses one below 1; the controller
// still answers, so that the import goes on as its steps do after a refusal
// (skipping the record, or stopping there).
bool PredictRefusing(CProfile& profile, Table table, int32_t id, Prediction* prediction,
                     std::string* error, ClientLibrary* controller = nullptr);

// Gives a prediction made without a controller the measures of the tanks and
// hoses it writes as controller holds them: the same Get calls, in the same
// order, as PredictImport with that controller makes (one before each tank's
// and hose's Set call), so that the prediction becomes the one PredictImport
// makes with it. The import's other calls do not depend on these answers
// while every record the controller lists answers its Get call (as the
// checked import's replay of its backup EXPORT does): a failed one then
// means a record the controller lacks, which gets 0 either way, where
// PredictImport would leave a listed record unwritten.
void AnswerMeasures(Prediction* prediction, ClientLibrary& controller);
