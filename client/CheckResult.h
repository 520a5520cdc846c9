// Every library call's result goes through CheckResult at once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "profile/Text.h"

class ClientLibrary;

// The library's text for a result code (absent when it gives none); the
// string ResultString hands over is freed once its text has been taken.
Text ResultText(ClientLibrary& library, int32_t code);

// A library text as the console shows it: byte for byte like Narrow, but
// every control character (below 32, and 127) printed as "?", so that a text
// from the server cannot move the cursor or send escape sequences to the
// technician's terminal.
std::string ConsoleText(const Text& text);

// True for 0. Otherwise prints "%s - %s.\n" to out with the step text and the
// library's text for the code ("<null>" when it gives none) and returns false.
// Control characters of the library's text (below 32, and 127) print as "?".
bool CheckResult(ClientLibrary& library, std::FILE* out, const char* step, int32_t code);
