// Logon, timeouts and lost connections, seen through the library's interface.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "emulator/protocol/Protocol.h"
#include "tests/emulator/LibTest.h"

namespace {

using libtest::Logon;
using libtest::Text;
using nlohmann::json;

TEST(LibraryConnection, NothingListeningIsRefusedAndNamesHostAndPort) {
  std::string server = e2e::NoServer();
  EXPECT_EQ(Logon(server), 2);
  EXPECT_EQ(Text(2), "Connection refused (" + server + ")");
  int32_t count = -7;
  EXPECT_EQ(GetPortsCount(&count), 5) << "a refused logon leaves the library logged off";
  EXPECT_EQ(count, -7);
}

TEST(LibraryConnection, UnknownHostNamesAreAnsweredWithoutANameServer) {
  EXPECT_EQ(Logon("controller.invalid"), 1);
  EXPECT_EQ(Text(1), "Unknown host (\"controller.invalid\")");
  EXPECT_EQ(Logon("no such host"), 1);
  EXPECT_EQ(Logon(""), 1);
  EXPECT_EQ(Logon("name_with_underscore:5123"), 1);
  // The test suites run offline: a well-formed name is not sent to a name server.
  EXPECT_EQ(Logon("srv2"), 1);
  EXPECT_EQ(Text(1), "Unknown host (\"srv2\")");
}

TEST(LibraryConnection, PortComesFromTheServerTextOrTheCallPortArgument) {
  e2e::Emulator emu;
  EXPECT_EQ(Logon("localhost:" + std::to_string(emu.Port())), 0);
  EXPECT_EQ(Logon("127.0.0.1", 5000, emu.Port()), 0);
  EXPECT_EQ(Logon("127.0.0.1", 5000, 0), 10);
  json journal = emu.Journal();
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[1]["args"],
            json::parse("[110, 5, \"127.0.0.1\", " + std::to_string(emu.Port()) +
                        ", 5124, 5000, 0, 0, 1024]"));
}

TEST(LibraryConnection, CallsBeforeLogonFailWithTheirOwnCode) {
  EXPECT_EQ(Logon(e2e::NoServer()), 2);  // whatever an earlier test left, now logged off
  int32_t count = 3;
  BSTR version = nullptr;
  EXPECT_EQ(GetPumpsCount(&count), 5);
  EXPECT_EQ(DllVersion(&version), 5);
  EXPECT_EQ(SetCardClientProperties(1, 1, nullptr, nullptr, 1), 5);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(version, nullptr);
  EXPECT_EQ(Text(5), "Not logged on (SetCardClientProperties)");
}

TEST(LibraryConnection, ReplyLaterThanTheTimeoutTimesOutAndClosesTheConnection) {
  e2e::Emulator emu(R"({"ports": [{"id": 1}],
                        "faults": [{"call": "GetPortsCount", "delayMs": 3000}]})");
  ASSERT_EQ(Logon(emu.Server(), 150), 0);
  int32_t count = -1;
  EXPECT_EQ(GetPortsCount(&count), 3);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(Text(3), "Timed out (" + emu.Server() + ", no reply within 150 ms)");
  int32_t id = -1;
  EXPECT_EQ(GetPortByOrdinal(1, &id), 4) << "a late reply must not be read as the next one";
  EXPECT_EQ(Text(4), "Connection to the controller server lost (" + emu.Server() + ")");

  ASSERT_EQ(Logon(emu.Server(), 5000), 0);
  EXPECT_EQ(GetPortByOrdinal(1, &id), 0);
  EXPECT_EQ(id, 1);
}

TEST(LibraryConnection, DelayShorterThanTheTimeoutIsServedNormally) {
  e2e::Emulator emu(R"({"ports": [{"id": 1}],
                        "faults": [{"call": "GetPortsCount", "delayMs": 50}]})");
  ASSERT_EQ(Logon(emu.Server(), 5000), 0);
  int32_t count = -1;
  EXPECT_EQ(GetPortsCount(&count), 0);
  EXPECT_EQ(count, 1);
}

TEST(LibraryConnection, LogonReplyLaterThanTheTimeoutTimesOut) {
  e2e::Emulator emu(R"({"faults": [{"call": "ClientLogonEx", "delayMs": 3000}]})");
  EXPECT_EQ(Logon(emu.Server(), 150), 3);
  int32_t count = 0;
  EXPECT_EQ(GetPortsCount(&count), 5);
}

TEST(LibraryConnection, ConnectionDroppedInTheMiddleIsLostUntilTheNextLogon) {
  e2e::Emulator emu(R"({"tanks": [{"id": 1, "number": 1}, {"id": 2, "number": 2}],
                        "faults": [{"call": "GetTankByOrdinal", "args": [2], "drop": true}]})");
  ASSERT_EQ(Logon(emu.Server()), 0);
  int32_t id = -1;
  EXPECT_EQ(GetTankByOrdinal(1, &id), 0);
  EXPECT_EQ(id, 1);
  id = -1;
  EXPECT_EQ(GetTankByOrdinal(2, &id), 4);
  EXPECT_EQ(id, -1);
  int32_t count = -1;
  EXPECT_EQ(GetTanksCount(&count), 4);
  ASSERT_EQ(Logon(emu.Server()), 0);
  EXPECT_EQ(GetTanksCount(&count), 0);
  EXPECT_EQ(count, 2);
}

TEST(LibraryConnection, KilledServerIsALostConnection) {
  e2e::Emulator emu(R"({"grades": [{"id": 1}]})");
  ASSERT_EQ(Logon(emu.Server()), 0);
  emu.Kill();
  int32_t count = -1;
  EXPECT_EQ(GetGradesCount(&count), 4);
  EXPECT_EQ(SetGradePrice(1, 1, 1.5), 4);
}

TEST(LibraryConnection, NewLogonReplacesTheOldConnection) {
  e2e::Emulator first(R"({"pumps": [{"id": 1}]})");
  e2e::Emulator second(R"({"pumps": [{"id": 1}, {"id": 2}]})");
  ASSERT_EQ(Logon(first.Server()), 0);
  ASSERT_EQ(Logon(second.Server()), 0);
  int32_t count = 0;
  EXPECT_EQ(GetPumpsCount(&count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(first.Journal().size(), 1u);
  EXPECT_EQ(second.Journal().size(), 2u);
}

TEST(LibraryConnection, LogonRefusedByTheServerLeavesTheLibraryLoggedOff) {
  e2e::Emulator emu(R"({"faults": [{"call": "ClientLogonEx", "code": 9, "times": 1}]})");
  EXPECT_EQ(Logon(emu.Server()), 9);
  EXPECT_EQ(Text(9), "Controller server error (injected fault in ClientLogonEx)");
  int32_t count = 0;
  EXPECT_EQ(GetPortsCount(&count), 5);
  EXPECT_EQ(Logon(emu.Server()), 0) << "the fault fires once";
}

TEST(LibraryConnection, ReplyNestedAMillionDeepIsUnreadable) {
  // A server of our own that answers the logon with a deeply nested value.
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  timeval tv{30, 0};  // a test that goes wrong fails rather than hangs
  setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::thread server([listener] {
    int s = accept(listener, nullptr, nullptr);
    timeval wait{30, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char request[4096];
    recv(s, request, sizeof request, 0);
    const size_t depth = 1000000;
    std::string frame = tarvo_wire::Frame(R"({"code": 0, "out": {"version": )" +
                                          std::string(depth, '[') + std::string(depth, ']') + "}}");
    send(s, frame.data(), frame.size(), MSG_NOSIGNAL);
    char rest[16];
    recv(s, rest, sizeof rest, 0);  // until the library lets go
    close(s);
  });
  std::string where = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  EXPECT_EQ(Logon(where), 11);
  EXPECT_EQ(Text(11), "Unexpected reply from the controller server (" + where + ", unreadable reply)");
  server.join();
  close(listener);
}

}  // namespace
