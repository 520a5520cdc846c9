#include "client/LogOn.h"

#include "client/ClientLibrary.h"
#include "client/LibString.h"

int32_t LogOn(ClientLibrary& library, const Text& server) {
  LibStringArg serverString(server);
  return library.ClientLogonEx(kLogonA1, kLogonA2, serverString.Get(), kLogonCallPort,
                               kLogonEventsPort, kLogonTimeoutMs, kLogonA7, kLogonA8, kLogonA9);
}
