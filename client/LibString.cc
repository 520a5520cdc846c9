#include "client/LibString.h"

#include <string>

// OLECHAR is a 16-bit unit on every platform (wchar_t on Windows).
static_assert(sizeof(OLECHAR) == sizeof(char16_t), "library strings hold 16-bit units");

Text TextFromLibraryString(const OLECHAR* s) {
  if (s == nullptr) return Text();
  size_t n = 0;
  while (s[n] != 0 && n < static_cast<size_t>(Text::kMaxLength)) ++n;
  const std::u16string units(s, s + n);
  return Text::FromUnits(units.data(), static_cast<int>(n));
}

BSTR ToLibraryString(const Text& text) {
  static const OLECHAR kEmpty[1] = {0};
  const std::u16string& units = text.Units();
  if (units.empty()) return SysAllocStringLen(kEmpty, 0);
  const std::basic_string<OLECHAR> copy(units.begin(), units.end());
  return SysAllocStringLen(copy.data(), static_cast<uint32_t>(copy.size()));
}
