#include "client/CheckResult.h"

#include <string>

#include "client/ClientLibrary.h"
#include "client/LibString.h"

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

Text ResultText(ClientLibrary& library, int32_t code) {
  LibString text;
  *text.Out() = library.ResultString(code);
  return text.ToText();
}

bool CheckResult(ClientLibrary& library, std::FILE* out, const char* step, int32_t code) {
  if (code == 0) return true;
  std::fprintf(out, "%s - %s.\n", step != nullptr ? step : "<null>",
               ConsoleText(ResultText(library, code)).c_str());
  return false;
}
