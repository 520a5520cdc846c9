// Files far larger than any station, for TarvoCheck's time and peak memory:
// hostile ones (hundreds of thousands of empty sections) and ones of more
// than 100 MB, with few findings and with many.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct HugeFile {
  std::string name;  // "sections500k", "comments", ...
  std::string what;  // one line for the table
  std::string path;  // the file
  std::string copy;  // the same bytes under another name, for DIFF
  size_t bytes = 0;
};

// Writes the files into dir, from the largest station's file: 500,000 and
// 5 million empty sections, that station with a 5,000-character comment
// line under each header (over 100 MB, few findings), and that station 36
// times over (over 100 MB, a duplicate-section finding per section).
std::vector<HugeFile> MakeHugeFiles(const std::string& dir, const std::string& largestFile);

// Removes the files again (they are remade on every run).
void RemoveHugeFiles(const std::vector<HugeFile>& files);

}  // namespace bench
