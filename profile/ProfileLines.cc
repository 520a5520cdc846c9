#include "profile/ProfileLines.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace profile_lines {

namespace {

size_t SkipBlanks(std::string_view s, size_t i) {
  while (i < s.size() && s[i] == ' ') ++i;
  return i;
}

// True when `s` from `at` begins with `prefix`, case ignored.
bool BeginsWith(std::string_view s, size_t at, std::string_view prefix) {
  if (s.size() - at < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (s[at + i] != prefix[i] && LowerChar(s[at + i]) != LowerChar(prefix[i])) return false;
  }
  return true;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// The part of a line that the rules look at: up to its first NUL.
std::string_view Visible(std::string_view line) {
  const void* nul = std::memchr(line.data(), '\0', line.size());
  if (nul == nullptr) return line;
  return line.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - line.data()));
}

// The value after the key on a line's visible text, from `at` (the first
// character after the leading blanks).
bool MatchKeyAt(std::string_view v, size_t at, std::string_view key, std::string_view* value) {
  if (key.empty() || !BeginsWith(v, at, key)) return false;
  size_t i = SkipBlanks(v, at + key.size());
  if (i < v.size() && v[i] == '=') ++i;
  i = SkipBlanks(v, i);
  size_t end = v.size();
  while (end > i && (v[end - 1] == ' ' || IsLineEnd(v[end - 1]))) --end;
  *value = v.substr(i, end - i);
  return true;
}

}  // namespace

size_t LineLength(std::string_view bytes, size_t begin) {
  const void* lf = std::memchr(bytes.data() + begin, '\n', bytes.size() - begin);
  if (lf == nullptr) return bytes.size() - begin;
  return static_cast<size_t>(static_cast<const char*>(lf) - (bytes.data() + begin)) + 1;
}

bool IsBracketLine(std::string_view line) {
  std::string_view v = Visible(line);
  size_t i = SkipBlanks(v, 0);
  return i < v.size() && v[i] == '[';
}

bool IsHeaderOf(std::string_view line, std::string_view name) {
  if (name.empty()) return false;
  std::string_view v = Visible(line);
  size_t i = SkipBlanks(v, 0);
  if (i >= v.size() || v[i] != '[') return false;
  if (!BeginsWith(v, i + 1, name)) return false;
  size_t close = i + 1 + name.size();
  return close < v.size() && v[close] == ']';
}

bool HeaderName(std::string_view line, std::string_view* name) {
  std::string_view v = Visible(line);
  size_t i = SkipBlanks(v, 0);
  if (i >= v.size() || v[i] != '[') return false;
  size_t close = v.find(']', i + 1);
  if (close == std::string_view::npos) return false;
  *name = v.substr(i + 1, close - i - 1);
  return true;
}

KeySearch FindKey(std::string_view body, std::string_view key) {
  KeySearch result;
  size_t pos = 0;
  while (pos < body.size()) {
    const size_t len = LineLength(body, pos);
    const std::string_view line = body.substr(pos, len);
    // The visible text is looked for only on a match: a NUL before the first
    // character that is not a blank makes a line that is neither blank nor a
    // header, and a key (which holds no NUL) never matches across a NUL.
    const size_t first = SkipBlanks(line, 0);
    const char c = first < line.size() ? line[first] : '\0';
    if (IsLineEnd(c)) {
      pos += len;
      continue;
    }
    // A bracket line never stands inside a section's lines; stopping here
    // keeps the search right for any caller that passes more.
    if (c == '[') break;
    if (!key.empty() && BeginsWith(line, first, key) &&
        MatchKeyAt(Visible(line), first, key, &result.value)) {
      result.found = true;
      result.lineBegin = pos;
      result.lineEnd = pos + len;
      return result;
    }
    pos += len;
    result.rewriteFrom = pos;
  }
  return result;
}

namespace {

// No CR, LF or NUL: a name that stays on its line and is written whole.
bool IsOneLine(std::string_view name) {
  for (char c : name) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
  }
  return true;
}

}  // namespace

bool IsWritableKey(std::string_view key) {
  if (key.empty() || !IsOneLine(key)) return false;
  size_t i = SkipBlanks(key, 0);
  return i == key.size() || key[i] != '[';
}

bool IsWritableSection(std::string_view name) { return !name.empty() && IsOneLine(name); }

void AppendKeyLine(std::string* out, std::string_view key, std::string_view value) {
  value = Visible(value);
  out->append(key);
  out->push_back('=');
  const size_t start = out->size();
  out->append(value);
  for (size_t i = start; i < out->size(); ++i) {
    if (IsLineEnd((*out)[i])) (*out)[i] = ' ';
  }
  out->append("\r\n", 2);
}

std::string HeaderLine(std::string_view name) {
  std::string line = "[";
  line.append(name);
  line.append("]\r\n");
  return line;
}

std::string_view LineEndNeeded(std::string_view bytes) {
  if (bytes.empty() || bytes.back() == '\n') return std::string_view();
  if (bytes.back() == '\r') return "\n";
  return "\r\n";
}

std::string_view Unquote(std::string_view value) {
  if (!value.empty() && value.front() == '"' && value.back() == '"') {
    if (value.size() == 1) return std::string_view();
    return value.substr(1, value.size() - 2);
  }
  return value;
}

int64_t ToCurrency(std::string_view text) {
  double value = 0.0;
  double scale = 10.0;
  bool fraction = false;
  for (char c : text) {
    if (c == ' ' || c == ',') continue;
    if (c == '.') {
      if (fraction) break;
      fraction = true;
      continue;
    }
    if (c < '0' || c > '9') break;
    int digit = c - '0';
    if (!fraction) {
      value = value * 10.0 + digit;
    } else {
      value += digit / scale;
      scale *= 10.0;
    }
  }
  double scaled = value >= 0 ? std::floor(value * 10000.0 + 0.5) : std::ceil(value * 10000.0 - 0.5);
  // 2^63 is exact in a double; anything at or past it does not fit.
  constexpr double kLimit = 9223372036854775808.0;
  if (std::isnan(scaled)) return 0;
  if (scaled >= kLimit) return std::numeric_limits<int64_t>::max();
  if (scaled < -kLimit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(scaled);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerChar(c);
  return out;
}

}  // namespace profile_lines
