// A ClientLibrary that forwards every method, arguments and result
// unchanged, to a target ClientLibrary. A partial stand-in derives from it and
// overrides only the calls it stands in for; every other call reaches the
// target. The target must outlive the wrapper.
#pragma once

#include <cstdint>

#include "client/ClientLibrary.h"

class ClientLibraryWrapper : public ClientLibrary {
 public:
  explicit ClientLibraryWrapper(ClientLibrary& target) : target_(target) {}
  // Wrapping another wrapper (not a copy: the new one forwards to it); without
  // it the deleted copy would be chosen.
  ClientLibraryWrapper(ClientLibraryWrapper& target) : target_(target) {}

  ClientLibrary& Target() const { return target_; }

#define TARVO_OVERRIDE(result, name, parameters, arguments) result name parameters override;
  TARVO_CLIENT_FUNCTIONS(TARVO_OVERRIDE)
#undef TARVO_OVERRIDE

 private:
  ClientLibrary& target_;
};
