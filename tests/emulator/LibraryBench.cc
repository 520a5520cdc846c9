// Speed of one library call against the emulator, reads and writes.
//   build/bin/tarvo_emulator_bench
#include <benchmark/benchmark.h>

#include "tests/emulator/LibTest.h"

namespace {

e2e::Emulator& Station() {
  static e2e::Emulator emu(e2e::ReadFile(std::string(TARVO_SOURCE_DIR) + "/examples/sample-station.json"));
  static bool logged = libtest::Logon(emu.Server()) == 0;
  if (!logged) std::abort();
  return emu;
}

void CountCall(benchmark::State& state) {
  Station();
  int32_t count = 0;
  for (auto _ : state) benchmark::DoNotOptimize(GetCardClientsCount(&count));
}
BENCHMARK(CountCall);

void PumpProperties(benchmark::State& state) {
  Station();
  for (auto _ : state) {
    int32_t number = 0;
    libtest::Out name;
    benchmark::DoNotOptimize(GetPumpPropertiesEx(
        5, &number, name.ptr(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr));
  }
}
BENCHMARK(PumpProperties);

void SetCardClient(benchmark::State& state) {
  Station();
  libtest::In name(u"Transportes Gon\u00e7alves Lda");
  libtest::In tag(u"C-1001");
  int32_t id = 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(SetCardClientProperties(id, id, name, tag, 1));
    id = id % 5000 + 1;
  }
}
BENCHMARK(SetCardClient);

}  // namespace

BENCHMARK_MAIN();
