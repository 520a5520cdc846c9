// A scratch file for the fuzz targets, in memory when the system has such a
// folder, reused by every input of a run.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

inline const std::string& FuzzFolder() {
  static const std::string folder = [] {
    std::string name = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    name += "/tarvo-fuzz-XXXXXX";
    if (mkdtemp(&name[0]) == nullptr) abort();
    return name;
  }();
  return folder;
}

inline void PutBytes(const std::string& path, const std::string& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) abort();
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

inline std::string GetBytes(const std::string& path) {
  std::string bytes;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  fclose(file);
  return bytes;
}
