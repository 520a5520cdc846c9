// The encodings a configuration file comes in, told by its byte-order mark.
//
// A file without a mark is bytes, each byte one character. A file that starts
// with a UTF-8 mark holds UTF-8; one that starts with a UTF-16 mark (either
// byte order) holds UTF-16, which the profile works on as UTF-8 and turns back
// into UTF-16 when it saves.
//
// Conversions never fail and never drop a byte: a byte that does not start a
// valid UTF-8 sequence reads as the character of the same value (as in a file
// without a mark), and a lone UTF-16 surrogate travels as its own three-byte
// form, so that UTF-16 -> UTF-8 -> UTF-16 gives back the same bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace file_encoding {

enum class Mark { kNone, kUtf8, kUtf16Le, kUtf16Be };

// The mark the bytes start with (kNone when none).
Mark MarkOf(std::string_view bytes);
// The mark's bytes: empty for kNone.
std::string_view MarkBytes(Mark mark);

// 16-bit code units from UTF-8, at most maxUnits of them (a character that
// needs two units is not split: the text ends before it).
std::u16string DecodeUtf8(std::string_view bytes, size_t maxUnits);
// The length of the well-formed multi-byte UTF-8 sequence at bytes[at] (2 to
// 4), or 0 where none starts (ASCII, a stray byte, a cut or overlong form).
size_t Utf8SequenceLength(std::string_view bytes, size_t at);
// One code point (at most U+10FFFF) as UTF-8, appended to out.
void AppendCode(std::string* out, uint32_t code);
// Code units to UTF-8, appended to out. A surrogate pair is one four-byte
// character; a lone surrogate is written in its three-byte form.
void AppendUtf8(std::string* out, std::u16string_view units);
// Each byte one character (as in a file without a mark), in UTF-8.
std::string BytesToUtf8(std::string_view bytes);
bool IsAscii(std::string_view bytes);

// UTF-16 text (an even number of bytes, no mark) to UTF-8, and back.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
std::string Utf8ToUtf16(std::string_view bytes, bool bigEndian);

}  // namespace file_encoding
