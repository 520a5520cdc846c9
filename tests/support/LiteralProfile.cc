#include "tests/support/LiteralProfile.h"

#include <sys/types.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <strings.h>

bool LiteralProfile::Open() {
  Close();
  file_ = fopen(path_.c_str(), writable_ ? "r+be" : "rbe");
  if (file_ == nullptr && writable_) {
    FILE* create = fopen(path_.c_str(), "a+e");
    if (create != nullptr) fclose(create);
    file_ = fopen(path_.c_str(), "r+be");
  }
  return file_ != nullptr;
}

void LiteralProfile::Close() {
  if (file_ != nullptr) fclose(file_);
  file_ = nullptr;
}

bool LiteralProfile::ReadLine() {
  line_.clear();
  int c;
  while ((c = getc(file_)) != EOF) {
    line_.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line_.empty();
}

bool LiteralProfile::FindSection() {
  if (section_.empty()) return false;
  if (!Open()) return false;
  line_position_ = ftello(file_);
  std::string header = "[" + section_ + "]";
  while (ReadLine()) {
    const char* p = line_.c_str();
    while (*p == ' ') ++p;
    if (strncasecmp(p, header.c_str(), header.size()) == 0) return true;
  }
  return false;
}

bool LiteralProfile::FindKey(const std::string& key) {
  if (key.empty() || file_ == nullptr) return false;
  line_position_ = ftello(file_);
  while (ReadLine()) {
    const char* p = line_.c_str();
    while (*p == ' ') ++p;
    if (*p == '\n' || *p == '\r') continue;
    value_ = p;
    if (*p == '[') return false;
    if (strncasecmp(p, key.c_str(), key.size()) == 0) {
      p += key.size();
      while (*p == ' ') ++p;
      if (*p == '=') ++p;
      while (*p == ' ') ++p;
      value_ = p;
      size_t n = strlen(p);
      while (n > 0 && (p[n - 1] == '\r' || p[n - 1] == '\n' || p[n - 1] == ' ')) --n;
      value_length_ = n;
      return true;
    }
    line_position_ = ftello(file_);
  }
  return false;
}

std::string LiteralProfile::ReadString(const std::string& key) {
  std::string value;
  if (FindSection() && FindKey(key)) value.assign(value_, value_length_);
  Close();
  if (!value.empty() && value.front() == '"' && value.back() == '"') {
    value = value.size() == 1 ? std::string() : value.substr(1, value.size() - 2);
  }
  return value;
}

int64_t LiteralProfile::ReadCurrency(const std::string& key) {
  std::string text = ReadString(key);
  double value = 0.0;
  double scale = 10.0;
  bool fraction = false;
  for (char c : text) {
    if (c == ' ' || c == ',') continue;
    if (c == '.' && !fraction) {
      fraction = true;
    } else if (c >= '0' && c <= '9' && !fraction) {
      value = value * 10.0 + (c - '0');
    } else if (c >= '0' && c <= '9') {
      value += (c - '0') / scale;
      scale *= 10.0;
    } else {
      break;
    }
  }
  double product = std::floor(value * 10000.0 + 0.5);
  if (product >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(product);
}

bool LiteralProfile::WriteString(const std::string& key, const std::string& value) {
  auto has_line_end = [](const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; };
  if (key.empty() || has_line_end(key) || has_line_end(section_)) return false;
  size_t first = key.find_first_not_of(' ');
  if (first != std::string::npos && key[first] == '[') return false;
  if (!writable_) return false;

  std::string shown(value.c_str());
  for (char& c : shown) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  std::string key_line = key + "=" + shown + "\r\n";

  if (!FindSection()) {
    if (file_ == nullptr) return false;
    std::string text = "\r\n[" + section_ + "]\r\n" + key_line;
    fwrite(text.data(), 1, text.size(), file_);
    Close();
    return true;
  }
  bool found = FindKey(key);
  if (!found && line_.empty()) {
    // The end of the file: end its last line first when it has no line end.
    fseeko(file_, -1, SEEK_END);
    int last = getc(file_);
    fseeko(file_, 0, SEEK_END);
    if (last == '\r') fputs("\n", file_);
    else if (last != '\n' && last != EOF) fputs("\r\n", file_);
    fwrite(key_line.data(), 1, key_line.size(), file_);
    Close();
    return true;
  }
  std::string remainder = found ? std::string() : line_;
  while (ReadLine()) remainder += line_;
  fseeko(file_, line_position_, SEEK_SET);
  std::string text = key_line + remainder;
  fwrite(text.data(), 1, text.size(), file_);
  fflush(file_);
  off_t end = ftello(file_);
  if (end >= 0) (void)!ftruncate(fileno(file_), end);
  Close();
  return true;
}
