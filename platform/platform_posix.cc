#include "platform/Platform.h"

#include <unistd.h>

namespace platform {

std::string LocalTimeStamp() { return std::string(); }

bool StderrIsTerminal() { return isatty(2) == 1; }

}  // namespace platform
