// The rules of the configuration file, over lines held in memory.
//
// A line is the bytes up to and including an LF, or the rest of the buffer
// when no LF follows. The tests on a line look at its text only up to its
// first NUL byte (everything after a NUL is carried, never interpreted).
// A blank is the space character only; names compare without regard to the
// case of ASCII letters. These procedures know nothing of files: CProfile
// applies them to its lines and writes the file itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace profile_lines {

// The length of the line that starts at `begin` (its LF included).
size_t LineLength(std::string_view bytes, size_t begin);

// A line whose first character after blanks is "[": it ends every key search
// and is the only kind of line that can be a section header.
bool IsBracketLine(std::string_view line);

// True when the line, after blanks, begins with "[name]" (case ignored); text
// after the "]" does not matter. An empty name matches nothing.
bool IsHeaderOf(std::string_view line, std::string_view name);

// The name of a header line up to its first "]", or false when the line is
// not a bracket line or has no "]". A name without "]" is matched by a line
// exactly when this gives the same name (case ignored).
bool HeaderName(std::string_view line, std::string_view* name);

// Where a key search through a section's lines ended.
struct KeySearch {
  // Offset (in the searched bytes) where a rewrite starts: after the last
  // non-blank line passed without a match.
  size_t rewriteFrom = 0;
  // With `found`, the key line is [lineBegin, lineEnd); without it the
  // search ran to the end of the searched bytes.
  bool found = false;
  size_t lineBegin = 0;
  size_t lineEnd = 0;
  std::string_view value;
};

// Searches the lines of `body` (the lines after a header, up to the next
// bracket line or the end of the file) for the first line that, after blanks,
// begins with the key (case ignored; the character after the key is not
// examined). Its value follows the key, blanks, one optional "=" and blanks,
// with trailing CR, LF and blanks cut. A blank line (its first character
// after blanks is CR or LF) belongs to no key and does not move the point
// where a rewrite starts.
KeySearch FindKey(std::string_view body, std::string_view key);

// Whether WriteString can put this key or section name into the file without
// damaging its structure: not empty, no CR, LF or NUL, and (for keys) not a line
// that would read as a header.
bool IsWritableKey(std::string_view key);
bool IsWritableSection(std::string_view name);

// Appends "key=value" CR LF. The value ends at its first NUL; each CR or LF
// in it is written as one blank, so a value never starts a line of its own.
void AppendKeyLine(std::string* out, std::string_view key, std::string_view value);

// "[name]" CR LF.
std::string HeaderLine(std::string_view name);

// The bytes that end an unterminated last line before a line is appended
// after it: CR LF, or only LF after a trailing CR; nothing after an LF or for
// an empty file.
std::string_view LineEndNeeded(std::string_view bytes);

// One pair of enclosing double quotes removed; a lone quote becomes empty.
std::string_view Unquote(std::string_view value);

// Decimal amount times 10000, halves away from zero. Blanks and "," are
// skipped, the first "." starts the fraction, anything else (a sign or a
// second ".") ends the scan. Amounts beyond the range of the 64-bit result
// saturate at INT64_MAX (or INT64_MIN).
int64_t ToCurrency(std::string_view text);

// ASCII lower case, for the section index: the file's names compare without
// regard to the case of ASCII letters (and only of those).
// Inline: every key search compares names through them.
inline char LowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string Lower(std::string_view s);
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && LowerChar(a[i]) != LowerChar(b[i])) return false;
  }
  return true;
}

}  // namespace profile_lines
