#include "client/LinkedClientLibrary.h"

#include "client/TarvoClient.h"

// Each method calls the linked library's function of its name.
#define TARVO_CALL_LINKED(result, name, parameters, arguments) \
  result LinkedClientLibrary::name parameters { return ::name arguments; }
TARVO_CLIENT_FUNCTIONS(TARVO_CALL_LINKED)
#undef TARVO_CALL_LINKED
