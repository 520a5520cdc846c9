// Whole runs of the profile on station-sized files: writing every key into a
// new file, writing them again into that file, and reading them all back.
// Not a test; run build/bin/tarvo_profile_bench.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "profile/Profile.h"

namespace {

struct Station {
  std::vector<std::string> sections;
  int keys_per_section;
};

// About `keys` keys in sections of 15, named like card client sections.
Station MakeStation(int keys) {
  Station station{{}, 15};
  for (int i = 0; i < keys / station.keys_per_section; ++i) {
    char name[32];
    snprintf(name, sizeof name, "Client%05d", i);
    station.sections.push_back(name);
  }
  return station;
}

const char* const kKeys[] = {"Number", "Name", "Password", "Type", "Tag", "Limit", "Balance",
                             "Discount", "Grade1", "Grade2", "Grade3", "Pump", "Valid",
                             "Blocked", "Comment"};

void WriteAll(const std::string& path, const Station& station) {
  CProfile profile(path.c_str(), true);
  for (const std::string& section : station.sections) {
    profile.SetSection(section.c_str());
    for (int k = 0; k < station.keys_per_section; ++k) {
      profile.WriteString(kKeys[k], Text(section + "-value-" + kKeys[k]));
    }
  }
  profile.Save(nullptr);
}

void ExportNew(benchmark::State& state) {
  ScratchFolder folder;
  Station station = MakeStation(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    unlink(folder.Path("new.ini").c_str());
    WriteAll(folder.Path("new.ini"), station);
  }
  state.counters["bytes"] = static_cast<double>(GetFile(folder.Path("new.ini")).size());
}

void ExportExisting(benchmark::State& state) {
  ScratchFolder folder;
  Station station = MakeStation(static_cast<int>(state.range(0)));
  WriteAll(folder.Path("old.ini"), station);
  for (auto _ : state) WriteAll(folder.Path("old.ini"), station);
}

void ReadAll(benchmark::State& state) {
  ScratchFolder folder;
  Station station = MakeStation(static_cast<int>(state.range(0)));
  WriteAll(folder.Path("old.ini"), station);
  for (auto _ : state) {
    CProfile profile(folder.Path("old.ini").c_str(), true);
    int64_t sum = 0;
    for (const std::string& section : station.sections) {
      profile.SetSection(section.c_str());
      for (int k = 0; k < station.keys_per_section; ++k) sum += profile.ReadInt(kKeys[k]);
      sum += profile.ReadInt("Missing");
    }
    benchmark::DoNotOptimize(sum);
  }
}

BENCHMARK(ExportNew)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportExisting)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAll)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
