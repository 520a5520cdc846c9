#include "client/CheckResult.h"

#include <cstdio>

#include "client/TarvoClient.h"
#include "profile/Text.h"

bool CheckResult(const char* step, int32_t code) {
  if (code == 0) return true;
  // ResultString hands over a new string (or null); it is freed here once
  // its text has been taken.
  BSTR libraryText = ResultString(code);
  const Text text = Text::FromLibraryString(libraryText);
  if (libraryText != nullptr) SysFreeString(libraryText);
  std::printf("%s - %s.\n", step != nullptr ? step : "<null>", text.Narrow().c_str());
  return false;
}
