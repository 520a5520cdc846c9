// Windows: TarvoClient.dll is loaded from the program's own folder and each
// function found by name, so that a missing or mismatched library is told in
// words instead of by the system's loader.
#include <windows.h>

#include "client/ClientBinding.h"
#include "platform/Utf16.h"

namespace {

// The full path of a loaded module (null: the program itself), in UTF-8.
std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

std::string Narrow(const std::wstring& wide) { return platform::Utf8(wide.data(), wide.size()); }

// The first bytes of a file, enough for its PE header; empty if unreadable.
std::string FileHead(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string head(4096, '\0');
  DWORD read = 0;
  if (!ReadFile(file, &head[0], static_cast<DWORD>(head.size()), &read, nullptr)) read = 0;
  CloseHandle(file);
  head.resize(read);
  return head;
}

// "major.minor.build.revision" of the file's version resource; empty if none.
std::string FileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::string();
  std::string data(size, '\0');
  if (!GetFileVersionInfoW(path.c_str(), 0, size, &data[0])) return std::string();
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(&data[0], L"\\", reinterpret_cast<void**>(&info), &length) ||
      info == nullptr || length < sizeof(VS_FIXEDFILEINFO)) {
    return std::string();
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(info->dwFileVersionLS));
}

// Why the library at `path` did not load: absent, of the other bitness, not
// a library at all, or refused by the loader for another reason.
std::string LoadProblem(const std::wstring& folder, const std::wstring& path, DWORD error,
                        int bits) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return MissingLibraryLine(Narrow(folder));
  }
  const int ownBits = static_cast<int>(sizeof(void*) * 8);
  if (bits != 0 && bits != ownBits) return OtherBitnessLine(bits);
  if (bits == 0) return NotALibraryLine(Narrow(path));
  return UnloadableLine(Narrow(path), error);
}

}  // namespace

ClientBinding BindClientLibrary() {
  ClientBinding binding;
  const std::wstring program = ModulePath(nullptr);
  const std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
  const std::wstring path = folder + L"TarvoClient.dll";
  binding.path = Narrow(path);
  binding.bits = ExecutableBits(FileHead(path));
  binding.fileVersion = FileVersion(path);
  // Only this file: no search of the system's folders or PATH for another.
  const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) {
    binding.problem = LoadProblem(folder, path, GetLastError(), binding.bits);
    return binding;
  }
  binding.path = Narrow(ModulePath(module));
  // The library stays loaded until the process ends.
  ClientFunctionTable table;
  const auto find = [module](const std::string& name) {
    return reinterpret_cast<LibraryFunction>(GetProcAddress(module, name.c_str()));
  };
  binding.functions = FindClientFunctions(find, sizeof(void*) == 4, &table);
  const std::string missing = FirstMissingFunction(binding.functions);
  if (!missing.empty()) {
    binding.problem = MissingFunctionLine(missing);
    return binding;
  }
  binding.library = std::make_unique<BoundClientLibrary>(table);
  return binding;
}
