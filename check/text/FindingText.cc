// The file's own bytes inside a finding's message: marked where the rules
// put them, shown cut to the text report and whole to JSON.
#include "check/text/FindingText.h"

#include <string>
#include <string_view>

#include "check/text/ShownText.h"

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

// The first kShownBytes bytes, not ending inside a UTF-8 character (in a
// file with a mark), then "..."; shorter bytes as they are.
std::string Cut(std::string_view bytes, file_encoding::Mark encoding) {
  if (bytes.size() <= kShownBytes) return std::string(bytes);
  size_t end = kShownBytes;
  for (int back = 0; encoding != file_encoding::Mark::kNone && back < 3 && end > 0; ++back) {
    if ((static_cast<unsigned char>(bytes[end]) & 0xC0) != 0x80) break;
    --end;
  }
  return std::string(bytes.substr(0, end)) + "...";
}

// The bytes cut, in UTF-8, with control characters written visibly ("\t",
// "\x01"), so that a person sees a tab or a stray byte where the file holds
// one and nothing moves the cursor.
std::string ForPeople(std::string_view bytes, bool quoted, file_encoding::Mark encoding) {
  const std::string shown = ShownText(Cut(bytes, encoding), encoding);
  return quoted ? "\"" + shown + "\"" : shown;
}

std::string AsIs(std::string_view bytes, bool quoted) {
  return quoted ? "\"" + std::string(bytes) + "\"" : std::string(bytes);
}

}  // namespace

std::string Quoted(std::string_view bytes) { return Marked(kValue, bytes); }

std::string FileText(std::string_view bytes) { return Marked(kName, bytes); }

std::string MessageReplacing(
    const std::string& message,
    const std::function<std::string(std::string_view bytes, bool quoted)>& replace) {
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

std::string MessageForPeople(const std::string& message, file_encoding::Mark encoding) {
  return MessageReplacing(message, [encoding](std::string_view bytes, bool quoted) {
    return ForPeople(bytes, quoted, encoding);
  });
}

std::string MessageAsIs(const std::string& message) { return MessageReplacing(message, AsIs); }

std::string ShownName(std::string_view name, file_encoding::Mark encoding) {
  return ShownText(Cut(name, encoding), encoding);
}
