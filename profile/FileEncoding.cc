#include "profile/FileEncoding.h"

#include <cstdint>

namespace file_encoding {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kUtf16LeMark[] = "\xFF\xFE";
constexpr char kUtf16BeMark[] = "\xFE\xFF";

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The code point of the well-formed sequence at bytes[i] and its length, or a
// length of 0. Surrogates (ED A0..BF xx) are taken: they are what a lone
// surrogate of a UTF-16 file becomes.
size_t SequenceAt(std::string_view bytes, size_t i, uint32_t* code) {
  const unsigned char c = static_cast<unsigned char>(bytes[i]);
  size_t length = 0;
  uint32_t value = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    value = c & 0x1Fu;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    value = c & 0x0Fu;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    value = c & 0x07u;
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
    if (!IsContinuation(next)) return 0;
    value = (value << 6) | (next & 0x3Fu);
  }
  // Overlong forms and code points past U+10FFFF are not characters.
  if ((length == 3 && value < 0x800) || (length == 4 && (value < 0x10000 || value > 0x10FFFF))) {
    return 0;
  }
  *code = value;
  return length;
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

size_t Utf8SequenceLength(std::string_view bytes, size_t at) {
  uint32_t code = 0;
  return at < bytes.size() ? SequenceAt(bytes, at, &code) : 0;
}

void AppendCode(std::string* out, uint32_t code) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

Mark MarkOf(std::string_view bytes) {
  if (bytes.substr(0, 3) == kUtf8Mark) return Mark::kUtf8;
  if (bytes.substr(0, 2) == kUtf16LeMark) return Mark::kUtf16Le;
  if (bytes.substr(0, 2) == kUtf16BeMark) return Mark::kUtf16Be;
  return Mark::kNone;
}

std::string_view MarkBytes(Mark mark) {
  switch (mark) {
    case Mark::kUtf8:
      return kUtf8Mark;
    case Mark::kUtf16Le:
      return kUtf16LeMark;
    case Mark::kUtf16Be:
      return kUtf16BeMark;
    case Mark::kNone:
      break;
  }
  return std::string_view();
}

std::u16string DecodeUtf8(std::string_view bytes, size_t maxUnits) {
  std::u16string units;
  size_t i = 0;
  while (i < bytes.size() && units.size() < maxUnits) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    uint32_t code = 0;
    const size_t length = c < 0x80 ? 0 : SequenceAt(bytes, i, &code);
    if (length == 0) {
      units.push_back(c);  // ASCII, or a byte of no valid sequence
      ++i;
    } else if (code < 0x10000) {
      units.push_back(static_cast<char16_t>(code));
      i += length;
    } else {
      if (maxUnits - units.size() < 2) break;
      code -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
      i += length;
    }
  }
  return units;
}

void AppendUtf8(std::string* out, std::u16string_view units) {
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (IsHigh(u) && i + 1 < units.size() && IsLow(units[i + 1])) {
      AppendCode(out, 0x10000 + ((uint32_t{u} - 0xD800) << 10) + (uint32_t{units[i + 1]} - 0xDC00));
      ++i;
    } else {
      AppendCode(out, u);
    }
  }
}

std::string BytesToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendCode(&out, static_cast<unsigned char>(c));
  return out;
}

bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const unsigned first = static_cast<unsigned char>(bytes[2 * i]);
    const unsigned second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  std::string out;
  out.reserve(units.size());
  AppendUtf8(&out, units);
  return out;
}

std::string Utf8ToUtf16(std::string_view bytes, bool bigEndian) {
  const std::u16string units = DecodeUtf8(bytes, bytes.size());
  std::string out(2 * units.size(), '\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const char high = static_cast<char>(units[i] >> 8);
    const char low = static_cast<char>(units[i] & 0xFF);
    out[2 * i] = bigEndian ? high : low;
    out[2 * i + 1] = bigEndian ? low : high;
  }
  return out;
}

}  // namespace file_encoding
