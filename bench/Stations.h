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

}  // namespace bench
