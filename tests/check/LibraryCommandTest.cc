// TarvoCheck LIBRARY as a site runs it: the library the programs use (the
// linked one here; the DLL next to the program under wine), its DllVersion
// and, with a server, the logon and ServerVersion.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/E2E.h"

namespace {

TEST(LibraryCommand, ShowsTheLibraryAndLogsOnWhenGivenAServer) {
  e2e::Run run = e2e::RunCheck({"library"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  const size_t path = run.out.find("Client library: ");
  ASSERT_EQ(path, 0u) << run.out;
  const std::string file = run.out.substr(16, run.out.find('\n') - 16);
  EXPECT_TRUE(file.find("TarvoClient.dll") == file.size() - 15 ||
              file.find("libTarvoClient.so") == file.size() - 17)
      << file;
  // No library call before a logon: DllVersion waits for a server.
  EXPECT_NE(run.out.find("\nDllVersion:     needs a server"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("(missing)"), std::string::npos) << run.out;

  e2e::Emulator emu;
  run = e2e::RunCheck({"LIBRARY", emu.Server()});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("\nLogon:          " + emu.Server() + " done\nDllVersion:     "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nServerVersion:  "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("failed"), std::string::npos) << run.out;
  // The stand-in names itself once logged on (and by its version resource on
  // Windows), when the emulator plays no maker's version.
  EXPECT_NE(run.out.find("\nStand-in:       the project's stand-in"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nLogon:          " + emu.Server() + " done\n"), std::string::npos)
      << run.out;
  // /JSON tells the same as one document of the common shape.
  run = e2e::RunCheck({"LIBRARY", emu.Server(), "/json"});
  e2e::KeepJson(run.out);
  nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << run.out;
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(doc["exitCode"], 0);
  EXPECT_EQ(doc["library"]["logon"], true) << run.out;
  EXPECT_EQ(doc["library"]["standIn"], true) << run.out;
  EXPECT_TRUE(doc["library"]["serverVersion"]["version"].is_string()) << run.out;

  const std::string noServer = e2e::NoServer();
  run = e2e::RunCheck({"LIBRARY", noServer});
  EXPECT_EQ(run.exitCode, 255) << run.out;
  EXPECT_NE(run.out.find("\nLogon to " + noServer + " failed - "), std::string::npos) << run.out;
  run = e2e::RunCheck({"LIBRARY", noServer, "/JSON"});
  e2e::KeepJson(run.out);
  EXPECT_EQ(run.exitCode, 255) << run.out;
  doc = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << run.out;
  EXPECT_EQ(doc["error"].get<std::string>().rfind("Logon to " + noServer + " failed - ", 0), 0u);
  EXPECT_EQ(doc["library"]["logon"], false);
  EXPECT_EQ(e2e::RunCheck({"LIBRARY", "a", "b"}).exitCode, 255);
}

}  // namespace
