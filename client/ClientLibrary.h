// The controller client library as the procedures call it: one pure virtual
// method per library function, with the function's own name and arguments
// (the list of client/ClientFunctions.h).
//
// LinkedClientLibrary (client/LinkedClientLibrary.h) calls the library the
// program is linked with; the driver and TarvoCheck each create one and pass
// it down. ClientLibraryWrapper (client/ClientLibraryWrapper.h) forwards every
// method to a target, so that a stand-in (a test's scripted controller, or a
// recorder of the writes an import would make) overrides only what it stands
// in for. Out-values, result codes and the ownership of strings are the
// library's own (client/TarvoClient.h).
#pragma once

#include <cstdint>

#include "client/ClientFunctions.h"
#include "platform/LibraryString.h"

class ClientLibrary {
 public:
  ClientLibrary() = default;
  virtual ~ClientLibrary() = default;
  ClientLibrary(const ClientLibrary&) = delete;
  ClientLibrary& operator=(const ClientLibrary&) = delete;

#define TARVO_PURE_VIRTUAL(result, name, parameters, arguments) virtual result name parameters = 0;
  TARVO_CLIENT_FUNCTIONS(TARVO_PURE_VIRTUAL)
#undef TARVO_PURE_VIRTUAL
};
