#include "profile/RecordNames.h"

#include <cstdio>

std::string NumberedName(const char* pattern, int32_t n) {
  // The longest pattern ("Hose%dPhysicalNumber") with the longest int32 fits.
  char name[48];
  std::snprintf(name, sizeof name, pattern, n);
  return name;
}
