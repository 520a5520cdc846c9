// The library the checked import writes through: every call goes to the
// target unchanged, and the watch keeps the last Set call the controller
// refused (the call, the record it writes, the library's reason), so that a
// stop can name them. Once the person at the console interrupts, the next
// Get or Set call does not reach the controller: it throws ImportInterrupted,
// which ends the import between two calls.
#pragma once

#include <cstdint>
#include <string>

#include "client/ClientLibraryWrapper.h"

struct ImportInterrupted {};

// A refused Set call: "SetPumpPropertiesEx", "Pump05", and the library's
// text for the result code.
struct StopCall {
  std::string call;
  std::string record;
  std::string reason;
  int32_t code = 0;
};

class ImportWatch : public ClientLibraryWrapper {
 public:
  explicit ImportWatch(ClientLibrary& target) : ClientLibraryWrapper(target) {}

  // The last refused Set call; code 0 when none was refused.
  const StopCall& LastRefused() const { return refused_; }

#define TARVO_WATCH_DECLARE(result, name, parameters, arguments) result name parameters override;
  TARVO_CLIENT_FUNCTIONS(TARVO_WATCH_DECLARE)
#undef TARVO_WATCH_DECLARE

 private:
  void BeforeCall(const char* call) const;
  void AfterCall(const char* call, int32_t result, const int64_t (&ids)[3]);
  template <typename T>
  void AfterCall(const char*, T, const int64_t (&)[3]) {}

  StopCall refused_;
};
