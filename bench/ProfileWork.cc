#include "bench/ProfileWork.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unordered_map>

#include "profile/Profile.h"
#include "tests/support/LiteralProfile.h"

namespace bench {

namespace {

const char kMissing[] = "NotInTheFile";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Splits plain "[name]" and "key=value" lines, CR LF or LF ended; what the
// export writes holds nothing else.
template <typename Line>
void ForEachLine(const std::string& bytes, Line line) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    size_t stop = end > pos && bytes[end - 1] == '\r' ? end - 1 : end;
    line(std::string_view(bytes).substr(pos, stop - pos));
    pos = end + 1;
  }
}

}  // namespace

std::vector<Section> SectionsOf(const std::string& bytes) {
  std::vector<Section> sections;
  ForEachLine(bytes, [&](std::string_view line) {
    if (line.empty()) return;
    if (line[0] == '[') {
      sections.push_back({std::string(line.substr(1, line.find(']') - 1)), {}, {}, {}});
    } else if (!sections.empty()) {
      size_t eq = line.find('=');
      Section& s = sections.back();
      s.keys.emplace_back(line.substr(0, eq));
      s.values.emplace_back(eq == std::string_view::npos ? "" : line.substr(eq + 1));
      s.texts.emplace_back(s.values.back());
    }
  });
  return sections;
}

size_t KeyCount(const std::vector<Section>& sections) {
  size_t n = 0;
  for (const Section& s : sections) n += s.keys.size();
  return n;
}

void ProfileWrite(const std::string& path, const std::vector<Section>& sections) {
  CProfile profile(path.c_str(), true);
  for (const Section& s : sections) {
    profile.SetSection(s.name.c_str());
    for (size_t k = 0; k < s.keys.size(); ++k) profile.WriteString(s.keys[k].c_str(), s.texts[k]);
  }
  profile.Save(nullptr);
}

void LiteralWrite(const std::string& path, const std::vector<Section>& sections) {
  LiteralProfile profile(path, true);
  for (const Section& s : sections) {
    profile.SetSection(s.name);
    for (size_t k = 0; k < s.keys.size(); ++k) profile.WriteString(s.keys[k], s.values[k]);
  }
}

void FloorWrite(const std::string& path, const std::vector<Section>& sections) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  for (const Section& s : sections) {
    std::fprintf(file, "\r\n[%s]\r\n", s.name.c_str());
    for (size_t k = 0; k < s.keys.size(); ++k) {
      std::fprintf(file, "%s=%s\r\n", s.keys[k].c_str(), s.values[k].c_str());
    }
  }
  std::fflush(file);
  fsync(fileno(file));
  std::fclose(file);
}

size_t ProfileRead(const std::string& path, const std::vector<Section>& sections) {
  CProfile profile(path.c_str(), false);
  size_t sum = 0;
  Text value;
  for (const Section& s : sections) {
    profile.SetSection(s.name.c_str());
    for (const std::string& key : s.keys) sum += static_cast<size_t>(profile.ReadString(key.c_str(), value));
    sum += static_cast<size_t>(profile.ReadString(kMissing, value));
  }
  return sum;
}

size_t LiteralRead(const std::string& path, const std::vector<Section>& sections) {
  LiteralProfile profile(path, false);
  size_t sum = 0;
  for (const Section& s : sections) {
    profile.SetSection(s.name);
    for (const std::string& key : s.keys) sum += profile.ReadString(key).size();
    sum += profile.ReadString(kMissing).size();
  }
  return sum;
}

size_t FloorRead(const std::string& path, const std::vector<Section>& sections) {
  std::string bytes = Slurp(path);
  std::unordered_map<std::string, std::unordered_map<std::string, std::string>> map;
  std::unordered_map<std::string, std::string>* current = nullptr;
  ForEachLine(bytes, [&](std::string_view line) {
    if (line.empty()) return;
    if (line[0] == '[') {
      current = &map[std::string(line.substr(1, line.find(']') - 1))];
    } else if (current != nullptr) {
      size_t eq = line.find('=');
      current->emplace(line.substr(0, eq),
                       eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1));
    }
  });
  size_t sum = 0;
  for (const Section& s : sections) {
    auto& keys = map[s.name];
    for (const std::string& key : s.keys) {
      auto it = keys.find(key);
      if (it != keys.end()) sum += it->second.size();
    }
    auto it = keys.find(kMissing);
    if (it != keys.end()) sum += it->second.size();
  }
  return sum;
}

}  // namespace bench
