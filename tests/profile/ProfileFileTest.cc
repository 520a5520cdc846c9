// Opening, creating and saving the configuration file: permissions, the safe
// replacement, and the reasons given for failures.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>

#include "tests/support/TestFiles.h"
#include "profile/Profile.h"
#include "tests/support/ChildProcess.h"

namespace {

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  closedir(dir);
  return names;
}

bool WriteOne(const std::string& path, const char* value, std::string* error) {
  CProfile profile(path.c_str(), true);
  if (!profile.Open(error)) return false;
  profile.SetSection("Application");
  profile.WriteString("Version", Text(value));
  return profile.Save(error);
}

TEST(ProfileFile, MissingFileIsCreatedOwnerOnlyWhenWritable) {
  ScratchFolder folder;
  const std::string path = folder.Path("new.ini");
  {
    CProfile profile(path.c_str(), true);
    EXPECT_FALSE(Exists(path));  // the constructor does not touch the file
    std::string error;
    EXPECT_TRUE(profile.Open(&error)) << error;
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(0600u, Mode(path));
  }
  EXPECT_EQ("", GetFile(path));

  const std::string written = folder.Path("written.ini");
  std::string error;
  EXPECT_TRUE(WriteOne(written, "1", &error)) << error;
  EXPECT_EQ(0600u, Mode(written));
  EXPECT_EQ("\r\n[Application]\r\nVersion=1\r\n", GetFile(written));
}

TEST(ProfileFile, FirstAccessCreatesTheFileWithoutOpen) {
  ScratchFolder folder;
  const std::string path = folder.Path("lazy.ini");
  {
    CProfile profile(path.c_str(), true);
    profile.SetSection("S");
    Text value;
    EXPECT_EQ(0, profile.ReadString("K", value));
    EXPECT_TRUE(Exists(path));
    EXPECT_EQ(1, profile.WriteString("K", Text("1")));
    // Not saved yet: the destructor writes what is left.
  }
  EXPECT_EQ("\r\n[S]\r\nK=1\r\n", GetFile(path));
}

TEST(ProfileFile, SaveKeepsPermissionsAndLeavesNoTemporaryFile) {
  ScratchFolder folder;
  const std::string path = folder.Path("station.ini");
  PutFile(path, "[Application]\r\nVersion=0\r\n");
  chmod(path.c_str(), 0640);
  std::string error;
  ASSERT_TRUE(WriteOne(path, "2", &error)) << error;
  EXPECT_EQ(0640u, Mode(path));
  EXPECT_EQ("[Application]\r\nVersion=2\r\n", GetFile(path));
  EXPECT_EQ(std::set<std::string>{"station.ini"}, Entries(folder.path()));
}

TEST(ProfileFile, SaveFollowsASymbolicLinkToItsTarget) {
  ScratchFolder folder;
  mkdir(folder.Path("real").c_str(), 0700);
  const std::string target = folder.Path("real/station.ini");
  PutFile(target, "[Application]\r\nVersion=0\r\n");
  chmod(target.c_str(), 0604);
  ASSERT_EQ(0, symlink("real/station.ini", folder.Path("link.ini").c_str()));
  std::string error;
  ASSERT_TRUE(WriteOne(folder.Path("link.ini"), "3", &error)) << error;

  struct stat st;
  ASSERT_EQ(0, lstat(folder.Path("link.ini").c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ("[Application]\r\nVersion=3\r\n", GetFile(target));
  EXPECT_EQ(0604u, Mode(target));
  EXPECT_EQ(std::set<std::string>{"station.ini"}, Entries(folder.Path("real")));

  // A link whose target does not exist yet: the target is created.
  ASSERT_EQ(0, symlink("real/later.ini", folder.Path("dangling.ini").c_str()));
  ASSERT_TRUE(WriteOne(folder.Path("dangling.ini"), "4", &error)) << error;
  EXPECT_EQ("\r\n[Application]\r\nVersion=4\r\n", GetFile(folder.Path("real/later.ini")));
  EXPECT_EQ(0600u, Mode(folder.Path("real/later.ini")));
}

TEST(ProfileFile, SaveWithoutChangesLeavesTheFileAlone) {
  ScratchFolder folder;
  const std::string path = folder.Path("station.ini");
  PutFile(path, "[S]\r\nK=1\r\n");
  struct stat before;
  stat(path.c_str(), &before);
  {
    CProfile profile(path.c_str(), true);
    profile.SetSection("S");
    EXPECT_EQ(1, profile.ReadInt("K"));
    EXPECT_TRUE(profile.Save(nullptr));
  }
  struct stat after;
  stat(path.c_str(), &after);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(ProfileFile, OpenGivesTheReasonOfAFailure) {
  ScratchFolder folder;
  std::string error;
  CProfile missing(folder.Path("none.ini").c_str(), false);
  EXPECT_FALSE(missing.Open(&error));
  EXPECT_EQ("No such file or directory", error);
  EXPECT_FALSE(Exists(folder.Path("none.ini")));

  CProfile no_folder(folder.Path("none/x.ini").c_str(), true);
  EXPECT_FALSE(no_folder.Open(&error));
  EXPECT_EQ("No such file or directory", error);

  for (bool writable : {false, true}) {
    CProfile directory(folder.path().c_str(), writable);
    error.clear();
    EXPECT_FALSE(directory.Open(&error));
    EXPECT_EQ("Is a directory", error);
    directory.SetSection("S");
    EXPECT_EQ(0, directory.WriteString("K", Text("1")));
  }

  CProfile empty_path("", false);
  EXPECT_FALSE(empty_path.Open(&error));
  EXPECT_FALSE(empty_path.Open(nullptr));
}

// Permissions bind every user but root: run by root, these checks run as
// the user nobody.
TEST(ProfileFile, OpenReportsAFileThatCannotBeWritten) {
  InChild(Privileges::kNobody, [] {
    ScratchFolder folder;
    const std::string path = folder.Path("locked.ini");
    PutFile(path, "[S]\r\nK=1\r\n");
    chmod(path.c_str(), 0400);
    std::string error;
    CProfile writable(path.c_str(), true);
    EXPECT_FALSE(writable.Open(&error));
    EXPECT_EQ("Permission denied", error);
    CProfile readable(path.c_str(), false);
    EXPECT_TRUE(readable.Open(&error));
    chmod(path.c_str(), 0);
    CProfile unreadable(path.c_str(), false);
    EXPECT_FALSE(unreadable.Open(&error));
    EXPECT_EQ("Permission denied", error);
  });
}

// Where the file cannot be replaced, it is rewritten through its own name:
// a folder that takes no new file, another user's file in a sticky folder.
// A longer content, a shorter one (the file is cut to its length), one that
// differs in a single byte.
TEST(ProfileFile, FileThatCannotBeReplacedIsRewrittenInPlace) {
  const auto check_in_place = [](const std::string& path) {
    struct stat before;
    ASSERT_EQ(0, stat(path.c_str(), &before));
    std::string error;
    EXPECT_TRUE(WriteOne(path, "a much longer version than before", &error)) << error;
    EXPECT_EQ("[Application]\r\nVersion=a much longer version than before\r\n", GetFile(path));
    EXPECT_TRUE(WriteOne(path, "5", &error)) << error;
    EXPECT_EQ("[Application]\r\nVersion=5\r\n", GetFile(path));
    EXPECT_TRUE(WriteOne(path, "6", &error)) << error;  // one byte in the middle
    EXPECT_EQ("[Application]\r\nVersion=6\r\n", GetFile(path));
    struct stat after;
    ASSERT_EQ(0, stat(path.c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(before.st_mode, after.st_mode);
  };
  InChild(Privileges::kNobody, [&] {
    ScratchFolder folder;
    const std::string path = folder.Path("station.ini");
    PutFile(path, "[Application]\r\nVersion=0\r\n");
    chmod(folder.path().c_str(), 0500);
    check_in_place(path);
    chmod(folder.path().c_str(), 0700);
    EXPECT_EQ(std::set<std::string>{"station.ini"}, Entries(folder.path()));
  });
  if (geteuid() != 0) return;  // only root can give nobody another user's file
  ScratchFolder folder;
  chmod(folder.path().c_str(), 01777);
  const std::string path = folder.Path("station.ini");
  PutFile(path, "[Application]\r\nVersion=0\r\n");
  chmod(path.c_str(), 0666);
  InChild(Privileges::kNobody, [&] { check_in_place(path); });
  EXPECT_EQ(std::set<std::string>{"station.ini"}, Entries(folder.path()));
}

TEST(ProfileFile, SaveOntoAFullDiskFails) {
  if (!Exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ScratchFolder folder;
  ASSERT_EQ(0, symlink("/dev/full", folder.Path("full.ini").c_str()));
  for (const std::string& path : {std::string("/dev/full"), folder.Path("full.ini")}) {
    CProfile profile(path.c_str(), true);
    std::string error;
    ASSERT_TRUE(profile.Open(&error)) << error;
    profile.SetSection("S");
    EXPECT_EQ(1, profile.WriteString("K", Text("1")));
    EXPECT_FALSE(profile.Save(&error));
    EXPECT_EQ("No space left on device", error);
  }
  struct stat st;
  ASSERT_EQ(0, stat("/dev/full", &st));
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(ProfileFile, FileChangedAfterLoadingIsReplacedByTheProfilesView) {
  ScratchFolder folder;
  const std::string path = folder.Path("station.ini");
  PutFile(path, "[S]\r\nK=1\r\n");
  CProfile profile(path.c_str(), true);
  ASSERT_TRUE(profile.Open(nullptr));
  unlink(path.c_str());
  profile.SetSection("S");
  EXPECT_EQ(1, profile.ReadInt("K"));  // answered from memory
  EXPECT_EQ(1, profile.WriteString("K", Text("2")));
  EXPECT_TRUE(profile.Save(nullptr));
  EXPECT_EQ("[S]\r\nK=2\r\n", GetFile(path));
  EXPECT_EQ(0600u, Mode(path));
}

// The save goes to the file that was read, never to what another user put
// under its name during the run (a link to a file of the victim's, another
// file): it is refused with a reason, and nothing is written anywhere.
TEST(ProfileFile, SaveGoesOnlyToTheFileThatWasRead) {
  ScratchFolder folder;
  const std::string path = folder.Path("site.ini");
  const std::string victim = folder.Path("victim.ini");
  PutFile(victim, "secret\r\n");
  for (bool link : {true, false}) {
    SCOPED_TRACE(link ? "a link put in its place" : "another file put in its place");
    PutFile(path, "[Attacker]\r\nLine=1\r\n");
    CProfile profile(path.c_str(), true);
    ASSERT_TRUE(profile.Open(nullptr));
    profile.SetSection("S");
    profile.WriteString("K", Text("1"));
    unlink(path.c_str());
    if (link) {
      ASSERT_EQ(0, symlink(victim.c_str(), path.c_str()));
    } else {
      PutFile(path, "other\r\n");
    }
    std::string error;
    EXPECT_FALSE(profile.Save(&error));
    EXPECT_EQ("File replaced since it was read", error);
    EXPECT_EQ("secret\r\n", GetFile(victim));
    EXPECT_EQ(link ? "secret\r\n" : "other\r\n", GetFile(path));
    unlink(path.c_str());
  }
  EXPECT_EQ((std::set<std::string>{"victim.ini"}), Entries(folder.path()));
}

// Names up to the system's limit are saved; the new file's name is cut to
// fit, never the save refused.
TEST(ProfileFile, FilesWithNamesOfAnyLengthAreSaved) {
  ScratchFolder folder;
  for (size_t length : {1, 200, 241, 242, 250, 255}) {
    const std::string name(length, 'n');
    std::string error;
    EXPECT_TRUE(WriteOne(folder.Path(name), "1", &error)) << length << ": " << error;
    EXPECT_TRUE(WriteOne(folder.Path(name), "2", &error)) << length << ": " << error;
    EXPECT_EQ("\r\n[Application]\r\nVersion=2\r\n", GetFile(folder.Path(name)));
    unlink(folder.Path(name).c_str());
  }
  EXPECT_TRUE(Entries(folder.path()).empty());
}

// A save that fails is reported once: the destructor does not write again,
// even when the cause is gone by then. A file that the profile created and
// never filled is removed; a file that was there keeps its content.
TEST(ProfileFile, FailedSaveIsNotRepeatedAndLeavesNoEmptyNewFile) {
  // Writes beyond a few kilobytes fail with "File too large" in the child.
  InChild(Privileges::kKept, [] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small = {4096, limit.rlim_max};
    ScratchFolder folder;
    for (bool existed : {false, true}) {
      SCOPED_TRACE(existed ? "a file that was there" : "a new file");
      const std::string path = folder.Path(existed ? "old.ini" : "new.ini");
      if (existed) PutFile(path, "[S]\r\nK=0\r\n");
      {
        CProfile profile(path.c_str(), true);
        ASSERT_TRUE(profile.Open(nullptr));
        profile.SetSection("S");
        profile.WriteString("K", Text(std::string(8000, 'v').c_str()));
        ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
        std::string error;
        EXPECT_FALSE(profile.Save(&error));
        EXPECT_EQ("File too large", error);
        EXPECT_EQ(existed, Exists(path));
        ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
      }
      EXPECT_EQ(existed ? "[S]\r\nK=0\r\n" : "", GetFile(path));
      EXPECT_EQ(existed, Exists(path));
    }
  });
}

// Writes a station's worth of keys over the file and saves it.
void WriteStation(const std::string& path) {
  CProfile profile(path.c_str(), true);
  for (int client = 0; client < 600; ++client) {
    profile.SetSection(("Client" + std::to_string(client)).c_str());
    for (const char* key : {"Number", "Name", "Card", "Limit", "Grades", "Pumps", "Valid"}) {
      profile.WriteString(key, Text(std::string(key) + " of client " + std::to_string(client)));
    }
  }
  profile.Save(nullptr);
}

TEST(ProfileFile, SaveKilledAtAnyMomentLeavesTheOldOrTheNewContent) {
  ScratchFolder folder;
  const std::string path = folder.Path("station.ini");
  const std::string old_content = "[Application]\r\nVersion=1\r\n";
  PutFile(folder.Path("expected.ini"), old_content);
  WriteStation(folder.Path("expected.ini"));
  const std::string new_content = GetFile(folder.Path("expected.ini"));
  // How long a whole run takes here: the kills land anywhere within it.
  auto start = std::chrono::steady_clock::now();
  pid_t whole = fork();
  ASSERT_GE(whole, 0);
  if (whole == 0) {
    WriteStation(folder.Path("whole.ini"));
    _exit(0);
  }
  waitpid(whole, nullptr, 0);
  const int run_us = static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(
                                          std::chrono::steady_clock::now() - start).count());
  std::mt19937 random(7);
  int old_seen = 0;
  int new_seen = 0;
  for (int kill_number = 0; kill_number < 30; ++kill_number) {
    PutFile(path, old_content);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      WriteStation(path);
      _exit(0);
    }
    // The first kill lands at once, before the save can have begun.
    if (kill_number > 0) {
      usleep(std::uniform_int_distribution<int>(0, run_us + run_us / 2)(random));
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const std::string now = GetFile(path);
    ASSERT_TRUE(now == old_content || now == new_content) << "after kill " << kill_number;
    (now == old_content ? old_seen : new_seen)++;
  }
  // Where the kills land depends on the machine's load, so only the first
  // one is sure to find the old content; a run left alone gives the new one.
  EXPECT_GT(old_seen, 0);
  std::printf("kills: %d left the old content, %d the new\n", old_seen, new_seen);
  PutFile(path, old_content);
  WriteStation(path);
  EXPECT_EQ(new_content, GetFile(path));
}

}  // namespace
