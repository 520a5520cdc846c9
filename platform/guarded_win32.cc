#include <windows.h>

#include <cstdio>

#include "platform/Guarded.h"
#include "platform/Utf16.h"
#include "platform/file_win32.h"

namespace platform {

std::string LocalIsoStamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  TIME_ZONE_INFORMATION zone;
  const DWORD kind = GetTimeZoneInformation(&zone);
  // UTC = local time + bias, in minutes.
  LONG bias = zone.Bias;
  if (kind == TIME_ZONE_ID_DAYLIGHT) bias += zone.DaylightBias;
  if (kind == TIME_ZONE_ID_STANDARD) bias += zone.StandardBias;
  if (kind == TIME_ZONE_ID_INVALID) bias = 0;
  const long offset = -static_cast<long>(bias);
  const long minutes = offset < 0 ? -offset : offset;
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04u%02u%02uT%02u%02u%02u%c%02ld%02ld", now.wYear, now.wMonth,
                now.wDay, now.wHour, now.wMinute, now.wSecond, offset < 0 ? '-' : '+', minutes / 60,
                minutes % 60);
  return stamp;
}

bool CreateNewFile(const std::string& path, std::string* error, std::string_view bytes) {
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
      *error = "File exists";
      return false;
    }
    return FailSystem(error, code);
  }
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(bytes.size());
  if (size > 0 &&
      (WriteFile(file, bytes.data(), size, &written, nullptr) == 0 || written != size)) {
    const DWORD code = GetLastError();
    CloseHandle(file);
    DeleteFileW(WidePath(path).c_str());
    return FailSystem(error, code);
  }
  CloseHandle(file);
  return true;
}

bool RenameNew(const std::string& from, const std::string& to, std::string* error) {
  // Without MOVEFILE_REPLACE_EXISTING the move refuses an existing name.
  if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
    return true;
  }
  const DWORD code = GetLastError();
  if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) {
    *error = "File exists";
    return false;
  }
  return FailSystem(error, code);
}

bool MakeFolder(const std::string& path, std::string* error) {
  const std::wstring wide = WidePath(path);
  if (CreateDirectoryW(wide.c_str(), nullptr) != 0) return true;
  const DWORD code = GetLastError();
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return true;
  }
  return FailSystem(error, code);
}

bool RemoveFile(const std::string& path) { return DeleteFileW(WidePath(path).c_str()) != 0; }

bool StdinIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

}  // namespace platform
