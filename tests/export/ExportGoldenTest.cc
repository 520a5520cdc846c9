// The bundled sample station, exported as the README's run command does,
// against a file checked by hand line by line.
#include <gtest/gtest.h>

#include <string>

#include "tests/export/ExportSupport.h"

namespace {

TEST(ExportGolden, SampleStationMatchesTheCheckedFile) {
  e2e::Emulator emu(e2e::ReadFile(TARVO_SOURCE_DIR "/examples/sample-station.json"));
  const std::string path = e2e::TempDir() + "/sample-station.ini";
  const auto r = exporttest::RunExport(emu, path);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, e2e::ReadFile(TARVO_SOURCE_DIR "/tests/golden/sample-station.out"));
  EXPECT_EQ(r.file, e2e::ReadFile(TARVO_SOURCE_DIR "/tests/golden/sample-station.ini"));
}

}  // namespace
