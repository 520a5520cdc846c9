// What an IMPORT of a file would write: the import itself, run through the
// client library seam with every Set call recorded and answered with success
// instead of being sent. Nothing reaches a controller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/Records.h"

// One Set call as the import made it, arguments in interface order.
struct SetCall {
  std::string call;  // "SetPumpPropertiesEx"
  std::vector<Value> args;
};

struct Prediction {
  // The import's result: -1 when it would stop part-way with every Set call
  // accepted (a hose whose tank cannot be imported).
  int32_t result = 0;
  std::vector<SetCall> calls;  // in the order made
  // One record per identifier, in the order of each record's first Set
  // call; a grade carries its price levels as Price1..Price8.
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
