// The oracle of the differential test: the configuration file's rules taken
// word for word, one operation at a time. Every read and write opens the file,
// scans it from the top with a line buffer, acts, and closes it again, and a
// rewrite carries the rest of the file behind the new key line. It is slow on
// purpose and shares no code with CProfile.
//
// Lines are read whole however long they are, and a value written turns each
// CR or LF into a blank. Like CProfile, it refuses to write an empty key or
// section, a key or section holding CR or LF, or a key that would read as a
// header; it ends an unterminated last line (CR LF, or LF after a lone CR)
// before appending a key line after it; and an amount too large for Currency
// saturates.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class LiteralProfile {
 public:
  LiteralProfile(std::string path, bool writable) : path_(std::move(path)), writable_(writable) {}

  void SetSection(const std::string& name) { section_ = name; }

  // The value with one pair of enclosing quotes removed; empty when missing.
  std::string ReadString(const std::string& key);
  int64_t ReadCurrency(const std::string& key);
  // False when nothing was written.
  bool WriteString(const std::string& key, const std::string& value);

 private:
  bool Open();
  void Close();
  bool ReadLine();
  bool FindSection();
  bool FindKey(const std::string& key);

  std::string path_;
  bool writable_;
  std::string section_;
  FILE* file_ = nullptr;
  std::string line_;         // the line last read, its line end included
  const char* value_ = nullptr;
  size_t value_length_ = 0;
  int64_t line_position_ = 0;
};
