// Whole runs of the profile on station-sized files: writing every key into a
// new file, writing them again into that file, and reading them all back.
// Not a test; run build/bin/tarvo_profile_bench.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "LiteralProfile.h"
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

// The floor for writing: the same lines, one formatted write each, no search.
void FloorWrite(benchmark::State& state) {
  ScratchFolder folder;
  Station station = MakeStation(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FILE* file = fopen(folder.Path("floor.ini").c_str(), "wb");
    for (const std::string& section : station.sections) {
      fprintf(file, "\r\n[%s]\r\n", section.c_str());
      for (int k = 0; k < station.keys_per_section; ++k) {
        fprintf(file, "%s=%s-value-%s\r\n", kKeys[k], section.c_str(), kKeys[k]);
      }
    }
    fflush(file);
    fsync(fileno(file));
    fclose(file);
  }
}

// The floor for reading: one pass into a hash map, then the same look-ups.
void FloorRead(benchmark::State& state) {
  ScratchFolder folder;
  Station station = MakeStation(static_cast<int>(state.range(0)));
  WriteAll(folder.Path("old.ini"), station);
  for (auto _ : state) {
    std::string bytes = GetFile(folder.Path("old.ini"));
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> sections;
    std::unordered_map<std::string, std::string>* current = nullptr;
    size_t pos = 0;
    while (pos < bytes.size()) {
      size_t end = bytes.find('\n', pos);
      if (end == std::string::npos) end = bytes.size();
      std::string line = bytes.substr(pos, end - pos);
      pos = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      if (line[0] == '[') {
        current = &sections[line.substr(1, line.find(']') - 1)];
      } else if (current != nullptr) {
        size_t eq = line.find('=');
        current->emplace(line.substr(0, eq), line.substr(eq + 1));
      }
    }
    int64_t sum = 0;
    for (const std::string& section : station.sections) {
      auto& keys = sections[section];
      for (int k = 0; k < station.keys_per_section; ++k) sum += atoi(keys[kKeys[k]].c_str());
      sum += atoi(keys["Missing"].c_str());
    }
    benchmark::DoNotOptimize(sum);
  }
}

// What the callers spend making the values, which every other figure holds.
void ValuesOnly(benchmark::State& state) {
  Station station = MakeStation(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    for (const std::string& section : station.sections) {
      for (int k = 0; k < station.keys_per_section; ++k) {
        Text value(section + "-value-" + kKeys[k]);
        benchmark::DoNotOptimize(value);
      }
    }
  }
}

// The literal rules: every write opens and scans the file from the top.
void ExportNewLiteral(benchmark::State& state) {
  ScratchFolder folder;
  Station station = MakeStation(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    unlink(folder.Path("literal.ini").c_str());
    LiteralProfile profile(folder.Path("literal.ini"), true);
    for (const std::string& section : station.sections) {
      profile.SetSection(section);
      for (int k = 0; k < station.keys_per_section; ++k) {
        profile.WriteString(kKeys[k], section + "-value-" + kKeys[k]);
      }
    }
  }
}

BENCHMARK(ExportNewLiteral)->Arg(1131)->Arg(12909)->Unit(benchmark::kMillisecond);
BENCHMARK(ValuesOnly)->Arg(151150)->Unit(benchmark::kMillisecond);
BENCHMARK(FloorWrite)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);
BENCHMARK(FloorRead)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportNew)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportExisting)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadAll)->Arg(1131)->Arg(12909)->Arg(151150)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
