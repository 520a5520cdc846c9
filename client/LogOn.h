// The logon both programs make before any other call: ClientLogonEx with the
// server and the fixed arguments below, in the interface's order.
#pragma once

#include <cstdint>

#include "profile/Text.h"

class ClientLibrary;

// ClientLogonEx's fixed arguments. The interface names only the ports and
// the timeout; the others are passed as they stand and read by the library
// alone.
constexpr int32_t kLogonA1 = 110;
constexpr int32_t kLogonA2 = 5;
constexpr int32_t kLogonCallPort = 5123;
constexpr int32_t kLogonEventsPort = 5124;
constexpr int32_t kLogonTimeoutMs = 10000;
constexpr int32_t kLogonA7 = 0;
constexpr int32_t kLogonA8 = 0;
constexpr int32_t kLogonA9 = 1024;

// Logs on to the server (a name or an IPv4 address) through library and
// returns ClientLogonEx's result. The server's library string lives only for
// the call.
int32_t LogOn(ClientLibrary& library, const Text& server);
