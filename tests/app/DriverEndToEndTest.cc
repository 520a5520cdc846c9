// The driver run as a user runs it: the real program, a real emulator.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/E2E.h"

namespace {

const std::string kUsage1 =
    "TarvoExtract IMPORT | EXPORT | VERSION <destination INI file name> "
    "[<server name>|<server IP>] [/PAM | /Company] \n";
const std::string kUsage2 =
    "TarvoExtract IMPORT | EXPORT <destination INI file name> "
    "[<server name>|<server IP>] [/PAM | /Company] \n";
const std::string kBannerStart = "TarvoExtract 22.02 ";

std::vector<std::string> Calls(const nlohmann::json& journal) {
  std::vector<std::string> calls;
  for (const auto& entry : journal) calls.push_back(entry["call"].get<std::string>());
  return calls;
}

// The lines after the banner's empty line.
std::string AfterBanner(const std::string& out) {
  const size_t end = out.find("\n\n");
  return end == std::string::npos ? out : out.substr(end + 2);
}

TEST(DriverEndToEnd, UsageTextsExitWithMinusOneAndNeverConnect) {
  e2e::Emulator emu;
  const std::string dir = e2e::TempDir();
  const struct {
    std::vector<std::string> args;
    const std::string& text;
  } cases[] = {
      {{}, kUsage1},
      {{"EXPORT"}, kUsage1},
      {{emu.Server()}, kUsage1},
      {{"EXPORT", "/GSC"}, kUsage2},
      {{"version", "/ipt", "IMPORT", "/company"}, kUsage2},
      {{"EXPORT", ""}, kUsage2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const e2e::Run run = e2e::RunTarvo(c.args, dir);
    EXPECT_EQ(255, run.exitCode);
    EXPECT_EQ(c.text, run.out);
  }
  EXPECT_TRUE(emu.Journal().empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

TEST(DriverEndToEnd, RefusedLogonWhenNothingListens) {
  const std::string dir = e2e::TempDir();
  const std::string server = e2e::NoServer();
  const e2e::Run run = e2e::RunTarvo({"EXPORT", dir + "/a.ini", server});
  EXPECT_EQ(255, run.exitCode);
  EXPECT_EQ(0u, run.out.rfind(kBannerStart, 0)) << run.out;
  const std::string rest = AfterBanner(run.out);
  const std::string connecting = "Connecting to " + server + " for export.\n";
  ASSERT_EQ(0u, rest.rfind(connecting, 0)) << run.out;
  const std::string failure = rest.substr(connecting.size());
  EXPECT_EQ(0u, failure.rfind("Logon failed - ", 0)) << failure;
  EXPECT_EQ(".\n", failure.substr(failure.size() - 2));
  EXPECT_EQ(1, std::count(failure.begin(), failure.end(), '\n')) << failure;
  EXPECT_FALSE(std::filesystem::exists(dir + "/a.ini"));
}

TEST(DriverEndToEnd, RefusedLogonStopsBeforeAnyProcedure) {
  e2e::Emulator emu(R"({"faults": [{"call": "ClientLogonEx", "code": 9}]})");
  const std::string dir = e2e::TempDir();
  for (const char* command : {"EXPORT", "IMPORT"}) {
    SCOPED_TRACE(command);
    emu.ClearJournal();
    e2e::WriteFile(dir + "/a.ini", "[Port01]\r\nNumber=1\r\n");
    const e2e::Run run = e2e::RunTarvo({command, dir + "/a.ini", emu.Server()});
    EXPECT_EQ(255, run.exitCode);
    const std::string lines = AfterBanner(run.out);
    const size_t failure = lines.find("Logon failed - ");
    ASSERT_NE(std::string::npos, failure) << run.out;
    EXPECT_EQ(lines.size() - 2, lines.find(".\n", failure)) << run.out;
    EXPECT_EQ(std::vector<std::string>{"ClientLogonEx"}, Calls(emu.Journal()));
    EXPECT_EQ("[Port01]\r\nNumber=1\r\n", e2e::ReadFile(dir + "/a.ini"));
  }
}

TEST(DriverEndToEnd, LogonTakesTheLastServerAndTheFixedArguments) {
  e2e::Emulator emu;
  const std::string dir = e2e::TempDir();
  const e2e::Run run =
      e2e::RunTarvo({"IMPORT", "a.ini", e2e::NoServer(), emu.Server()}, dir);
  EXPECT_NE(std::string::npos,
            run.out.find("\n\nConnecting to " + emu.Server() + " for import.\n"))
      << run.out;
  const nlohmann::json journal = emu.Journal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ("ClientLogonEx", journal[0]["call"]);
  EXPECT_EQ(nlohmann::json::array({110, 5, emu.Server(), 5123, 5124, 10000, 0, 0, 1024}),
            journal[0]["args"]);
}

// The connecting line names the procedure that runs; the export's first
// calls after the logon ask for the versions, the import never does.
TEST(DriverEndToEnd, CommandWordsChooseTheProcedure) {
  e2e::Emulator emu;
  const std::string dir = e2e::TempDir();
  const struct {
    std::vector<std::string> args;
    const char* procedure;
  } cases[] = {
      {{"site.ini", emu.Server()}, "export"},
      {{"site.ini", "export", emu.Server()}, "export"},
      {{"VERSION", "IMPORT", "site.ini", emu.Server()}, "import"},
      {{"IMPORT", "VERSION", "site.ini", emu.Server()}, "export"},
      {{"import", "site.ini", emu.Server()}, "import"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    emu.ClearJournal();
    const e2e::Run run = e2e::RunTarvo(c.args, dir);
    EXPECT_NE(std::string::npos,
              run.out.find("Connecting to " + emu.Server() + " for " + c.procedure + ".\n"))
        << run.out;
    const std::vector<std::string> calls = Calls(emu.Journal());
    ASSERT_GE(calls.size(), 1u);
    EXPECT_EQ("ClientLogonEx", calls[0]);
    const bool exported = std::find(calls.begin(), calls.end(), "DllVersion") != calls.end();
    EXPECT_EQ(std::string(c.procedure) == "export", exported);
    EXPECT_EQ(0, run.exitCode) << run.out;
  }
}

// VERSION keeps its flag whatever command word follows it: the export then
// leaves out the grades but still writes the ports.
TEST(DriverEndToEnd, VersionOnlyReachesTheExport) {
  e2e::Emulator emu(R"({"ports": [{"id": 1, "number": 1, "name": "COM1"}],
                        "grades": [{"id": 1, "number": 1, "name": "Diesel"}]})");
  const std::string dir = e2e::TempDir();
  const e2e::Run full = e2e::RunTarvo({"EXPORT", dir + "/full.ini", emu.Server()});
  const e2e::Run version =
      e2e::RunTarvo({"VERSION", "EXPORT", dir + "/version.ini", emu.Server()});
  ASSERT_EQ(0, full.exitCode) << full.out;
  ASSERT_EQ(0, version.exitCode) << version.out;
  const std::string fullFile = e2e::ReadFile(dir + "/full.ini");
  const std::string versionFile = e2e::ReadFile(dir + "/version.ini");
  EXPECT_NE(std::string::npos, fullFile.find("[Grade01]")) << fullFile;
  EXPECT_EQ(std::string::npos, versionFile.find("[Grade01]")) << versionFile;
  EXPECT_NE(std::string::npos, versionFile.find("[Port01]")) << versionFile;
}

// Runs program with args, its standard output a pipe whose reader goes away:
// at once, or (firstLineOnly, as `| head -1` does) after reading up to the
// first line feed. Every later write to the pipe fails. Returns the wait
// status, or -1 when the process could not be started.
int RunWithReaderGone(const std::string& program, const std::vector<std::string>& args,
                      bool firstLineOnly) {
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return -1;
  if (!firstLineOnly) close(out[0]);  // every write to the pipe fails
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    signal(SIGPIPE, SIG_DFL);  // whatever the test process does with it
    dup2(out[1], 1);
    // Only the parent may hold the reading end, or the reader never goes.
    if (firstLineOnly) close(out[0]);
    close(out[1]);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  if (firstLineOnly) {
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n') {
    }
    close(out[0]);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return status;
}

// Standard output read by a reader that has gone (`| head -1`): the export
// still saves its file and the run ends with its own exit code, not with the
// signal of a broken pipe.
TEST(DriverEndToEnd, ClosedStandardOutputEndsWithTheRunsExitCode) {
  if (std::getenv("TARVO_LAUNCHER") != nullptr) GTEST_SKIP() << "a POSIX signal";
  e2e::Emulator emu(R"({"ports": [{"id": 1, "number": 1, "name": "COM1"}]})");
  const std::string file = e2e::TempDir() + "/closed.ini";
  const int status = RunWithReaderGone(e2e::TarvoPath(), {"EXPORT", file, emu.Server()}, false);
  ASSERT_NE(-1, status);
  EXPECT_FALSE(WIFSIGNALED(status)) << "signal " << WTERMSIG(status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_NE(std::string::npos, e2e::ReadFile(file).find("[Port01]"));
}

// Standard streams closed at the start (`>&-`, `<&- 2>&-`): the program
// puts the null device in their place before it connects, so that the
// connection never takes one of their numbers and no console line goes into
// it. 200 ports without device details print a line each, more than the
// console's buffer holds, so that such text would reach the connection in
// the middle of the run. The controller receives the same calls as from a
// run with all three open, and the file is written as then.
TEST(DriverEndToEnd, ClosedStandardStreamsKeepConsoleTextOutOfTheConnection) {
  if (std::getenv("TARVO_LAUNCHER") != nullptr) GTEST_SKIP() << "POSIX descriptors";
  nlohmann::json fixture = {{"grades", {{{"id", 1}, {"number", 1}, {"name", "Diesel"}}}}};
  for (int n = 1; n <= 200; ++n) fixture["ports"].push_back({{"id", n}, {"number", n}});
  e2e::Emulator emu(fixture);
  const std::string dir = e2e::TempDir();
  const e2e::Run open = e2e::RunTarvo({"EXPORT", dir + "/open.ini", emu.Server()});
  ASSERT_EQ(0, open.exitCode) << open.out;
  const std::vector<std::string> calls = Calls(emu.Journal());
  for (const std::string closing : {">&-", "<&- 2>&-"}) {
    SCOPED_TRACE(closing);
    emu.ClearJournal();
    const std::string file = dir + "/closed.ini";
    const e2e::Run run = e2e::RunCommand({"/bin/sh", "-c", "exec \"$0\" \"$@\" " + closing,
                                          e2e::TarvoPath(), "EXPORT", file, emu.Server()});
    EXPECT_EQ(0, run.exitCode) << run.out << run.err;
    EXPECT_EQ(closing == ">&-" ? "" : open.out, run.out);
    EXPECT_EQ(calls, Calls(emu.Journal()));
    EXPECT_NE(std::string::npos, e2e::ReadFile(file).find("[Grade01]"));
  }
}

// The same for TarvoCheck, read by `| head -1` while its report, many times
// a pipe's buffer, is still being written: it ends with the exit code it
// gives when the whole report is read (1, something to report). The JSON
// report carries each listed finding's value, so 1,000 long values make it
// big although the listing is bounded.
TEST(DriverEndToEnd, CheckReadByHeadEndsWithItsOwnExitCode) {
  if (std::getenv("TARVO_LAUNCHER") != nullptr) GTEST_SKIP() << "a POSIX signal";
  std::string big = "[Port01]\r\nNumber=1\r\n";
  for (int i = 0; i < 10000; ++i) {
    big += "Unread" + std::to_string(i) + "=" + std::string(100, 'x') + "\r\n";
  }
  const std::string file = e2e::TempDir() + "/big.ini";
  e2e::WriteFile(file, big);
  const e2e::Run whole = e2e::RunCheck({"CHECK", file, "/JSON"});
  ASSERT_GT(whole.out.size(), 4u * 65536u);  // four pipe buffers of Linux
  EXPECT_EQ(1, whole.exitCode);
  const int status = RunWithReaderGone(e2e::CheckPath(), {"CHECK", file, "/JSON"}, true);
  ASSERT_NE(-1, status);
  EXPECT_FALSE(WIFSIGNALED(status)) << "signal " << WTERMSIG(status);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == whole.exitCode) << status;
}

}  // namespace
