// Texts for the report for people: their characters in UTF-8, whatever the
// encoding they come in, with every control character written visibly
// ("\t", "\r", "\x1B", "\x9B": C0, DEL and C1) so that none moves the cursor
// or hides a line. The JSON report carries texts exactly instead.
#pragma once

#include <string>
#include <string_view>

#include "profile/FileEncoding.h"
#include "profile/Text.h"

// Code units as the library and the profile's reads carry them; a surrogate
// without its pair shows as U+FFFD.
std::string ShownUnits(std::u16string_view units);

// Bytes of a file's content as the profile holds it for a file read with
// `encoding`: without a mark each byte is the character of the same code, as
// IMPORT reads it (0xE9 is "é"); with a mark (UTF-16 is held as UTF-8) they
// are UTF-8, a byte of no UTF-8 character the character of its code.
std::string ShownText(std::string_view bytes, file_encoding::Mark encoding);

// A text of the library (a result's reason) in UTF-8, its characters exact,
// for a message of either report; an absent one is "<null>", as Narrow has
// it.
std::string LibraryTextUtf8(const Text& text);
