// Every library call's result goes through CheckResult at once.
#pragma once

#include <cstdint>
#include <cstdio>

#include "profile/Text.h"

class ClientLibrary;

// The library's text for a result code (absent when it gives none); the
// string ResultString hands over is freed once its text has been taken.
Text ResultText(ClientLibrary& library, int32_t code);

// True for 0. Otherwise prints "%s - %s.\n" to out with the step text and the
// library's text for the code ("<null>" when it gives none) and returns false.
// Control characters of the library's text (below 32, and 127) print as "?".
bool CheckResult(ClientLibrary& library, std::FILE* out, const char* step, int32_t code);
