// The emulator as a program: its arguments, its database, its fixtures.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/emulator/LibTest.h"

namespace {

using libtest::In;
using libtest::Logon;
using nlohmann::json;

e2e::Run Emulator(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {e2e::EmulatorPath()};
  argv.insert(argv.end(), args.begin(), args.end());
  return e2e::RunCommand(argv, "", 30000);
}

TEST(EmulatorProcess, BadArgumentsAndFixturesAreRefusedWithAMessage) {
  std::string dir = e2e::TempDir();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  e2e::WriteFile(dir + "/broken.json", "{\"ports\": [");
  e2e::WriteFile(dir + "/twice.json", R"({"tanks": [{"id": 1}, {"id": 1}]})");
  e2e::WriteFile(dir + "/type.json", R"({"ports": [{"id": 1, "name": 5}]})");
  e2e::WriteFile(dir + "/level.json", R"({"grades": [{"id": 1, "prices": {"9": 1.0}}]})");
  const Case cases[] = {
      {{}, "--db is required"},
      {{"--db", dir + "/a.db", "--port", "70000"}, "--port needs a number"},
      {{"--db", dir + "/a.db", "--bogus"}, "unknown argument --bogus"},
      {{"--db", dir + "/a.db", "--seed", dir + "/missing.json"}, "cannot read"},
      {{"--db", dir + "/a.db", "--seed", dir + "/broken.json"}, "not valid JSON"},
      {{"--db", dir + "/a.db", "--seed", dir + "/twice.json"}, "tanks[1].id: identifier 1 given twice"},
      {{"--db", dir + "/a.db", "--seed", dir + "/type.json"}, "ports[0].name: expected a text"},
      {{"--db", dir + "/a.db", "--seed", dir + "/level.json"}, "grades[0].prices.9"},
      {{"--db", dir + "/a.db", "--listen", "not-an-address"}, "not an IP address"},
  };
  for (const Case& c : cases) {
    e2e::Run run = Emulator(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

TEST(EmulatorProcess, DatabaseKeepsWhatWasWrittenAcrossRestarts) {
  std::string db;
  {
    e2e::Emulator emu(R"({"grades": [{"id": 1}]})");
    db = emu.Database();
    ASSERT_EQ(Logon(emu.Server()), 0);
    ASSERT_EQ(SetTankProperties(3, 1, In(u"T3"), 1, 0, 10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  }
  e2e::Run run = Emulator({"--db", db, "--dump-state"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  json state = json::parse(run.out);
  ASSERT_EQ(state["tanks"].size(), 1u);
  EXPECT_EQ(state["tanks"][0]["name"], "T3");
  run = Emulator({"--db", db, "--dump-journal"});
  EXPECT_EQ(json::parse(run.out).back()["call"], "SetTankProperties");
}

TEST(EmulatorProcess, SampleStationDumpSeedsAnIdenticalController) {
  std::string sample = e2e::ReadFile(std::string(TARVO_SOURCE_DIR) + "/examples/sample-station.json");
  e2e::Emulator first(sample);
  json state = first.State();
  EXPECT_EQ(state["ports"].size(), 7u);
  EXPECT_EQ(state["grades"].size(), 4u);
  EXPECT_EQ(state["tanks"].size(), 4u);
  EXPECT_EQ(state["zigbee"].size(), 3u);
  EXPECT_EQ(state["pumps"].size(), 8u);
  EXPECT_EQ(state["attendants"].size(), 10u);
  EXPECT_EQ(state["cardClients"].size(), 20u);
  e2e::Emulator second(state);
  EXPECT_EQ(second.State(), state);
}

TEST(EmulatorProcess, ADelayedReplyDoesNotHoldUpOtherConnections) {
  e2e::Emulator emu(R"({"faults": [{"call": "GetPortsCount", "delayMs": 2000}]})");
  ASSERT_EQ(Logon(emu.Server()), 0);
  std::atomic<bool> answered{false};
  std::thread slow([&] {
    int32_t count = -1;
    EXPECT_EQ(GetPortsCount(&count), 0);
    answered = true;
  });
  // The journal shows the slow call once the server has it; the inspection
  // runs on a second connection meanwhile.
  json journal;
  for (int i = 0; i < 200 && (journal = emu.Journal()).size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(answered);
  slow.join();
  EXPECT_EQ(journal.back()["call"], "GetPortsCount");
}

}  // namespace
