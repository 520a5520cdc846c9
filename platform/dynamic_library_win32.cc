// Windows: the programs load their libraries themselves, each from one file
// of their own folder, so that a missing or mismatched one can be told in
// words instead of by the system's loader.
#include <windows.h>

#include "platform/DynamicLibrary.h"
#include "platform/Utf16.h"

namespace platform {

namespace {

// The full path of a loaded module (null: the program itself).
std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

std::string Narrow(const std::wstring& wide) { return Utf8(wide.data(), wide.size()); }

// The file's version resource, or empty when it has none.
std::string VersionInfo(const std::string& path) {
  const std::wstring wide = WidePath(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &ignored);
  if (size == 0) return std::string();
  std::string data(size, '\0');
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, &data[0])) return std::string();
  return data;
}

}  // namespace

DynamicLibrary::DynamicLibrary(const std::string& path) : program_(path.empty()) {
  // LOAD_WITH_ALTERED_SEARCH_PATH: the library's own dependencies are looked
  // for in its folder first, and the file itself is only the one named.
  const HMODULE module =
      program_ ? GetModuleHandleW(nullptr)
               : LoadLibraryExW(WidePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) error_ = GetLastError();
  handle_ = module;
}

LibrarySymbol DynamicLibrary::Find(const std::string& name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<LibrarySymbol>(
      GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

std::string DynamicLibrary::File(const std::string&) const {
  if (handle_ == nullptr) return std::string();
  return Narrow(ModulePath(static_cast<HMODULE>(handle_)));
}

std::string RunTimeLibraryPath(const std::string& fileName) {
  const std::wstring program = ModulePath(nullptr);
  return Narrow(program.substr(0, program.find_last_of(L"\\/") + 1)) + fileName;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string FileHead(const std::string& path, size_t size) {
  const HANDLE file =
      CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string head(size, '\0');
  DWORD read = 0;
  if (!ReadFile(file, &head[0], static_cast<DWORD>(head.size()), &read, nullptr)) read = 0;
  CloseHandle(file);
  head.resize(read);
  return head;
}

std::string FileVersion(const std::string& path) {
  std::string data = VersionInfo(path);
  if (data.empty()) return std::string();
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

std::string FileDescription(const std::string& path) {
  std::string data = VersionInfo(path);
  if (data.empty()) return std::string();
  // The first language and code page the resource lists names its strings.
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(&data[0], L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      translations == nullptr || length < sizeof(Translation)) {
    return std::string();
  }
  std::wstring key = L"\\StringFileInfo\\";
  for (const WORD word : {translations->language, translations->codePage}) {
    for (int shift = 12; shift >= 0; shift -= 4) key += L"0123456789abcdef"[(word >> shift) & 0xF];
  }
  key += L"\\FileDescription";
  wchar_t* text = nullptr;
  if (!VerQueryValueW(&data[0], key.c_str(), reinterpret_cast<void**>(&text), &length) ||
      text == nullptr || length == 0) {
    return std::string();
  }
  // length counts the characters, the terminating NUL included.
  std::wstring description(text, length);
  return Narrow(description.substr(0, description.find(L'\0')));
}

}  // namespace platform
