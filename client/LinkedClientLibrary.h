// The ClientLibrary that calls the client library the program is linked with:
// each method calls the library function of its name with its arguments
// unchanged. It holds no state, so any number of them may exist; the
// driver and TarvoCheck each create one and pass it to what they run.
#pragma once

#include <cstdint>

#include "client/ClientLibrary.h"

class LinkedClientLibrary final : public ClientLibrary {
 public:
#define TARVO_OVERRIDE(result, name, parameters, arguments) result name parameters override;
  TARVO_CLIENT_FUNCTIONS(TARVO_OVERRIDE)
#undef TARVO_OVERRIDE
};
