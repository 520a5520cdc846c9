#include "client/ClientLibraryWrapper.h"

// Each method calls the target's method of its name.
#define TARVO_CALL_TARGET(result, name, parameters, arguments) \
  result ClientLibraryWrapper::name parameters { return target_.name arguments; }
TARVO_CLIENT_FUNCTIONS(TARVO_CALL_TARGET)
#undef TARVO_CALL_TARGET
