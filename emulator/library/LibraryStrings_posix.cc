// The three library-string functions, exported by this library off Windows in
// place of the system's OLE Automation library. Layout shared with every other
// implementation: one malloc block of 4 + 2*length + 2 bytes, the byte length as
// uint32_t, the characters, a 16-bit NUL; the BSTR points at the characters.
#include <cstdlib>
#include <cstring>

#include "emulator/library/Export.h"  // before the declarations
#include "client/TarvoClient.h"

extern "C" {

TARVO_API BSTR TARVO_CALL SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  // The byte length must fit the 32-bit prefix.
  if (length > (UINT32_MAX - 6) / 2) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(4 + 2 * size_t(length) + 2));
  if (block == nullptr) return nullptr;
  uint32_t bytes = 2 * length;
  std::memcpy(block, &bytes, 4);
  auto* s = reinterpret_cast<OLECHAR*>(block + 4);
  if (text != nullptr) {
    std::memcpy(s, text, 2 * size_t(length));
  } else {
    std::memset(s, 0, 2 * size_t(length));
  }
  s[length] = 0;
  return s;
}

TARVO_API void TARVO_CALL SysFreeString(BSTR s) {
  if (s != nullptr) std::free(reinterpret_cast<unsigned char*>(s) - 4);
}

TARVO_API uint32_t TARVO_CALL SysStringLen(BSTR s) {
  if (s == nullptr) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(s) - 4, 4);
  return bytes / 2;
}

}  // extern "C"
