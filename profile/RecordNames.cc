#include "profile/RecordNames.h"

#include <cstdio>
#include <cstring>

namespace {

// The patterns hold one "%d" or "%0Nd" (N one digit); anything else goes to
// snprintf. The result is the one snprintf gives: the import and CHECK build
// a name per key they read, so this is on their way.
bool FormatSimple(const char* pattern, int32_t n, std::string* out) {
  const char* percent = std::strchr(pattern, '%');
  if (percent == nullptr) return false;
  const char* p = percent + 1;
  size_t width = 0;
  if (p[0] == '0' && p[1] >= '1' && p[1] <= '9') {
    width = static_cast<size_t>(p[1] - '0');
    p += 2;
  }
  if (*p != 'd' || std::strchr(p + 1, '%') != nullptr) return false;
  char digits[12];
  size_t count = 0;
  int64_t v = n < 0 ? -static_cast<int64_t>(n) : n;
  do {
    digits[count++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  out->assign(pattern, static_cast<size_t>(percent - pattern));
  if (n < 0) out->push_back('-');
  const size_t used = count + (n < 0 ? 1 : 0);
  if (width > used) out->append(width - used, '0');
  while (count > 0) out->push_back(digits[--count]);
  out->append(p + 1);
  return true;
}

}  // namespace

std::string NumberedName(const char* pattern, int32_t n) {
  std::string out;
  // The longest pattern ("Hose%dPhysicalNumber") with the longest int32 fits.
  if (std::strlen(pattern) < 32 && FormatSimple(pattern, n, &out)) return out;
  char name[48];
  std::snprintf(name, sizeof name, pattern, n);
  return name;
}
