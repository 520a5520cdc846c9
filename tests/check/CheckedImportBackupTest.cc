// The checked import's before-file: names beyond Latin-1 and beyond 16 bits
// go through an import and its way back unchanged; a kill at any moment of
// the backup leaves no empty or cut before-file; a file with no record is
// refused before the logon.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/E2E.h"

extern char** environ;

namespace {

using nlohmann::json;

std::string Sample() { return e2e::ReadFile(TARVO_SOURCE_DIR "/tests/golden/sample-station.ini"); }

json SampleStation() {
  return json::parse(e2e::ReadFile(TARVO_SOURCE_DIR "/examples/sample-station.json"));
}

bool Launched() { return std::getenv("TARVO_LAUNCHER") != nullptr; }

// TarvoCheck started with the null device as its standard streams.
pid_t Start(const std::vector<std::string>& args) {
  std::vector<std::string> all{e2e::CheckPath()};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? pid : -1;
}

TEST(CheckedImportBackup, TheWayBackKeepsEveryCharacter) {
  json fixture = SampleStation();
  fixture["pumps"][1]["name"] = "Bomba 2 Łódź";
  fixture["tanks"][0]["name"] = "Tanque 1 😀";  // beyond 16 bits
  e2e::Emulator emu(fixture);
  const json state = emu.State();
  const std::string dir = e2e::TempDir();
  const std::string path = dir + "/site.ini";
  std::string bytes = Sample();
  bytes.replace(bytes.find("Price01=1.589"), 13, "Price01=1.599");
  e2e::WriteFile(path, bytes);

  e2e::Run run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  const std::vector<std::string> before = e2e::FilesBeginning(dir, "site.before-");
  ASSERT_EQ(before.size(), 1u) << run.out;
  EXPECT_NE(run.out.find("Backup: " + before[0] + " (UTF-8 with a byte-order mark"),
            std::string::npos)
      << run.out;

  // The way back, its own files beside its file.
  run = e2e::RunCheck({"IMPORT", before[0], emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(json::diff(state, emu.State()), json::array());

  // An empty file, as a killed plain EXPORT leaves it, writes nothing.
  emu.ClearJournal();
  e2e::WriteFile(path, "");
  run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 2) << run.out;
  EXPECT_NE(run.out.find("Nothing to import: the file holds no record. Nothing written."),
            std::string::npos)
      << run.out;
  EXPECT_EQ(emu.Journal(), json::array()) << "logged on";
}

// SIGINT, SIGTERM and SIGKILL at random moments of a run that backs up and
// finds nothing to change (the file is the controller's own).
TEST(CheckedImportBackup, KillsNeverLeaveAnEmptyOrCutBeforeFile) {
  if (Launched()) GTEST_SKIP() << "a signal would reach the launcher, not the program";
  e2e::Emulator emu(SampleStation());
  const std::string dir = e2e::TempDir();
  const std::string path = dir + "/site.ini";
  const std::string folder = dir + "/backups";
  e2e::WriteFile(path, Sample());
  ASSERT_EQ(e2e::RunTarvo({"EXPORT", dir + "/plain.ini", emu.Server()}).exitCode, 0);
  const std::string whole = e2e::WithoutDate(e2e::ReadFile(dir + "/plain.ini"));
  const std::vector<std::string> args{"IMPORT", path, emu.Server(), "/backup:" + folder};

  const auto begin = std::chrono::steady_clock::now();
  e2e::Run run = e2e::RunCheck(args);
  const auto span = std::chrono::steady_clock::now() - begin;
  EXPECT_EQ(run.exitCode, 0) << run.out;
  struct stat made {};
  ASSERT_EQ(stat(folder.c_str(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0700u);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const long spanUs = std::chrono::duration_cast<std::chrono::microseconds>(span).count();
  std::uniform_int_distribution<long> moment(0, spanUs);
  const int signals[] = {SIGINT, SIGTERM, SIGKILL};
  for (int i = 0; i < 15; ++i) {
    const long at = moment(random);
    const pid_t pid = Start(args);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(at));
    kill(pid, signals[i % 3]);
    int status = 0;
    waitpid(pid, &status, 0);
    for (const std::string& f : e2e::FilesBeginning(folder, "site.before-")) {
      EXPECT_EQ(e2e::WithoutDate(e2e::ReadFile(f)), whole)
          << f << ", signal " << signals[i % 3] << " after " << at << " us";
      std::remove(f.c_str());
    }
    // What a stopped run left under the name it fills (named by the next
    // run, never removed by it).
    for (const std::string& f : e2e::FilesBeginning(folder, "site.before.")) std::remove(f.c_str());
  }
}

}  // namespace
