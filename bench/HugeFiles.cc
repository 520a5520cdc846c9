#include "bench/HugeFiles.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace bench {

namespace {

bool Write(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string Repeated(const std::string& piece, size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// The station with a long comment line after every header line.
std::string WithComments(const std::string& station) {
  const std::string note = ";" + std::string(4999, 'n') + "\n";
  std::string out;
  size_t pos = 0;
  while (pos < station.size()) {
    size_t end = station.find('\n', pos);
    end = end == std::string::npos ? station.size() : end + 1;
    out.append(station, pos, end - pos);
    if (station[pos] == '[') out += note;
    pos = end;
  }
  return out;
}

}  // namespace

std::vector<HugeFile> MakeHugeFiles(const std::string& dir, const std::string& largestFile) {
  std::ifstream in(largestFile, std::ios::binary);
  const std::string station((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const struct {
    const char* name;
    const char* what;
  } kinds[] = {
      {"sections500k", "500,000 empty sections \"[S]\""},
      {"sections5m", "5 million empty sections \"[S]\""},
      {"comments", "largest, a 5,000-character comment under each header"},
      {"repeated", "largest, 36 times over"},
  };
  std::vector<HugeFile> files;
  for (const auto& kind : kinds) {
    const std::string name = kind.name;
    std::string bytes = name == "sections500k" ? Repeated("[S]\n", 500000)
                        : name == "sections5m" ? Repeated("[S]\n", 5000000)
                        : name == "comments"   ? WithComments(station)
                                               : Repeated(station, 36);
    HugeFile f{name, kind.what, dir + "/" + name + ".ini", dir + "/" + name + "-copy.ini",
               bytes.size()};
    if (!Write(f.path, bytes) || !Write(f.copy, bytes)) return {};
    files.push_back(f);
  }
  return files;
}

void RemoveHugeFiles(const std::vector<HugeFile>& files) {
  for (const HugeFile& f : files) {
    unlink(f.path.c_str());
    unlink(f.copy.c_str());
  }
}

}  // namespace bench
