// TarvoExtract's lines as they reach the reader. A line holds text of two
// kinds: UTF-8 (the program's own words, the file's path and the server as
// given on the command line) and one byte per character (the library's texts
// as Text::Narrow gives them). To a file or a pipe the bytes go as they are;
// to a Windows console the line goes as UTF-8 through platform::WriteText,
// so that both kinds show as the characters they are.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class ConsoleLine {
 public:
  // Text that is UTF-8 already.
  ConsoleLine& Utf8(std::string_view text);
  // Text of one byte per character: byte b is the character U+00bb.
  ConsoleLine& Bytes(std::string_view text);

  // The line as written to a file or a pipe: each piece's bytes as given.
  const std::string& AsBytes() const { return bytes_; }
  // The line as a console shows it: every piece as UTF-8.
  const std::string& AsUtf8() const { return utf8_; }

 private:
  std::string bytes_;
  std::string utf8_;
};

// Writes line to out: as UTF-8 characters where out is a console that takes
// them (platform::WritesCharacters), otherwise its bytes, buffered like
// printf's.
void PrintLine(std::FILE* out, const ConsoleLine& line);
