#include <cstdlib>
#include <cstring>
#include "client/TarvoClient.h"
extern "C" {
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  auto* block = static_cast<unsigned char*>(std::malloc(4 + 2 * size_t(length) + 2));
  uint32_t bytes = 2 * length;
  std::memcpy(block, &bytes, 4);
  auto* s = reinterpret_cast<OLECHAR*>(block + 4);
  if (text) std::memcpy(s, text, 2 * size_t(length)); else std::memset(s, 0, 2 * size_t(length));
  s[length] = 0;
  return s;
}
void SysFreeString(BSTR s) { if (s) std::free(reinterpret_cast<unsigned char*>(s) - 4); }
uint32_t SysStringLen(BSTR s) { if (!s) return 0; uint32_t b; std::memcpy(&b, reinterpret_cast<unsigned char*>(s) - 4, 4); return b / 2; }
int32_t ClientLogonEx(int32_t, int32_t, BSTR, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return 1; }
BSTR ResultString(int32_t) { return nullptr; }
}
