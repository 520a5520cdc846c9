// The harness itself: processes, timeouts, the emulator's life and inspection.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "client/TarvoClient.h"
#include "tests/support/E2E.h"

namespace {

BSTR Lib(const std::string& s) {
  std::u16string u(s.begin(), s.end());
  return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(u.data()), static_cast<uint32_t>(u.size()));
}

int32_t Logon(const std::string& server) {
  BSTR text = Lib(server);
  int32_t rc = ClientLogonEx(110, 5, text, 5123, 5124, 2000, 0, 0, 1024);
  SysFreeString(text);
  return rc;
}

TEST(E2EHarness, CommandOutputsExitCodeAndFolder) {
  std::string dir = e2e::TempDir();
  e2e::Run run = e2e::RunCommand({"/bin/sh", "-c", "echo out; echo err >&2; pwd; exit 255"}, dir);
  EXPECT_EQ(run.exitCode, 255);
  EXPECT_EQ(run.out, "out\n" + dir + "\n");
  EXPECT_EQ(run.err, "err\n");
}

TEST(E2EHarness, HangingCommandIsKilledAndFailsTheTest) {
  e2e::Run run{0, "", ""};
  EXPECT_NONFATAL_FAILURE(run = e2e::RunCommand({"/bin/sleep", "30"}, "", 200), "was killed");
  EXPECT_EQ(run.exitCode, 128 + 9);
}

TEST(E2EHarness, ProgramPathAndLauncherComeFromTheEnvironment) {
  setenv("TARVO_EXTRACT", "-c", 1);
  setenv("TARVO_LAUNCHER", "/bin/sh", 1);
  e2e::Run run = e2e::RunTarvo({"printf 'launched\\r\\nCR\\r'; exit 7"});
  unsetenv("TARVO_EXTRACT");
  unsetenv("TARVO_LAUNCHER");
  EXPECT_EQ(run.exitCode, 7);
  EXPECT_EQ(run.out, "launched\nCR\r") << "text-mode line ends of a launched program read as LF";
}

TEST(E2EHarness, FilesRoundTripBytes) {
  std::string path = e2e::TempDir() + "/a.ini";
  std::string bytes("[A]\r\nName=Caf\xE9\r\n\0x", 17);
  e2e::WriteFile(path, bytes);
  EXPECT_EQ(e2e::ReadFile(path), bytes);
  EXPECT_NE(e2e::TempDir(), e2e::TempDir());
}

TEST(E2EHarness, EmulatorServesItsFixtureAndJournalsCalls) {
  e2e::Emulator emu(R"({"versions": {"dll": "1.0"},
                        "cardClients": [{"id": 3, "number": 1, "name": "Fleet"}]})");
  ASSERT_NE(emu.Port(), 0);
  EXPECT_EQ(emu.Server(), "127.0.0.1:" + std::to_string(emu.Port()));
  nlohmann::json state = emu.State();
  EXPECT_EQ(state["cardClients"][0]["name"], "Fleet");
  EXPECT_EQ(state["versions"]["dll"], "1.0");

  ASSERT_EQ(Logon(emu.Server()), 0);
  int32_t count = -1;
  EXPECT_EQ(GetCardClientsCount(&count), 0);
  EXPECT_EQ(count, 1);
  nlohmann::json journal = emu.Journal();
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0]["call"], "ClientLogonEx");
  EXPECT_EQ(journal[0]["args"][2], emu.Server());
  EXPECT_EQ(journal[1], nlohmann::json::parse(R"({"call": "GetCardClientsCount", "args": []})"));
  emu.ClearJournal();
  EXPECT_TRUE(emu.Journal().empty());
}

TEST(E2EHarness, StateAndJournalSurviveAKilledEmulator) {
  e2e::Emulator emu(R"({"grades": [{"id": 2, "number": 2, "name": "Diesel"}]})");
  ASSERT_EQ(Logon(emu.Server()), 0);
  int32_t count = 0;
  ASSERT_EQ(GetGradesCount(&count), 0);
  emu.Kill();
  EXPECT_NE(GetGradesCount(&count), 0);
  EXPECT_EQ(emu.State()["grades"][0]["name"], "Diesel");
  EXPECT_EQ(emu.Journal().back()["call"], "GetGradesCount");
}

TEST(E2EHarness, LoadReplacesTheState) {
  e2e::Emulator emu;
  emu.Load(nlohmann::json::parse(R"({"tanks": [{"id": 4, "number": 1}]})"));
  EXPECT_EQ(emu.State()["tanks"][0]["id"], 4);
}

TEST(E2EHarness, RefusedFixtureFailsTheTestWithTheEmulatorsMessage) {
  EXPECT_NONFATAL_FAILURE(e2e::Emulator emu(R"({"ports": [{"id": 1, "nmae": "x"}]})"),
                          "ports[0].nmae: unknown key");
}

TEST(E2EHarness, NoServerNamesAPortWhereNothingListens) {
  EXPECT_EQ(Logon(e2e::NoServer()), 2);
}

}  // namespace
