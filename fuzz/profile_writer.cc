// Any bytes as a configuration file, then a run of writes. Afterwards every
// key written reads back as written, and every line of the old file that is
// neither blank nor the line of a written key is still there, in order (for a
// file without a byte-order mark, whose lines are its bytes).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "FuzzFile.h"
#include "profile/FileEncoding.h"
#include "profile/Profile.h"

namespace {

// No key is a prefix of another, whatever the case: each reads its own line.
const std::vector<std::string> kSections = {"Application", "Port01", "Pump01", "Grade01",
                                            "Client001",   "Gr\xe9"};
const std::vector<std::string> kKeys = {"Number", "Name", "Price1", "Type", "Version", "Z\xe9"};

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t lf = bytes.find('\n', pos);
    size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

// The same line; an unterminated last line may have gained a line end.
bool Same(const std::string& now, const std::string& old) {
  if (now == old) return true;
  if (old.empty() || old.back() == '\n' || now.compare(0, old.size(), old) != 0) return false;
  return now.find_first_not_of("\r\n", old.size()) == std::string::npos;
}

bool StartsWithKeyWritten(const std::string& line, const std::map<std::string, bool>& keys) {
  size_t i = line.find_first_not_of(' ');
  if (i == std::string::npos) return false;
  for (const auto& key : keys) {
    if (line.size() - i < key.first.size()) continue;
    bool same = true;
    for (size_t k = 0; k < key.first.size() && same; ++k) {
      same = tolower(static_cast<unsigned char>(line[i + k])) ==
             tolower(static_cast<unsigned char>(key.first[k]));
    }
    if (same) return true;
  }
  return false;
}

// Blank, or only blanks on an unterminated last line (which turns blank once
// a later write ends it).
bool IsBlank(const std::string& line) {
  size_t i = line.find_first_not_of(' ');
  return i == std::string::npos || line[i] == '\r' || line[i] == '\n';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string path = FuzzFolder() + "/writer.ini";
  const std::string old_file = input.ConsumeRandomLengthString(size);
  PutFile(path, old_file);

  std::vector<std::pair<std::pair<std::string, std::string>, std::string>> writes;
  while (input.remaining_bytes() > 0) {
    std::string value = input.ConsumeRandomLengthString(40);
    // Values that read back unchanged: no blanks or line ends at their ends
    // to be cut, no quotes to be taken off, no NUL to end them.
    for (char& c : value) {
      if (c == '\0' || c == '\r' || c == '\n' || c == ' ' || c == '"') c = '_';
    }
    std::string section = Pick(input, kSections);
    std::string key = Pick(input, kKeys);
    writes.push_back({{section, key}, value});
  }
  if (writes.empty()) {
    for (const std::string& section : kSections) writes.push_back({{section, "Name"}, "x"});
  }

  std::map<std::pair<std::string, std::string>, std::string> last;
  std::map<std::string, bool> keys;
  {
    CProfile profile(path.c_str(), true);
    for (const auto& write : writes) {
      profile.SetSection(write.first.first.c_str());
      Text value(write.second);
      Check(profile.WriteString(write.first.second.c_str(), value) == value.Length());
      last[write.first] = write.second;
      keys[write.first.second] = true;
    }
    Check(profile.Save(nullptr));
  }

  CProfile reader(path.c_str(), false);
  for (const auto& written : last) {
    reader.SetSection(written.first.first.c_str());
    Text value;
    reader.ReadString(written.first.second.c_str(), value);
    Check(value == Text(written.second));
  }

  if (file_encoding::MarkOf(old_file) != file_encoding::Mark::kNone) return 0;
  std::vector<std::string> now = Lines(GetFile(path));
  size_t at = 0;
  for (const std::string& line : Lines(old_file)) {
    if (IsBlank(line) || StartsWithKeyWritten(line, keys)) continue;
    while (at < now.size() && !Same(now[at], line)) ++at;
    Check(at < now.size());
    ++at;
  }
  return 0;
}
