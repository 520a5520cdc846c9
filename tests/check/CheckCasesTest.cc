// CHECK's reports as expected-output files: each tests/check/cases/NAME.ini
// has NAME.out, the report followed by the exit code. With
// TARVO_CHECK_REGENERATE set the .out files are written instead (review the
// difference before committing it).
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/E2E.h"

namespace {

const std::string kCases = TARVO_SOURCE_DIR "/tests/check/cases";

std::string Report(const std::vector<std::string>& args, const std::string& cwd) {
  e2e::Run run = e2e::RunCheck(args, cwd);
  return run.out + "[exit " + std::to_string(run.exitCode) + "]\n";
}

TEST(CheckCases, EachReportIsTheExpectedOne) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
    if (entry.path().extension() == ".ini") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_GE(names.size(), 10u);
  const bool regenerate = std::getenv("TARVO_CHECK_REGENERATE") != nullptr;
  for (const std::string& name : names) {
    std::string got = Report({"CHECK", name + ".ini"}, kCases);
    std::string expected = kCases + "/" + name + ".out";
    if (regenerate) {
      e2e::WriteFile(expected, got);
      continue;
    }
    EXPECT_EQ(got, e2e::ReadFile(expected)) << name << ".ini";
  }
}

// An exported file is what IMPORT reads best: nothing to report.
TEST(CheckCases, AnExportedStationHasNothingToReport) {
  e2e::Run run = e2e::RunCheck({"check", TARVO_SOURCE_DIR "/tests/golden/sample-station.ini"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("0 errors, 0 warnings\n"), std::string::npos) << run.out;
}

// /JSON gives the same findings as one document, and hides no exit code.
TEST(CheckCases, JsonCarriesTheSameFindings) {
  e2e::Run text = e2e::RunCheck({"CHECK", "keys.ini"}, kCases);
  e2e::Run run = e2e::RunCheck({"/json", "keys.ini", "CHECK"}, kCases);
  EXPECT_EQ(run.exitCode, text.exitCode);
  nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << run.out;
  EXPECT_EQ(doc["findings"].size(), doc["errors"].get<size_t>() + doc["warnings"].get<size_t>());
  EXPECT_NE(text.out.find(std::to_string(doc["warnings"].get<int>()) + " warnings"),
            std::string::npos);
  EXPECT_EQ(run.out.find("1234"), std::string::npos) << "a password value in the report";
}

}  // namespace
