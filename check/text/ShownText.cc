#include "check/text/ShownText.h"

#include <cstdint>

namespace fe = file_encoding;

namespace {

void AppendShown(std::string* out, uint32_t code) {
  if (code == '\t') {
    *out += "\\t";
  } else if (code == '\r') {
    *out += "\\r";
  } else if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
    const char* digits = "0123456789ABCDEF";
    *out += {'\\', 'x', digits[code >> 4], digits[code & 0xF]};
  } else if (code >= 0xD800 && code <= 0xDFFF) {
    fe::AppendCode(out, 0xFFFD);
  } else {
    fe::AppendCode(out, code);
  }
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::string ShownUnits(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    if (IsHigh(units[i]) && i + 1 < units.size() && IsLow(units[i + 1])) {
      AppendShown(&out, 0x10000 + ((uint32_t{units[i]} - 0xD800) << 10) +
                            (uint32_t{units[i + 1]} - 0xDC00));
      ++i;
    } else {
      AppendShown(&out, units[i]);
    }
  }
  return out;
}

std::string LibraryTextUtf8(const Text& text) {
  if (!text.IsPresent()) return text.Narrow();
  std::string out;
  fe::AppendUtf8(&out, text.Units());
  return out;
}

std::string ShownText(std::string_view bytes, fe::Mark encoding) {
  if (encoding != fe::Mark::kNone) return ShownUnits(fe::DecodeUtf8(bytes, bytes.size()));
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendShown(&out, static_cast<unsigned char>(c));
  return out;
}
