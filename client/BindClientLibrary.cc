// The binding the programs make: the client library's functions found by name
// in the library platform/ gives, TarvoClient.dll of the program's folder on
// Windows and the program itself (linked with libTarvoClient.so) elsewhere.
#include "client/ClientBinding.h"
#include "platform/DynamicLibrary.h"

namespace {

constexpr char kLibraryFile[] = "TarvoClient.dll";
// Enough of the file for its PE header.
constexpr size_t kHeadBytes = 4096;

// Why the library at `path` did not load: absent, of the other bitness, not
// a library at all, or refused by the loader for another reason.
std::string LoadProblem(const std::string& path, unsigned long error, int bits) {
  if (!platform::PathExists(path)) {
    return MissingLibraryLine(path.substr(0, path.find_last_of("\\/") + 1));
  }
  const int ownBits = static_cast<int>(sizeof(void*) * 8);
  if (bits != 0 && bits != ownBits) return OtherBitnessLine(bits);
  if (bits == 0) return NotALibraryLine(path);
  return UnloadableLine(path, error);
}

}  // namespace

ClientBinding BindClientLibrary() {
  ClientBinding binding;
  const std::string file = platform::RunTimeLibraryPath(kLibraryFile);
  if (file.empty()) {
    // The program itself: the library was loaded with it, so of its bitness.
    binding.bits = static_cast<int>(sizeof(void*) * 8);
  } else {
    // Read before the load, to tell a file the system refuses.
    binding.path = file;
    binding.bits = ExecutableBits(platform::FileHead(file, kHeadBytes));
    binding.fileVersion = platform::FileVersion(file);
    binding.fileDescription = platform::FileDescription(file);
  }
  const platform::DynamicLibrary library(file);
  if (!library.IsOpen()) {
    binding.problem = LoadProblem(file, library.Error(), binding.bits);
    return binding;
  }
  binding.path = library.File("DllVersion");
  ClientFunctionTable table;
  const auto find = [&library](const std::string& name) { return library.Find(name); };
  std::vector<FoundFunction> functions = FindClientFunctions(find, sizeof(void*) == 4, &table);
  const std::string missing = FirstMissingFunction(functions);
  // Names the system linked need no list: only a library loaded from its own
  // file tells each function and the export it was found under.
  if (!file.empty()) binding.functions = std::move(functions);
  if (!missing.empty()) {
    binding.problem = MissingFunctionLine(missing);
    return binding;
  }
  binding.library = std::make_unique<BoundClientLibrary>(table);
  return binding;
}
