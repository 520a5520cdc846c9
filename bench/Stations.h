// The three stations the benchmark measures, as emulator fixtures.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace bench {

struct StationSize {
  std::string name;
  int ports, grades, pricesPerGrade, tanks, zigbee, pumps, hosesPerPump, attendants, clients;
};

// typical, large, largest (the most the import can walk).
const std::vector<StationSize>& Stations();

// A complete controller: every record has every field, names carry a few
// Latin-1 letters, hoses point at existing pumps and tanks.
nlohmann::json StationFixture(const StationSize& size);

// The hose counts of the one-pump stations: a real pump has at most eight
// hoses, a server that lies may report any number.
const std::vector<int>& OnePumpHoses();

// The file an EXPORT writes for one pump with that many hoses (its section
// only, keys in the export's order), for the profile alone.
std::string OnePumpFile(int hoses);

}  // namespace bench
