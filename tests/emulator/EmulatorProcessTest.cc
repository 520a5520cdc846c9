// The emulator as a program: its arguments, its database, its fixtures.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "emulator/protocol/Protocol.h"
#include "tests/emulator/LibTest.h"

namespace {

using libtest::In;
using libtest::Logon;
using nlohmann::json;

// A connection of our own to the emulator, for what the library never sends.
class Peer {
 public:
  explicit Peer(int port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval tv{30, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    EXPECT_EQ(connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }
  ~Peer() { close(fd_); }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  void Send(const std::string& bytes) {
    EXPECT_EQ(send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
  }
  // The next reply; null once the emulator has closed the connection.
  json Reply() {
    unsigned char head[4];
    if (!Read(reinterpret_cast<char*>(head), 4)) return nullptr;
    std::string body(tarvo_wire::GetLength(head), '\0');
    if (!Read(&body[0], body.size())) return nullptr;
    return json::parse(body, nullptr, false);
  }

 private:
  bool Read(char* into, size_t count) {
    for (size_t got = 0; got < count;) {
      ssize_t n = recv(fd_, into + got, count - got, 0);
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return true;
  }

  int fd_;
};

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
  e2e::WriteFile(dir + "/deep.json",
                 R"({"versions": )" + std::string(100000, '[') + std::string(100000, ']') + "}");
  const Case cases[] = {
      {{}, "--db is required"},
      {{"--db", dir + "/a.db", "--port", "70000"}, "--port needs a number"},
      {{"--db", dir + "/a.db", "--bogus"}, "unknown argument --bogus"},
      {{"--db", dir + "/a.db", "--seed", dir + "/missing.json"}, "cannot read"},
      {{"--db", dir + "/a.db", "--seed", dir + "/broken.json"}, "not valid JSON"},
      {{"--db", dir + "/a.db", "--seed", dir + "/twice.json"}, "tanks[1].id: identifier 1 given twice"},
      {{"--db", dir + "/a.db", "--seed", dir + "/type.json"}, "ports[0].name: expected a text"},
      {{"--db", dir + "/a.db", "--seed", dir + "/level.json"}, "grades[0].prices.9"},
      {{"--db", dir + "/a.db", "--seed", dir + "/deep.json"}, "deep.json: nested too deeply"},
      {{"--db", dir + "/a.db", "--listen", "not-an-address"}, "not an IP address"},
      {{"--db", dir + "/a.db", "--idle-timeout", "soon"}, "--idle-timeout needs a number"},
      // Warned before it tries (an address of no machine, so it cannot listen).
      {{"--db", dir + "/a.db", "--listen", "192.0.2.1", "--port", "0"},
       "warning: 192.0.2.1 is not a loopback address"},
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

TEST(EmulatorProcess, MalformedRequestsGetAnErrorReplyAndTheEmulatorGoesOn) {
  e2e::Emulator emu(R"({"ports": [{"id": 3}],
                        "faults": [{"call": "GetPortProperties", "args": [3], "code": 6}]})");
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string requests[] = {
      R"({"call": "$load", "args": "x"})",
      R"({"call": "$load", "args": {"a": 1}})",
      R"({"call": "GetPortProperties", "args": "x"})",  // while a fault is loaded
      R"({"call": "GetPortProperties", "args": {"a": 3}})",
      R"({"call": "GetPortsCount", "args": )" + deep + "}",
      R"({"call": "$load", "args": [{"versions": )" + deep + "}]}",
      R"({"call": )",
      "",
  };
  Peer peer(emu.Port());
  for (const std::string& request : requests) {
    peer.Send(tarvo_wire::Frame(request));
    json reply = peer.Reply();
    ASSERT_TRUE(reply.is_object()) << "no reply to " << request.substr(0, 60);
    EXPECT_EQ(reply["code"], 9) << request.substr(0, 60);
  }
  peer.Send(tarvo_wire::Frame(R"({"call": "GetPortsCount", "args": []})"));
  EXPECT_EQ(peer.Reply()["out"]["count"], 1);
  EXPECT_EQ(emu.State()["ports"].size(), 1u);
}

TEST(EmulatorProcess, AnnouncedFramesAreNotAllocatedBeforeTheyArrive) {
  e2e::Emulator emu;
  std::vector<std::unique_ptr<Peer>> peers;
  unsigned char head[4];
  tarvo_wire::PutLength(tarvo_wire::kMaxFrame, head);
  for (int i = 0; i < 8; ++i) {
    peers.push_back(std::make_unique<Peer>(emu.Port()));
    peers.back()->Send(std::string(reinterpret_cast<char*>(head), 4) + "{\"call\"");
  }
  emu.Journal();  // the emulator has read what came before
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::string status = e2e::ReadFile("/proc/" + std::to_string(emu.Pid()) + "/status");
  size_t at = status.find("VmRSS:");
  ASSERT_NE(at, std::string::npos);
  long kib = std::stol(status.substr(at + 6));
  EXPECT_LT(kib, 64 * 1024) << "less than one announced frame for all eight";
}

TEST(EmulatorProcess, IdleConnectionsAreClosedSoThatAFullEmulatorServesAgain) {
  e2e::Emulator emu("{}", {"--idle-timeout", "1"});
  // One request served first: the undefined-behaviour sanitizer checks a
  // type the first time it meets it through a pipe, which it cannot open once
  // the descriptors are gone, and then reports a fault that is not there.
  ASSERT_TRUE(emu.Journal().is_array());
  {
    Peer idle(emu.Port());
    EXPECT_TRUE(idle.Reply().is_null()) << "closed after a second of silence";
  }
  // Out of descriptors: a few more than it holds now, and more idle
  // connections than that. It must neither spin nor stop serving.
  std::string fds = "/proc/" + std::to_string(emu.Pid()) + "/fd";
  auto held = std::distance(std::filesystem::directory_iterator(fds),
                            std::filesystem::directory_iterator());
  rlimit limit{};
  ASSERT_EQ(prlimit(emu.Pid(), RLIMIT_NOFILE, nullptr, &limit), 0);
  limit.rlim_cur = static_cast<rlim_t>(held + 3);
  ASSERT_EQ(prlimit(emu.Pid(), RLIMIT_NOFILE, &limit, nullptr), 0);
  std::vector<std::unique_ptr<Peer>> peers;
  for (int i = 0; i < 8; ++i) peers.push_back(std::make_unique<Peer>(emu.Port()));
  EXPECT_TRUE(emu.Journal().is_array());
}

}  // namespace
