#include "client/CheckResult.h"

#include "client/ClientLibrary.h"
#include "client/LibString.h"

bool CheckResult(ClientLibrary& library, std::FILE* out, const char* step, int32_t code) {
  if (code == 0) return true;
  // ResultString hands over a new string (or null), freed once its text has
  // been taken.
  LibString libraryText;
  *libraryText.Out() = library.ResultString(code);
  std::fprintf(out, "%s - %s.\n", step != nullptr ? step : "<null>",
               libraryText.ToText().Narrow().c_str());
  return false;
}

bool CheckResult(const char* step, int32_t code) {
  return CheckResult(LinkedLibrary(), stdout, step, code);
}
