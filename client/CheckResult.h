// Every library call's result goes through CheckResult at once.
#pragma once

#include <cstdint>
#include <cstdio>

class ClientLibrary;

// True for 0. Otherwise prints "%s - %s.\n" to out with the step text and the
// library's text for the code ("<null>" when it gives none) and returns false.
// Control characters of the library's text (below 32, and 127) print as "?".
bool CheckResult(ClientLibrary& library, std::FILE* out, const char* step, int32_t code);
