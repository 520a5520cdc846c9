#include "client/CheckResult.h"

#include <cstdio>
#include <string>

#include "client/TarvoClient.h"
#include "profile/Text.h"

namespace {

// A library text as the console shows it: byte for byte like Narrow, but
// every control character (below 32, and 127) printed as "?", so that a text
// from the server cannot move the cursor or send escape sequences to the
// technician's terminal.
std::string ConsoleText(const Text& text) {
  std::string out = text.Narrow();
  for (char& c : out) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) c = '?';
  }
  return out;
}

}  // namespace

bool CheckResult(const char* step, int32_t code) {
  if (code == 0) return true;
  // ResultString hands over a new string (or null); it is freed here once
  // its text has been taken.
  BSTR libraryText = ResultString(code);
  const Text text = Text::FromLibraryString(libraryText);
  if (libraryText != nullptr) SysFreeString(libraryText);
  std::printf("%s - %s.\n", step != nullptr ? step : "<null>", ConsoleText(text).c_str());
  return false;
}
