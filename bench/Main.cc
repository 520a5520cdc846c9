// tarvo_bench: how TarvoExtract's time and memory compare with the least the
// work could cost, for three station sizes. Run it with scripts/bench.sh.
//
// For each station it generates a complete controller as an emulator
// fixture, exports it once to get the station's file and the journals of an
// EXPORT and an IMPORT, then measures (Google Benchmark):
//   profile/<station>/<work>/<who>  the profile alone: "new" (an EXPORT's
//       writes into a new file), "existing" (the same writes into the
//       station's file), "read" (an IMPORT's reads); who is "tarvo"
//       (CProfile), "floor" (no searching) or "literal" (the per-key rules,
//       typical and large only);
//   run/<station>/<export|import>  whole runs against the emulator,
//       TarvoExtract as a process and, in turn, a bare client that replays
//       the same library calls and discards the results;
//   profile/pump<hoses>/<work>/<who>  the profile alone on one pump with
//       1,000 and 16,000 hoses (a server that lies about a pump's hoses):
//       the cost per key must not grow with the section;
//   huge/<file>/<check|diff>  TarvoCheck CHECK and DIFF as a process, once,
//       on files far beyond a station (HugeFiles.h): time and peak memory.
// and prints the ratios after the runs.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/HugeFiles.h"
#include "bench/Process.h"
#include "bench/ProfileWork.h"
#include "bench/Stations.h"
#include "check/records/Compare.h"
#include "check/report/Report.h"
#include "check/rules/Check.h"
#include "tests/support/E2E.h"

namespace {

using nlohmann::json;

struct Station {
  bench::StationSize size;
  json fixture;
  std::string dir;
  std::string file;        // the station's file as TarvoExtract exported it
  size_t fileBytes = 0;
  std::vector<bench::Section> sections;
  size_t keys = 0;
  std::string exportJournal, importJournal;  // paths of the journals to replay
  std::unique_ptr<e2e::Emulator> emu;
};

// Each station has an emulator of its own for all its runs.
std::vector<std::unique_ptr<Station>> g_stations;
// The one-pump stations: a file only, no emulator.
std::vector<std::unique_ptr<Station>> g_pumps;
// The huge files: TarvoCheck only.
std::vector<bench::HugeFile> g_huge;

const json kEmptyController = {{"versions", {{"dll", "4.2.1"}, {"server", "4.2.0"}}}};

bool SameCalls(Station& s, const json& state, const std::string& journal, const json& calls) {
  s.emu->Load(state);
  bench::ProcessRun run = bench::RunProcess({TARVO_BARE_CLIENT, journal});
  if (run.exitCode == 0 && s.emu->Journal() == calls) return true;
  std::fprintf(stderr, "%s: the bare client did not repeat the calls of %s\n",
               s.size.name.c_str(), journal.c_str());
  return false;
}

bool Prepare(Station& s, const std::string& keepIn) {
  s.fixture = bench::StationFixture(s.size);
  if (keepIn.empty()) {
    s.dir = e2e::TempDir();
  } else {
    s.dir = keepIn + "/" + s.size.name;
    mkdir(keepIn.c_str(), 0755);
    mkdir(s.dir.c_str(), 0755);
  }
  e2e::WriteFile(s.dir + "/fixture.json", s.fixture.dump());
  s.file = s.dir + "/station.ini";
  unlink(s.file.c_str());
  s.emu = std::make_unique<e2e::Emulator>(s.fixture);
  if (s.emu->Port() == 0) return false;

  e2e::Run run = e2e::RunTarvo({"EXPORT", s.file, s.emu->Server()});
  if (run.exitCode != 0) {
    std::fprintf(stderr, "%s: the export failed (%d): %s\n", s.size.name.c_str(), run.exitCode,
                 run.out.c_str());
    return false;
  }
  s.exportJournal = s.dir + "/export-journal.json";
  e2e::WriteFile(s.exportJournal, s.emu->Journal().dump());

  s.emu->Load(kEmptyController);
  run = e2e::RunTarvo({"IMPORT", s.file, s.emu->Server()});
  if (run.exitCode != 0) {
    std::fprintf(stderr, "%s: the import failed (%d): %s\n", s.size.name.c_str(), run.exitCode,
                 run.out.c_str());
    return false;
  }
  s.importJournal = s.dir + "/import-journal.json";
  json importCalls = s.emu->Journal();
  e2e::WriteFile(s.importJournal, importCalls.dump());

  // The bare client must ask the controller exactly what TarvoExtract asked.
  if (!SameCalls(s, kEmptyController, s.importJournal, importCalls) ||
      !SameCalls(s, s.fixture, s.exportJournal, json::parse(e2e::ReadFile(s.exportJournal)))) {
    return false;
  }

  std::string bytes = e2e::ReadFile(s.file);
  s.fileBytes = bytes.size();
  s.sections = bench::SectionsOf(bytes);
  s.keys = bench::KeyCount(s.sections);
  return true;
}

bool PrepareOnePump(Station& s, int hoses, const std::string& keepIn) {
  s.size.name = "pump" + std::to_string(hoses);
  s.dir = keepIn.empty() ? e2e::TempDir() : keepIn + "/" + s.size.name;
  if (!keepIn.empty()) mkdir(s.dir.c_str(), 0755);
  s.file = s.dir + "/station.ini";
  const std::string bytes = bench::OnePumpFile(hoses);
  e2e::WriteFile(s.file, bytes);
  s.fileBytes = bytes.size();
  s.sections = bench::SectionsOf(bytes);
  s.keys = bench::KeyCount(s.sections);
  return s.keys > 0;
}

// --- the profile alone ---

void ProfileNew(benchmark::State& state, Station* s, void (*write)(const std::string&,
                                                                  const std::vector<bench::Section>&)) {
  std::string path = e2e::TempDir() + "/new.ini";
  for (auto _ : state) {
    unlink(path.c_str());
    write(path, s->sections);
  }
}

void ProfileExisting(benchmark::State& state, Station* s,
                     void (*write)(const std::string&, const std::vector<bench::Section>&)) {
  // Writing the station's own keys leaves its file as it was, so every
  // iteration starts from the same file.
  std::string path = e2e::TempDir() + "/existing.ini";
  e2e::WriteFile(path, e2e::ReadFile(s->file));
  for (auto _ : state) write(path, s->sections);
}

void ProfileRead(benchmark::State& state, Station* s,
                 size_t (*read)(const std::string&, const std::vector<bench::Section>&)) {
  for (auto _ : state) benchmark::DoNotOptimize(read(s->file, s->sections));
}

// --- whole runs through the emulator ---

void Fail(benchmark::State& state, const std::string& what, const bench::ProcessRun& run) {
  state.SkipWithError((what + " ended with " + std::to_string(run.exitCode) + ": " + run.out).c_str());
}

// The fastest of a program's runs and of the bare client's replays beside
// them, given to the benchmark as its counters.
struct Fastest {
  double tarvo = 0, bare = 0, calls = 0, tarvoCpu = 0, bareCpu = 0;
  long peakKb = 0;

  void Program(const bench::ProcessRun& run) {
    if (tarvo == 0 || run.seconds < tarvo) tarvo = run.seconds;
    if (run.peakKb > peakKb) peakKb = run.peakKb;
    if (tarvoCpu == 0 || run.cpuSeconds < tarvoCpu) tarvoCpu = run.cpuSeconds;
  }
  // False when the replay did not end with its figures.
  bool Bare(const bench::ProcessRun& run) {
    double seconds = 0, cpu = 0;
    if (run.exitCode != 0 ||
        std::sscanf(run.out.c_str(), "calls %lf seconds %lf cpu %lf", &calls, &seconds, &cpu) != 3) {
      return false;
    }
    if (bare == 0 || seconds < bare) bare = seconds;
    if (bareCpu == 0 || cpu < bareCpu) bareCpu = cpu;
    return true;
  }
  void Report(benchmark::State& state) const {
    state.counters["tarvoMs"] = tarvo * 1000;
    state.counters["bareMs"] = bare * 1000;
    state.counters["calls"] = calls;
    state.counters["tarvoCpuMs"] = tarvoCpu * 1000;
    state.counters["bareCpuMs"] = bareCpu * 1000;
    state.counters["peakKb"] = static_cast<double>(peakKb);
  }
};

// Each iteration runs TarvoExtract and then the bare client on the same
// controller state, so that both see the same load of the machine; the
// fastest of each is kept. The iteration's time is TarvoExtract's.
void WholeRun(benchmark::State& state, Station* s, bool import) {
  std::string file = import ? s->file : s->dir + "/run.ini";
  if (!import) s->emu->Load(s->fixture);
  auto prepare = [&] {
    if (import) {
      s->emu->Load(kEmptyController);
    } else {
      s->emu->ClearJournal();
    }
  };
  Fastest fastest;
  for (auto _ : state) {
    prepare();
    if (!import) unlink(file.c_str());
    bench::ProcessRun run = bench::RunProcess(
        {e2e::TarvoPath(), import ? "IMPORT" : "EXPORT", file, s->emu->Server()});
    if (run.exitCode != 0) return Fail(state, "TarvoExtract", run);
    state.SetIterationTime(run.seconds);
    fastest.Program(run);

    prepare();
    run = bench::RunProcess({TARVO_BARE_CLIENT, import ? s->importJournal : s->exportJournal});
    if (!fastest.Bare(run)) return Fail(state, "tarvo-bare-client", run);
  }
  fastest.Report(state);
}

// --- TarvoCheck ---

void CheckWork(benchmark::State& state, Station* s, bool diff) {
  std::string copy = s->dir + "/copy.ini";
  if (diff) e2e::WriteFile(copy, e2e::ReadFile(s->file));
  for (auto _ : state) {
    FileCheck a, b;
    std::string error;
    if (!CheckFile(s->file, &a, &error)) return state.SkipWithError(error.c_str());
    if (!diff) {
      benchmark::DoNotOptimize(CheckReport(s->file, a, false));
      continue;
    }
    if (!CheckFile(copy, &b, &error)) return state.SkipWithError(error.c_str());
    const FilesDiff d = DiffFiles(a, b);
    benchmark::DoNotOptimize(DiffReport(s->file, copy, d.records, d.others, a, b, false));
  }
}

// TarvoCheck CHECK, or DIFF of the file and its copy, as a process; the
// report (text) is counted, not kept.
void HugeRun(benchmark::State& state, const bench::HugeFile* f, bool diff) {
  for (auto _ : state) {
    bench::ProcessRun run =
        diff ? bench::RunProcess({e2e::CheckPath(), "DIFF", f->path, f->copy})
             : bench::RunProcess({e2e::CheckPath(), "CHECK", f->path});
    if (run.exitCode < 0 || run.exitCode > 2) return Fail(state, "TarvoCheck", run);
    state.SetIterationTime(run.seconds);
    state.counters["peakKb"] = static_cast<double>(run.peakKb);
    state.counters["cpuMs"] = run.cpuSeconds * 1000;
    state.counters["reportBytes"] = static_cast<double>(run.out.size());
  }
}

// PLAN against the controller that holds the station (nothing to change),
// then the bare client replaying the station's EXPORT, as WholeRun does.
void PlanRun(benchmark::State& state, Station* s) {
  s->emu->Load(s->fixture);
  Fastest fastest;
  for (auto _ : state) {
    s->emu->ClearJournal();
    bench::ProcessRun run = bench::RunProcess({e2e::CheckPath(), "PLAN", s->file, s->emu->Server()});
    if (run.exitCode != 0) return Fail(state, "TarvoCheck PLAN", run);
    state.SetIterationTime(run.seconds);
    fastest.Program(run);

    s->emu->ClearJournal();
    run = bench::RunProcess({TARVO_BARE_CLIENT, s->exportJournal});
    if (!fastest.Bare(run)) return Fail(state, "tarvo-bare-client", run);
  }
  fastest.Report(state);
}

// The checked import (TarvoCheck IMPORT /YES) of the station's file into a
// controller that holds the station with one client renamed, so that every
// step runs: the backup EXPORT, the PLAN, the IMPORT, the EXPORT after and the
// verification. Against the bare client replaying one EXPORT, one IMPORT and
// one EXPORT; the fastest sum of the three is kept. Both start from the
// controller loaded and warmed alike.
void GuardedRun(benchmark::State& state, Station* s) {
  json changed = s->fixture;
  if (changed.contains("cardClients") && !changed["cardClients"].empty()) {
    changed["cardClients"][0]["name"] = "Renamed";
  }
  const std::string file = s->dir + "/guarded.ini";
  e2e::WriteFile(file, e2e::ReadFile(s->file));
  // The before- and after-files of the previous run.
  auto removeStamped = [&] {
    DIR* d = opendir(s->dir.c_str());
    if (d == nullptr) return;
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name.rfind("guarded.before-", 0) == 0 || name.rfind("guarded.after-", 0) == 0) {
        unlink((s->dir + "/" + name).c_str());
      }
    }
    closedir(d);
  };
  // A controller just loaded answers its first reads slowly: each side
  // starts after the same unmeasured bare EXPORT.
  auto loadWarm = [&]() -> bool {
    s->emu->Load(changed);
    bench::ProcessRun warm = bench::RunProcess({TARVO_BARE_CLIENT, s->exportJournal});
    if (warm.exitCode != 0) Fail(state, "tarvo-bare-client", warm);
    return warm.exitCode == 0;
  };
  Fastest fastest;
  for (auto _ : state) {
    removeStamped();
    if (!loadWarm()) return;
    bench::ProcessRun run =
        bench::RunProcess({e2e::CheckPath(), "IMPORT", file, s->emu->Server(), "/YES"});
    if (run.exitCode != 0) return Fail(state, "TarvoCheck IMPORT", run);
    state.SetIterationTime(run.seconds);
    fastest.Program(run);

    if (!loadWarm()) return;
    Fastest sum;
    double seconds = 0, cpu = 0, calls = 0;
    for (const std::string* journal : {&s->exportJournal, &s->importJournal, &s->exportJournal}) {
      run = bench::RunProcess({TARVO_BARE_CLIENT, *journal});
      if (!sum.Bare(run)) return Fail(state, "tarvo-bare-client", run);
      seconds += sum.bare;
      cpu += sum.bareCpu;
      calls += sum.calls;
      sum = Fastest();
    }
    if (fastest.bare == 0 || seconds < fastest.bare) fastest.bare = seconds;
    if (fastest.bareCpu == 0 || cpu < fastest.bareCpu) fastest.bareCpu = cpu;
    fastest.calls = calls;
  }
  removeStamped();
  fastest.Report(state);
}

// --- the table ---

struct Result {
  double seconds = 0;
  std::map<std::string, double> counters;
};

class Collector : public benchmark::ConsoleReporter {
 public:
  Collector() : ConsoleReporter(isatty(1) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      Result& r = results[run.run_name.function_name];
      r.seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      for (const auto& c : run.counters) r.counters[c.first] = c.second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const Result* Find(const std::string& name) const {
    auto it = results.find(name);
    return it == results.end() ? nullptr : &it->second;
  }
  std::map<std::string, Result> results;
};

std::string Ratio(const Result* a, const Result* b) {
  if (a == nullptr || b == nullptr || b->seconds <= 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2fx", a->seconds / b->seconds);
  return text;
}

std::string Ms(const Result* r) {
  if (r == nullptr) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", r->seconds * 1000);
  return text;
}

void PrintTable(const Collector& c) {
  std::printf("\nThe profile alone (ms; ratios of times measured in this run)\n");
  std::printf("%-8s %7s %8s  %-9s %9s %9s %9s %9s %11s\n", "station", "keys", "KB", "work",
              "tarvo", "floor", "x floor", "literal", "x faster");
  for (const auto& s : g_stations) {
    for (const char* work : {"new", "existing", "read"}) {
      std::string stem = "profile/" + s->size.name + "/" + work + "/";
      const Result* tarvo = c.Find(stem + "tarvo");
      const Result* floor = c.Find(stem + "floor");
      const Result* literal = c.Find(stem + "literal");
      std::printf("%-8s %7zu %8.0f  %-9s %9s %9s %9s %9s %11s\n", s->size.name.c_str(), s->keys,
                  s->fileBytes / 1024.0, work, Ms(tarvo).c_str(), Ms(floor).c_str(),
                  Ratio(tarvo, floor).c_str(), Ms(literal).c_str(), Ratio(literal, tarvo).c_str());
    }
  }

  std::printf("\nWhole runs through the emulator (ms, fastest of the iterations; bare = the same\n"
              "library calls only, without starting a process or touching a file; cpu = the\n"
              "client process's user + system time, the emulator's not counted)\n");
  std::printf("%-8s %-7s %8s %9s %9s %8s %9s %9s %8s %9s %9s %7s\n", "station", "run", "calls",
              "tarvo", "bare", "x bare", "calls/s", "cpu", "bare cpu", "x bare", "peak MB",
              "x file");
  for (const auto& s : g_stations) {
    for (const char* what : {"export", "import", "plan", "guarded"}) {
      const Result* r = c.Find("run/" + s->size.name + "/" + what);
      if (r == nullptr) continue;
      double tarvo = r->counters.at("tarvoMs"), bare = r->counters.at("bareMs");
      double calls = r->counters.at("calls"), peakMb = r->counters.at("peakKb") / 1024.0;
      double cpu = r->counters.at("tarvoCpuMs"), bareCpu = r->counters.at("bareCpuMs");
      std::printf("%-8s %-7s %8.0f %9.2f %9.2f %7.2fx %9.0f %9.0f %8.0f %8.2fx %9.1f %6.1fx\n",
                  s->size.name.c_str(), what, calls, tarvo, bare, tarvo / bare,
                  calls / bare * 1000, cpu, bareCpu, bareCpu > 0 ? cpu / bareCpu : 0.0, peakMb,
                  peakMb * 1024 * 1024 / static_cast<double>(s->fileBytes));
    }
  }

  std::printf("\nTarvoCheck in this process (ms; the floor parses the file once into a hash map\n"
              "and looks every key up; DIFF reads two files, so it is set against two floors)\n");
  std::printf("%-8s %-6s %9s %9s %8s\n", "station", "work", "check", "floor", "x floor");
  for (const auto& s : g_stations) {
    const Result* floor = c.Find("profile/" + s->size.name + "/read/floor");
    for (const char* work : {"check", "diff"}) {
      const Result* r = c.Find("check/" + s->size.name + "/" + work);
      if (r == nullptr || floor == nullptr) continue;
      double floorMs = floor->seconds * 1000 * (work[0] == 'd' ? 2 : 1);
      std::printf("%-8s %-6s %9.2f %9.2f %7.2fx\n", s->size.name.c_str(), work,
                  r->seconds * 1000, floorMs, r->seconds * 1000 / floorMs);
    }
  }

  if (!g_huge.empty()) {
    std::printf("\nTarvoCheck on huge files (one run each, as a process; peak = its resident\n"
                "peak, x file = peak over the file's size, DIFF's over both files')\n");
    std::printf("%-13s %8s %-6s %9s %9s %9s %7s %10s  %s\n", "file", "MB", "work", "s", "cpu s",
                "peak MB", "x file", "report MB", "what");
    for (const bench::HugeFile& f : g_huge) {
      for (const char* work : {"check", "diff"}) {
        const Result* r = c.Find("huge/" + f.name + "/" + work);
        if (r == nullptr) continue;
        const double mb = static_cast<double>(f.bytes) / 1e6;
        const double peakMb = r->counters.at("peakKb") * 1024 / 1e6;
        std::printf("%-13s %8.1f %-6s %9.2f %9.2f %9.1f %6.1fx %10.1f  %s\n", f.name.c_str(), mb,
                    work, r->seconds, r->counters.at("cpuMs") / 1000, peakMb,
                    peakMb / (work[0] == 'd' ? 2 * mb : mb),
                    r->counters.at("reportBytes") / 1e6, f.what.c_str());
      }
    }
  }

  // One pump: the cost per key of the largest against the smallest.
  if (!g_pumps.empty()) {
    std::printf("\nOne pump with many hoses, the profile alone (microseconds per key)\n");
    std::printf("%-10s %7s %8s  %-9s %9s %9s %9s %13s\n", "station", "keys", "KB", "work",
                "tarvo", "floor", "x floor", "x per key of");
    const Station& first = *g_pumps.front();
    for (const auto& s : g_pumps) {
      for (const char* work : {"new", "existing", "read"}) {
        const std::string stem = "profile/" + s->size.name + "/" + work + "/";
        const Result* tarvo = c.Find(stem + "tarvo");
        const Result* floor = c.Find(stem + "floor");
        const Result* base = c.Find("profile/" + first.size.name + "/" + work + "/tarvo");
        auto perKey = [](const Result* r, size_t keys) {
          return r == nullptr ? 0.0 : r->seconds * 1e6 / static_cast<double>(keys);
        };
        char growth[48] = "";
        if (s.get() != &first && tarvo != nullptr && base != nullptr) {
          std::snprintf(growth, sizeof growth, "%.2fx %s",
                        perKey(tarvo, s->keys) / perKey(base, first.keys),
                        first.size.name.c_str());
        }
        std::printf("%-10s %7zu %8.0f  %-9s %9.3f %9.3f %9s %13s\n", s->size.name.c_str(), s->keys,
                    s->fileBytes / 1024.0, work, perKey(tarvo, s->keys), perKey(floor, s->keys),
                    Ratio(tarvo, floor).c_str(), growth);
      }
    }
  }

  // Linear growth: from large to largest the times should grow like the keys.
  if (g_stations.size() >= 3) {
    const Station& large = *g_stations[1];
    const Station& largest = *g_stations[2];
    std::printf("\nFrom %s to %s: keys x%.1f; times:", large.size.name.c_str(),
                largest.size.name.c_str(), static_cast<double>(largest.keys) / large.keys);
    for (const char* work : {"new", "existing", "read"}) {
      const Result* a = c.Find("profile/" + largest.size.name + "/" + work + "/tarvo");
      const Result* b = c.Find("profile/" + large.size.name + "/" + work + "/tarvo");
      std::printf(" profile %s %s,", work, Ratio(a, b).c_str());
    }
    for (const char* what : {"export", "import"}) {
      const Result* a = c.Find("run/" + largest.size.name + "/" + what);
      const Result* b = c.Find("run/" + large.size.name + "/" + what);
      if (a == nullptr || b == nullptr) continue;
      std::printf(" %s run x%.1f (bare x%.1f),", what,
                  a->counters.at("tarvoMs") / b->counters.at("tarvoMs"),
                  a->counters.at("bareMs") / b->counters.at("bareMs"));
    }
    std::printf("\n");
  }
}
// The profile's rows of a station: CProfile and the floor, writing a new
// file, writing the station's own file and reading it.
void RegisterProfileRows(Station* s, const std::string& p) {
  const auto ms = benchmark::kMillisecond;
  benchmark::RegisterBenchmark((p + "new/tarvo").c_str(), ProfileNew, s, bench::ProfileWrite)->Unit(ms)->MinTime(0.3);
  benchmark::RegisterBenchmark((p + "new/floor").c_str(), ProfileNew, s, bench::FloorWrite)->Unit(ms)->MinTime(0.3);
  benchmark::RegisterBenchmark((p + "existing/tarvo").c_str(), ProfileExisting, s, bench::ProfileWrite)->Unit(ms)->MinTime(0.3);
  benchmark::RegisterBenchmark((p + "existing/floor").c_str(), ProfileExisting, s, bench::FloorWrite)->Unit(ms)->MinTime(0.3);
  benchmark::RegisterBenchmark((p + "read/tarvo").c_str(), ProfileRead, s, bench::ProfileRead)->Unit(ms)->MinTime(0.3);
  benchmark::RegisterBenchmark((p + "read/floor").c_str(), ProfileRead, s, bench::FloorRead)->Unit(ms)->MinTime(0.3);
}


}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // --stations=DIR keeps each station's fixture, file and journals there;
  // --one-pump measures only the one-pump stations (no emulator).
  std::string keepIn;
  bool onePumpOnly = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--one-pump") {
      onePumpOnly = true;
    } else if (arg.rfind("--stations=", 0) == 0) {
      keepIn = arg.substr(11);
    } else {
      std::fprintf(stderr, "tarvo_bench: unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  for (const bench::StationSize& size : bench::Stations()) {
    if (onePumpOnly) break;
    auto s = std::make_unique<Station>();
    s->size = size;
    std::fprintf(stderr, "preparing the %s station...\n", size.name.c_str());
    if (!Prepare(*s, keepIn)) return 1;
    g_stations.push_back(std::move(s));
  }
  for (int hoses : bench::OnePumpHoses()) {
    auto s = std::make_unique<Station>();
    if (!PrepareOnePump(*s, hoses, keepIn)) return 1;
    g_pumps.push_back(std::move(s));
  }

  for (const auto& sp : g_stations) {
    Station* s = sp.get();
    const std::string p = "profile/" + s->size.name + "/";
    const bool literal = s->size.name != "largest";  // hours by the per-key rules
    const auto ms = benchmark::kMillisecond;
    RegisterProfileRows(s, p);
    if (literal) {
      benchmark::RegisterBenchmark((p + "new/literal").c_str(), ProfileNew, s, bench::LiteralWrite)->Unit(ms)->Iterations(1);
      benchmark::RegisterBenchmark((p + "existing/literal").c_str(), ProfileExisting, s, bench::LiteralWrite)->Unit(ms)->Iterations(1);
      benchmark::RegisterBenchmark((p + "read/literal").c_str(), ProfileRead, s, bench::LiteralRead)->Unit(ms)->Iterations(1);
    }
    benchmark::RegisterBenchmark(("check/" + s->size.name + "/check").c_str(), CheckWork, s, false)->Unit(ms)->MinTime(0.3);
    benchmark::RegisterBenchmark(("check/" + s->size.name + "/diff").c_str(), CheckWork, s, true)->Unit(ms)->MinTime(0.3);
    const int runs = s->size.name == "largest" ? 4 : s->size.name == "large" ? 7 : 9;
    for (bool import : {false, true}) {
      std::string name = "run/" + s->size.name + (import ? "/import" : "/export");
      benchmark::RegisterBenchmark(name.c_str(), WholeRun, s, import)
          ->Unit(ms)->UseManualTime()->Iterations(runs);
    }
    benchmark::RegisterBenchmark(("run/" + s->size.name + "/plan").c_str(), PlanRun, s)
        ->Unit(ms)->UseManualTime()->Iterations(runs);
    benchmark::RegisterBenchmark(("run/" + s->size.name + "/guarded").c_str(), GuardedRun, s)
        ->Unit(ms)->UseManualTime()->Iterations(runs);
  }

  for (const auto& sp : g_pumps) {
    RegisterProfileRows(sp.get(), "profile/" + sp->size.name + "/");
  }

  if (!g_stations.empty()) {
    const std::string dir = keepIn.empty() ? e2e::TempDir() : keepIn + "/huge";
    mkdir(dir.c_str(), 0755);
    std::fprintf(stderr, "writing the huge files...\n");
    g_huge = bench::MakeHugeFiles(dir, g_stations.back()->file);
    for (const bench::HugeFile& f : g_huge) {
      for (bool diff : {false, true}) {
        const std::string name = "huge/" + f.name + (diff ? "/diff" : "/check");
        benchmark::RegisterBenchmark(name.c_str(), HugeRun, &f, diff)
            ->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
      }
    }
  }

  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  PrintTable(collector);
  benchmark::Shutdown();
  bench::RemoveHugeFiles(g_huge);
  g_stations.clear();  // stops the emulators
  g_pumps.clear();
  return 0;
}
