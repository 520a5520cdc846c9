// Any bytes as a configuration file through the whole IMPORT, against the
// client library with no server behind it (every Set call is refused, as a
// controller that refuses everything would). The import must end with 0 or
// -1, and leave the file exactly as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzFile.h"
#include "client/LinkedClientLibrary.h"
#include "import/ImportConfiguration.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The import prints a line for every refused call.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzFolder() + "/import.ini";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  PutFile(path, bytes);
  LinkedClientLibrary library;
  const int32_t result = ImportConfiguration(path.c_str(), library);
  if (result != 0 && result != -1) {
    fprintf(stderr, "import returned %d\n", result);
    abort();
  }
  if (GetFile(path) != bytes) {
    fprintf(stderr, "import changed the file\n");
    abort();
  }
  return 0;
}
