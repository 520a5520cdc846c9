// The file's own bytes inside a finding's message: marked where the rules
// put them, shown cut to the text report and whole to JSON.
#include <string>
#include <string_view>

#include "check/Check.h"

namespace {

// A marked part is LF, its kind ('"' a value, '=' a name), the bytes, LF.
constexpr char kMark = '\n';
constexpr char kValue = '"';
constexpr char kName = '=';

std::string Marked(char kind, std::string_view bytes) {
  std::string out{kMark, kind};
  for (char c : bytes) out.push_back(c == kMark ? '?' : c);  // no line holds one
  out.push_back(kMark);
  return out;
}

// The first kShownBytes bytes, not ending inside a UTF-8 sequence, then
// "..."; shorter bytes as they are.
std::string Cut(std::string_view bytes) {
  if (bytes.size() <= kShownBytes) return std::string(bytes);
  size_t end = kShownBytes;
  for (int back = 0; back < 3 && end > 0; ++back) {
    if ((static_cast<unsigned char>(bytes[end]) & 0xC0) != 0x80) break;
    --end;
  }
  return std::string(bytes.substr(0, end)) + "...";
}

// Control characters written visibly ("\t", "\x01"), so that a person sees
// a tab or a stray byte where the file holds one and nothing moves the
// cursor.
std::string Visible(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      out.push_back(c);
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      const char* digits = "0123456789ABCDEF";
      out += {'\\', 'x', digits[u >> 4], digits[u & 0xF]};
    }
  }
  return out;
}

std::string ForPeople(std::string_view bytes, bool quoted) {
  return quoted ? "\"" + Visible(Cut(bytes)) + "\"" : Visible(Cut(bytes));
}

std::string AsIs(std::string_view bytes, bool quoted) {
  return quoted ? "\"" + std::string(bytes) + "\"" : std::string(bytes);
}

}  // namespace

std::string Quoted(std::string_view bytes) { return Marked(kValue, bytes); }

std::string FileText(std::string_view bytes) { return Marked(kName, bytes); }

std::string MessageReplacing(const std::string& message,
                             std::string (*replace)(std::string_view bytes, bool quoted)) {
  std::string out;
  size_t pos = 0;
  while (pos < message.size()) {
    const size_t begin = message.find(kMark, pos);
    const size_t end = begin == std::string::npos ? begin : message.find(kMark, begin + 2);
    if (end == std::string::npos) {
      out.append(message, pos, std::string::npos);
      break;
    }
    out.append(message, pos, begin - pos);
    const std::string_view part = std::string_view(message).substr(begin + 2, end - begin - 2);
    out += replace(part, message[begin + 1] == kValue);
    pos = end + 1;
  }
  return out;
}

std::string MessageForPeople(const std::string& message) {
  return MessageReplacing(message, ForPeople);
}

std::string MessageAsIs(const std::string& message) { return MessageReplacing(message, AsIs); }

std::string ShownName(std::string_view name) { return Visible(Cut(name)); }
