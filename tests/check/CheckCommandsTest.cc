// TarvoCheck's command line and exit codes: 0 nothing to report, 1 something
// to report, -1 (255) an error. DIFF and PLAN never show a password.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/E2E.h"

namespace {

using nlohmann::json;

const char kStation[] =
    "[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPassword=4711\r\nEnabled=1\r\n"
    "[Client001]\r\nNumber=1\r\nName=Frota\r\nTag=C-1\r\nEnabled=1\r\n";

std::string Write(const std::string& bytes) {
  std::string path = e2e::TempDir() + "/site.ini";
  e2e::WriteFile(path, bytes);
  return path;
}

TEST(CheckCommands, HelpAndUsage) {
  for (std::vector<std::string> args : {std::vector<std::string>{}, {"/?"}, {"-h"}, {"--help"}}) {
    e2e::Run run = e2e::RunCheck(args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("TarvoCheck CHECK <INI file>"), std::string::npos) << run.out;
  }
  EXPECT_EQ(e2e::RunCheck({"site.ini"}).exitCode, 255);                   // no command
  EXPECT_EQ(e2e::RunCheck({"CHECK"}).exitCode, 255);                      // no file
  EXPECT_EQ(e2e::RunCheck({"DIFF", "a.ini"}).exitCode, 255);              // one file
  e2e::Run missing = e2e::RunCheck({"CHECK", e2e::TempDir() + "/none.ini"});
  EXPECT_EQ(missing.exitCode, 255);
  EXPECT_NE(missing.out.find("Cannot read "), std::string::npos) << missing.out;
}

TEST(CheckCommands, DiffComparesWhatImportReads) {
  std::string a = Write(kStation);
  // Order, blanks, quotes and other sections do not count.
  std::string same = Write(
      "[Application]\r\nDateGenerated=today\r\n\r\n[Client001]\r\n  Number = 1\r\nName=\"Frota\"\r\n"
      "Tag=C-1\r\nEnabled=1\r\n[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPassword=4711\r\n"
      "Enabled=1\r\n");
  e2e::Run run = e2e::RunCheck({"diff", a, same});
  EXPECT_EQ(run.exitCode, 0) << run.out;

  std::string b = Write(
      "[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPassword=9999\r\nEnabled=1\r\n"
      "[Client002]\r\nNumber=2\r\nName=Frota\r\nTag=C-1\r\nEnabled=1\r\n");
  run = e2e::RunCheck({"DIFF", a, b});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("Attendant01  changes\n    Password  changed\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Client001  only in " + a), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Client002  only in " + b), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("1 record differs, 1 only in " + a + ", 1 only in " + b + "\n"),
            std::string::npos)
      << run.out;
  e2e::Run js = e2e::RunCheck({"DIFF", a, b, "/JSON"});
  EXPECT_EQ(js.exitCode, 1);
  json doc = json::parse(js.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << js.out;
  EXPECT_EQ(doc["records"][0]["changes"]["Password"], "changed");
  for (const std::string& out : {run.out, js.out}) {
    EXPECT_EQ(out.find("4711"), std::string::npos);
    EXPECT_EQ(out.find("9999"), std::string::npos);
  }

  // A file whose import would stop part-way is an error.
  std::string stops = Write("[Pump01]\r\nNumber=1\r\nHose1ID=11\r\nHose1Tank=4\r\n");
  EXPECT_EQ(e2e::RunCheck({"DIFF", a, stops}).exitCode, 255);
}

TEST(CheckCommands, PlanReadsTheControllerAndWritesNothing) {
  e2e::Emulator emu(json{{"grades", {{{"id", 1}, {"number", 1}, {"name", "G95"},
                                      {"prices", {{"1", 1.5}, {"2", 1.4}}}}}},
                         {"attendants", {{{"id", 1}, {"number", 1}, {"name", "Jose"},
                                          {"password", "1111"}, {"enabled", 1}}}},
                         {"cardClients", {{{"id", 5}, {"number", 5}, {"name", "Old"}}}}});
  std::string path = Write(std::string(kStation) +
                           "[Grade01]\r\nNumber=1\r\nName=G95\r\nPrice01=1.5\r\n");
  e2e::Run run = e2e::RunCheck({"PLAN", path, emu.Server()});
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_NE(run.out.find("Attendant01  changes\n    Password  changed\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Client001  new\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Client005  in the controller only: IMPORT leaves it as it is\n"),
            std::string::npos)
      << run.out;
  // IMPORT writes no second price level, so the controller's stays.
  EXPECT_NE(run.out.find("Grade01  keeps\n    Price2  1.400 stays (IMPORT writes no such price "
                         "level)\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("1 record changes, 1 new, 1 in the controller only, 1 record keeps "
                         "price levels IMPORT does not write\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("1111"), std::string::npos);
  EXPECT_EQ(run.out.find("4711"), std::string::npos);
  for (const json& entry : emu.Journal()) {
    EXPECT_NE(entry["call"].get<std::string>().rfind("Set", 0), 0u) << entry;
  }

  EXPECT_EQ(e2e::RunCheck({"PLAN", path, e2e::NoServer()}).exitCode, 255);
}

}  // namespace
