#include "client/CheckResult.h"

#include <string>

#include "client/ClientLibrary.h"
#include "client/ConsoleLine.h"
#include "client/LibString.h"

std::string ConsoleText(const Text& text) {
  std::string out = text.Narrow();
  for (char& c : out) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) c = '?';
  }
  return out;
}

Text ResultText(ClientLibrary& library, int32_t code) {
  LibString text;
  *text.Out() = library.ResultString(code);
  return text.ToText();
}

bool CheckResult(ClientLibrary& library, std::FILE* out, const char* step, int32_t code) {
  if (code == 0) return true;
  PrintLine(out, ConsoleLine()
                     .Utf8(step != nullptr ? step : "<null>")
                     .Utf8(" - ")
                     .Bytes(ConsoleText(ResultText(library, code)))
                     .Utf8(".\n"));
  return false;
}
