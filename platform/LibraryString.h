// Library strings (BSTR): the length-prefixed 16-bit strings in which the
// controller client library takes and returns every text.
//
// On Windows they come from OLE Automation (oleaut32). Elsewhere the client
// library itself exports the three functions, with the memory layout that every
// implementation shares: one malloc block of 4 + 2*length + 2 bytes, the byte
// length as uint32_t, the characters, a 16-bit NUL; the BSTR points at the
// first character.
#pragma once

#include <cstdint>

#if defined(_WIN32)
// windows.h first: oleauto.h needs its types (a blank line keeps the order).
#include <windows.h>

#include <oleauto.h>
#define TARVO_CALL __stdcall
#else
#define TARVO_CALL
typedef char16_t OLECHAR;
typedef OLECHAR* BSTR;

extern "C" {
BSTR TARVO_CALL SysAllocStringLen(const OLECHAR* text, uint32_t length);
void TARVO_CALL SysFreeString(BSTR s);
uint32_t TARVO_CALL SysStringLen(BSTR s);
}
#endif
