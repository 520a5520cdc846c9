// The profile's share of a run, alone: the key lines of a station's file
// written and read through CProfile, through the literal per-key rules, and
// through a floor that does no searching at all.
#pragma once

#include <string>
#include <vector>

#include "profile/Text.h"

namespace bench {

struct Section {
  std::string name;
  std::vector<std::string> keys;
  std::vector<std::string> values;
  std::vector<Text> texts;  // the values as the export hands them over
};

// The sections and key lines of a file as the export wrote it, in order.
std::vector<Section> SectionsOf(const std::string& bytes);
size_t KeyCount(const std::vector<Section>& sections);

// An EXPORT's writes (every key of every section, in order) and one save.
void ProfileWrite(const std::string& path, const std::vector<Section>& sections);
void LiteralWrite(const std::string& path, const std::vector<Section>& sections);
// The same lines, one formatted write each, synced like a save.
void FloorWrite(const std::string& path, const std::vector<Section>& sections);

// An IMPORT's reads: every key of every section and one missing key per
// section. Returns a sum of the values' lengths, so nothing is optimised away.
size_t ProfileRead(const std::string& path, const std::vector<Section>& sections);
size_t LiteralRead(const std::string& path, const std::vector<Section>& sections);
// One pass parsing the file into a hash map, then the same look-ups.
size_t FloorRead(const std::string& path, const std::vector<Section>& sections);

}  // namespace bench
