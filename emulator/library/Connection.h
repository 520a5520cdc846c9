// The library's one connection to the controller server. A new logon replaces
// it; a timeout or a lost connection closes it, and later calls report that
// until the next logon. Not thread-safe: the program calls from one thread.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace tarvo_lib {

struct Reply {
  int32_t code = 0;
  nlohmann::json out;  // an object; only the values the controller has
};

// Resolves and connects to host:port within timeoutMs, then sends the logon
// request. Returns a result code; on failure no connection is left open.
int32_t Logon(const std::string& host, int port, int timeoutMs, const nlohmann::json& logonArgs);

// One request and its reply. A transport failure closes the connection.
Reply Call(const char* name, nlohmann::json args);

// Remembers what the last failure was about, for ResultString.
void NoteFailure(int32_t code, const std::string& detail);
std::string FailureDetail(int32_t code);

}  // namespace tarvo_lib
