// The checked import's stop and its answers: a refused call named in text
// and JSON with what the way back can be foreseen to do, the answer read as
// a whole line, a controller that closed the connection while the question
// waited, and an interrupt during the import.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "check/guarded/CheckedImport.h"
#include "platform/Interrupts.h"
#include "tests/support/E2E.h"

extern char** environ;

namespace {

using nlohmann::json;

json Station(const json& faults) {
  json fixture =
      json::parse(e2e::ReadFile(TARVO_SOURCE_DIR "/examples/sample-station.json"));
  fixture["faults"] = faults;
  return fixture;
}

// The sample file with one price changed, so that the import has work.
std::string SiteFile() {
  const std::string dir = e2e::TempDir();
  std::string bytes = e2e::ReadFile(TARVO_SOURCE_DIR "/tests/golden/sample-station.ini");
  bytes.replace(bytes.find("Price01=1.589"), 13, "Price01=1.599");
  e2e::WriteFile(dir + "/site.ini", bytes);
  return dir + "/site.ini";
}

size_t Writes(const json& journal) {
  size_t n = 0;
  for (const json& entry : journal) n += entry["call"].get<std::string>().rfind("Set", 0) == 0;
  return n;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CheckedImportStop, AnswersAndQuoting) {
  struct Case {
    std::string typed;
    bool yes;
  };
  const Case cases[] = {{"y\n", true},
                        {"  YeS \r\n", true},
                        {"y" + std::string(300, ' ') + "\n", true},
                        {"y" + std::string(300, ' ') + "no\n", false},
                        {std::string("y\0no\n", 5), false},
                        {std::string("y\0\n", 3), false},
                        {"y", false},
                        {"", false},
                        {"yess\n", false},
                        {"n\n", false}};
  for (const Case& c : cases) {
    std::FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    std::fwrite(c.typed.data(), 1, c.typed.size(), in);
    std::rewind(in);
    EXPECT_EQ(ReadsYes(in), c.yes) << "\"" << c.typed << "\"";
    std::fclose(in);
  }
  EXPECT_EQ(platform::QuotedForConsole("/tmp/site.before-20261207T143000+0100.ini"),
            "/tmp/site.before-20261207T143000+0100.ini");
  EXPECT_EQ(platform::QuotedForConsole("/tmp/a b/it's $HOME.ini"),
            "'/tmp/a b/it'\\''s $HOME.ini'");
}

// A refused pump that the controller held as the file says: the stop names
// the record, the call and the reason, the EXPORT after still runs, and the
// way back is said to be likely to stop there too.
TEST(CheckedImportStop, RefusedCallNamedInTextAndJson) {
  e2e::Emulator emu(Station({{{"call", "SetPumpPropertiesEx"}, {"args", {5}}, {"code", 7}}}));
  const std::string path = SiteFile();
  const e2e::Run run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES", "/JSON"});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  const std::string reason = "Invalid value (injected fault in SetPumpPropertiesEx)";
  EXPECT_TRUE(Has(run.err, "It stopped at Pump05: the controller refused "
                           "SetPumpPropertiesEx - " + reason + ".\n"))
      << run.err;
  EXPECT_TRUE(Has(run.err, "\nTo go back: TarvoCheck IMPORT ")) << run.err;
  EXPECT_TRUE(Has(run.err, "The way back may stop at Pump05 too")) << run.err;
  const json doc = json::parse(run.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << run.out;
  const json& import = doc["steps"][4];
  EXPECT_EQ(import["step"], "import");
  EXPECT_EQ(import["outcome"], "failed");
  EXPECT_EQ(import["record"], "Pump05");
  EXPECT_EQ(import["call"], "SetPumpPropertiesEx");
  EXPECT_EQ(import["reason"], reason);
  EXPECT_TRUE(doc["after"]["file"].is_string()) << doc.dump(2);
  EXPECT_EQ(doc["steps"][5]["step"], "verify");
}

bool Launched() { return std::getenv("TARVO_LAUNCHER") != nullptr; }

// The connection dropped before the first write after the answer: nothing
// is written and the run could not be made (-1), never "partly written".
TEST(CheckedImportStop, ConnectionClosedWhileTheQuestionWaited) {
  if (Launched()) GTEST_SKIP() << "needs a terminal";
  e2e::Emulator emu(Station({{{"call", "GetPortsCount"}, {"nth", 2}, {"drop", true}}}));
  const std::string path = SiteFile();
  const e2e::Run run =
      e2e::RunCheckOnTerminal({"IMPORT", path, emu.Server()}, "yes", "", true);
  EXPECT_EQ(run.exitCode, 255) << run.out;
  EXPECT_TRUE(Has(run.out, "The controller closed the connection while the question waited: "
                           "nothing written; run again.\n"))
      << run.out;
  EXPECT_FALSE(Has(run.out, "partly written")) << run.out;
  EXPECT_EQ(Writes(emu.Journal()), 0u);
}

// SIGINT while the import waits on a slow write: the import ends at the next
// call, with the way back and exit 3.
TEST(CheckedImportStop, InterruptDuringTheImport) {
  if (Launched()) GTEST_SKIP() << "POSIX signals";
  e2e::Emulator emu(
      Station({{{"call", "SetPumpPropertiesEx"}, {"args", {2}}, {"delayMs", 1500}}}));
  const std::string path = SiteFile();
  const std::string out = path + ".out";
  const std::string check = e2e::CheckPath();
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&files, 1, 2);
  const std::string server = emu.Server();
  char* argv[] = {const_cast<char*>(check.c_str()), const_cast<char*>("IMPORT"),
                  const_cast<char*>(path.c_str()), const_cast<char*>(server.c_str()),
                  const_cast<char*>("/YES"), nullptr};
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, check.c_str(), &files, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&files);
  // Until the slow write has been received.
  bool slow = false;
  for (int i = 0; i < 300 && !slow; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (const json& e : emu.Journal()) {
      slow = slow || (e["call"] == "SetPumpPropertiesEx" && e["args"][0] == 2);
    }
  }
  ASSERT_TRUE(slow);
  kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  const std::string text = e2e::ReadFile(out);
  ASSERT_TRUE(WIFEXITED(status)) << text;
  EXPECT_EQ(WEXITSTATUS(status), 3) << text;
  EXPECT_TRUE(Has(text, "Interrupted: the import ended between two calls")) << text;
  EXPECT_TRUE(Has(text, "\nTo go back: TarvoCheck IMPORT ")) << text;
  // Nothing reached the controller after the slow write.
  const json journal = emu.Journal();
  EXPECT_EQ(journal.back()["call"], "SetPumpPropertiesEx") << journal.dump();
  EXPECT_EQ(journal.back()["args"][0], 2);
}

}  // namespace
