#include "client/ConsoleLine.h"

#include "platform/Platform.h"

ConsoleLine& ConsoleLine::Utf8(std::string_view text) {
  bytes_.append(text);
  utf8_.append(text);
  return *this;
}

ConsoleLine& ConsoleLine::Bytes(std::string_view text) {
  bytes_.append(text);
  for (const char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      utf8_.push_back(c);
    } else {
      utf8_.push_back(static_cast<char>(0xC0 | (b >> 6)));
      utf8_.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return *this;
}

void PrintLine(std::FILE* out, const ConsoleLine& line) {
  if (platform::WritesCharacters(out)) {
    platform::WriteText(out, line.AsUtf8());
    return;
  }
  std::fwrite(line.AsBytes().data(), 1, line.AsBytes().size(), out);
}
