// Elsewhere the programs are linked with libTarvoClient.so, so that replacing
// the file or preloading another library is enough to change it: the binding
// is the linked library, and the file is the one that gave its DllVersion.
#include <dlfcn.h>
#include <climits>
#include <cstdlib>

#include "client/ClientBinding.h"
#include "client/LinkedClientLibrary.h"
#include "client/TarvoClient.h"

ClientBinding BindClientLibrary() {
  ClientBinding binding;
  binding.library = std::make_unique<LinkedClientLibrary>();
  binding.bits = static_cast<int>(sizeof(void*) * 8);
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&::DllVersion), &info) != 0 && info.dli_fname != nullptr) {
    char resolved[PATH_MAX];
    binding.path = realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname;
  }
  return binding;
}
