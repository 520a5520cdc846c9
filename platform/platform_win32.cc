#include "platform/Platform.h"

#include <cstdio>

#include <io.h>
#include <windows.h>

#include "platform/Utf16.h"

// The C runtime's own splitting of the UTF-16 command line, the one its
// startup code uses for wmain (msvcrt.dll exports it; no header declares it).
extern "C" {
struct TarvoStartupInfo {
  int newmode;
};
// The name is the runtime's, not ours to choose.
int __cdecl __wgetmainargs(  // NOLINT(readability-identifier-naming)
    int* argc, wchar_t*** argv, wchar_t*** env, int expandWildcards, TarvoStartupInfo* startup);
}

namespace platform {

namespace {

// Wide to narrow the way Text does it: a unit above 255 becomes '?'.
std::string NarrowUnits(const wchar_t* units, int count) {
  std::string out;
  for (int i = 0; i < count && units[i] != L'\0'; ++i) {
    const unsigned u = static_cast<unsigned>(units[i]) & 0xFFFFu;
    out.push_back(u > 0xFF ? '?' : static_cast<char>(static_cast<unsigned char>(u)));
  }
  return out;
}

// The console handle behind a stream, or null when the stream goes to a
// file, a pipe or nowhere.
HANDLE ConsoleOf(std::FILE* stream) {
  const int descriptor = _fileno(stream);
  if (descriptor < 0) return nullptr;
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  DWORD mode = 0;
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
  return handle;
}

// All of wide to the console; false when the console takes nothing more.
bool WriteConsoleUnits(HANDLE console, const std::wstring& wide) {
  for (size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    const DWORD count = static_cast<DWORD>(wide.size() - done);
    if (!WriteConsoleW(console, wide.data() + done, count, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

bool WriteText(std::FILE* stream, std::string_view utf8) {
  const HANDLE console = ConsoleOf(stream);
  if (console == nullptr) {
    const bool written = std::fwrite(utf8.data(), 1, utf8.size(), stream) == utf8.size();
    return std::fflush(stream) == 0 && written;
  }
  std::fflush(stream);  // what the stream holds comes first
  for (size_t begin = 0; begin < utf8.size();) {
    const size_t end = Utf8PieceEnd(utf8, begin, kTextPieceBytes);
    if (!WriteConsoleUnits(console, WidePath(utf8.substr(begin, end - begin)))) return false;
    begin = end;
  }
  return true;
}

bool WritesCharacters(std::FILE* stream) { return ConsoleOf(stream) != nullptr; }

std::string LocalTimeStamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t date[80];
  wchar_t time[80];
  // Both return the characters written including the NUL, or 0 on failure.
  const int dateCount = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, date, 80);
  const int timeCount = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 80);
  const std::string datePart = dateCount > 0 ? NarrowUnits(date, dateCount) : std::string();
  const std::string timePart = timeCount > 0 ? NarrowUnits(time, timeCount) : std::string();

  std::string stamp = datePart;
  if (!datePart.empty() && !timePart.empty()) stamp += ' ';
  stamp += timePart;
  return stamp;
}

bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

std::FILE* OpenNullOutput() { return std::fopen("NUL", "w"); }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = nullptr;
  wchar_t** env = nullptr;
  TarvoStartupInfo startup{0};
  // The arguments as main got them when the wide ones are not to be had.
  if (__wgetmainargs(&count, &wide, &env, 0, &startup) != 0 || wide == nullptr) {
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
    return arguments;
  }
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    arguments.push_back(wide[i] != nullptr ? Utf8(wide[i], wcslen(wide[i])) : std::string());
  }
  return arguments;
}

// Nothing can take a missing standard stream's place on Windows: files and
// sockets are handles, never given the standard handles' slots, and the C
// runtime keeps its descriptors 0, 1 and 2 for the standard streams (marked
// open even when a stream's handle is missing), so that _open never hands
// them out.
void SecureStandardDescriptors() {}

// Windows ends no process for a write to a closed pipe.
void IgnoreBrokenPipe() {}

}  // namespace platform
