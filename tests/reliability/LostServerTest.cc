// Servers that are not there, fall silent or die in the middle of a run: a
// failure line, -1, never a hang, and a configuration file whose every line
// is whole.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"
#include "tests/support/E2E.h"

namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What the program printed after its connecting line.
std::string AfterConnecting(const std::string& out) {
  const size_t at = out.find("Connecting to ");
  if (at == std::string::npos) return out;
  return out.substr(out.find('\n', at) + 1);
}

// Every line ends with CR LF, and nothing follows the last one.
bool AllLinesWhole(const std::string& bytes) {
  if (bytes.empty()) return true;
  if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) return false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  }
  return true;
}

// Waits until the emulator has received a call of that name (at most 10 s).
void AwaitCall(e2e::Emulator& emulator, const std::string& call) {
  const auto until = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < until) {
    for (const json& entry : emulator.Journal()) {
      if (entry.at("call") == call) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ADD_FAILURE() << "no " << call << " call";
}

// A port on 127.0.0.1 whose connections the kernel completes but nobody ever
// answers: a host that has hung.
class SilentServer {
 public:
  SilentServer() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(listen(fd_, 8), 0);
    EXPECT_EQ(getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length), 0);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { close(fd_); }
  std::string Server() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(LostServer, NothingListeningFailsTheLogonAtOnce) {
  const std::string dir = e2e::TempDir();
  e2e::WriteFile(dir + "/in.ini", "[Port01]\r\nNumber=1\r\n");
  for (const char* command : {"EXPORT", "IMPORT", "VERSION"}) {
    SCOPED_TRACE(command);
    const std::string path = dir + (command[0] == 'I' ? "/in.ini" : "/out.ini");
    const auto start = Clock::now();
    const e2e::Run run = e2e::RunTarvo({command, path, e2e::NoServer()});
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_EQ(run.exitCode, 255);
    const std::string failure = AfterConnecting(run.out);
    EXPECT_EQ(failure.rfind("Logon failed - Connection refused", 0), 0u) << failure;
    EXPECT_EQ(failure.find('\n'), failure.size() - 1) << failure;
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/out.ini"));
  EXPECT_EQ(e2e::ReadFile(dir + "/in.ini"), "[Port01]\r\nNumber=1\r\n");
}

// Both waits run side by side: the logon to a hung host, and a reply that
// comes later than the library waits for. Each ends after the library's
// timeout of 10 seconds, with a failure line and -1.
TEST(LostServer, SilentHostAndLateReplyEndWithinTheTimeout) {
  SilentServer silent;
  e2e::Emulator late(R"json({
    "ports": [{"id": 1, "number": 1, "name": "COM1", "details": ["", "", "F1"]}],
    "grades": [{"id": 1, "number": 1, "name": "U95"}],
    "faults": [{"call": "GetGradesCount", "delayMs": 13000}]
  })json");
  const std::string dir = e2e::TempDir();
  e2e::Run hung, slow;
  double hungSeconds = 0, slowSeconds = 0;
  std::thread hungRun([&] {
    const auto start = Clock::now();
    hung = e2e::RunTarvo({"EXPORT", dir + "/hung.ini", silent.Server()});
    hungSeconds = SecondsSince(start);
  });
  const auto start = Clock::now();
  slow = e2e::RunTarvo({"EXPORT", dir + "/slow.ini", late.Server()});
  slowSeconds = SecondsSince(start);
  hungRun.join();

  EXPECT_EQ(hung.exitCode, 255);
  EXPECT_EQ(AfterConnecting(hung.out).rfind("Logon failed - Timed out", 0), 0u) << hung.out;
  EXPECT_GE(hungSeconds, 9.5);
  EXPECT_LT(hungSeconds, 12.5);
  EXPECT_FALSE(std::filesystem::exists(dir + "/hung.ini"));

  EXPECT_EQ(slow.exitCode, 255);
  EXPECT_EQ(AfterConnecting(slow.out).rfind("  1 ports exported successfully.\n"
                                            "GetGradesCount failed - Timed out", 0),
            0u)
      << slow.out;
  EXPECT_LT(slowSeconds, 12.5);
  const std::string file = e2e::ReadFile(dir + "/slow.ini");
  EXPECT_TRUE(AllLinesWhole(file));
  EXPECT_NE(file.find("[Port01]\r\n"), std::string::npos);
  EXPECT_EQ(file.find("[Grade01]"), std::string::npos);
}

std::string SampleStation() {
  return e2e::ReadFile(std::string(TARVO_SOURCE_DIR) + "/examples/sample-station.json");
}

TEST(LostServer, EmulatorKilledDuringAnExportLeavesEarlierContentWhole) {
  json fixture = json::parse(SampleStation());
  fixture["faults"] = json::array({{{"call", "GetPumpsCount"}, {"delayMs", 5000}}});
  e2e::Emulator emulator(fixture);
  const std::string path = e2e::TempDir() + "/site.ini";
  const std::string before =
      "[Notes]\r\nWho=kept by hand\r\n\r\n[Pump01]\r\nNumber=1\r\nName=Old pump\r\n";
  e2e::WriteFile(path, before);

  std::thread killer([&] {
    AwaitCall(emulator, "GetPumpsCount");
    emulator.Kill();
  });
  const e2e::Run run = e2e::RunTarvo({"EXPORT", path, emulator.Server()});
  killer.join();

  EXPECT_EQ(run.exitCode, 255);
  const std::string out = AfterConnecting(run.out);
  EXPECT_NE(out.find("ZigBee devices exported successfully.\n"
                     "GetPumpsCount failed. - Connection to the controller server lost"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("All done"), std::string::npos);
  const std::string file = e2e::ReadFile(path);
  EXPECT_TRUE(AllLinesWhole(file));
  // The earlier content, untouched, then the tables read before the loss.
  EXPECT_EQ(file.rfind(before, 0), 0u) << file.substr(0, 200);
  for (const char* section : {"[Application]", "[Port01]", "[Grade01]", "[Tank01]"}) {
    EXPECT_NE(file.find(section), std::string::npos) << section;
  }
  EXPECT_EQ(file.find("[Attendant01]"), std::string::npos);
}

TEST(LostServer, EmulatorKilledDuringAnImportKeepsWhatWasWritten) {
  e2e::Emulator source(json::parse(SampleStation()));
  const std::string path = e2e::TempDir() + "/site.ini";
  ASSERT_EQ(e2e::RunTarvo({"EXPORT", path, source.Server()}).exitCode, 0);
  const std::string exported = e2e::ReadFile(path);

  e2e::Emulator target(R"({"faults": [{"call": "SetPumpPropertiesEx", "delayMs": 5000}]})");
  std::thread killer([&] {
    AwaitCall(target, "SetPumpPropertiesEx");
    target.Kill();
  });
  const e2e::Run run = e2e::RunTarvo({"IMPORT", path, target.Server()});
  killer.join();

  EXPECT_EQ(run.exitCode, 255);
  const std::string out = AfterConnecting(run.out);
  EXPECT_NE(out.find("SetPumpPropertiesEx failed. - Connection to the controller server lost"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.find("All done"), std::string::npos);
  // No rollback: the records written before the loss stay in the controller.
  const json state = target.State();
  EXPECT_FALSE(state.value("ports", json::array()).empty());
  EXPECT_FALSE(state.value("tanks", json::array()).empty());
  EXPECT_TRUE(state.value("attendants", json::array()).empty());
  EXPECT_EQ(e2e::ReadFile(path), exported);
}

}  // namespace
