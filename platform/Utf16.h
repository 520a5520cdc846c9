// Conversions between the program's texts, which carry file names as UTF-8
// bytes on Windows, and the UTF-16 of the system's W calls. Only the Windows
// side of the platform layer includes this header.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

// A path (or any text) for a W call. Bytes that are not UTF-8 become U+FFFD,
// so such a name fails to open rather than naming another file.
inline std::wstring WidePath(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (n > 0) {
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  }
  return wide;
}

// The UTF-8 bytes of `count` UTF-16 units.
inline std::string Utf8(const wchar_t* units, size_t count) {
  if (count == 0) return std::string();
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, units, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, units, static_cast<int>(count), &utf8[0], n, nullptr, nullptr);
  }
  return utf8;
}

}  // namespace platform
