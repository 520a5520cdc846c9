// What the emulated controller does with one request: journal it, apply an
// injected fault, or carry out the call against the store with the checks a
// controller makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulator/server/Store.h"

namespace emu {

struct Outcome {
  int32_t code = 0;
  nlohmann::json out = nlohmann::json::object();
  std::string message;
  int delayMs = 0;    // wait this long before replying (or dropping)
  bool drop = false;  // close the connection instead of replying
};

class Controller {
 public:
  explicit Controller(Store& store);

  // A call of the interface, or an inspection call ("$state", "$journal",
  // "$clearJournal", "$load" with a fixture as its one argument).
  Outcome Handle(const std::string& call, const nlohmann::json& args);

 private:
  struct Fault {
    nlohmann::json rule;
    int64_t matches = 0;
    int64_t fired = 0;
  };

  void LoadFaults();
  const Fault* Match(const std::string& call, const nlohmann::json& args);
  // keep: a field of a Set call left at its old value (a "keep" fault).
  Outcome Execute(const std::string& call, const nlohmann::json& args,
                  const std::string& keep = "");

  Store& store_;
  std::vector<Fault> faults_;
};

}  // namespace emu
