// Damaged and hostile configuration files through IMPORT: each run ends with
// a defined result (what was readable imported, the rest ignored, or the file
// refused with a reason), never a crash or a hang.
#include <fcntl.h>
#include <linux/magic.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"
#include "tests/support/ChildProcess.h"

namespace importtest {
namespace {

using namespace std::string_literals;

const char kAllDone[] = "\nAll done.\n";

std::string Repeat(const std::string& piece, size_t times) {
  std::string all;
  all.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) all += piece;
  return all;
}

// The first SetPortProperties call of a run, or null.
json FirstPort(const json& sets) {
  for (const json& call : sets) {
    if (call.at("call") == "SetPortProperties") return call;
  }
  return nullptr;
}

// Runs `meddle` on a thread of its own as soon as the emulator has received
// a call named `call` (or after 10 s): while a delay fault holds the run at
// that call.
std::thread MeddleAt(e2e::Emulator& emulator, const std::string& call,
                     std::function<void()> meddle) {
  return std::thread([&emulator, call, meddle] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until) {
      const json journal = emulator.Journal();
      if (!journal.empty() && journal.back().at("call") == call) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    meddle();
  });
}

TEST(HostileFile, DamagedContentEndsWithADefinedImport) {
  const std::string tenMegabytes(10 << 20, 'x');
  struct Case {
    const char* what;
    std::string ini;
    std::string out;
    std::string summary;
    json firstPort;  // the arguments of the first port written, when checked
  };
  const std::vector<Case> cases = {
      {"NUL bytes end a value; a header stays a header whatever follows its bracket",
       "[Port01]\r\nNumber=1\0junk\r\nName=CO\0M9\r\n\0\0\0\r\n[Port02]\0x\r\nNumber=2\r\n"s,
       "  2 ports imported successfully.\n" + std::string(kAllDone), "Port 1, Port 2",
       json{1, 1, "CO", 0, 0, ""}},
      {"CR-only line ends make one line that is no section",
       "[Port01]\rNumber=1\rName=COM1\r[Grade01]\rNumber=1\r", kAllDone, "", nullptr},
      {"a 10 MB line: a value is cut at the longest text, the lines after it still read",
       "[Junk]\r\n" + tenMegabytes + "\r\n[Port01]\r\nName=" + tenMegabytes + "\r\nNumber=3\r\n",
       "  1 ports imported successfully.\n" + std::string(kAllDone), "Port 1",
       json{1, 3, std::string(32767, 'x'), 0, 0, ""}},
      {"numbers of hundreds of digits keep their low 32 bits; amounts stop at the largest",
       "[Port01]\r\nNumber=" + std::string(200, '7') + "\r\nProtocolID=" +
           std::string(300, '9') + "\r\n[Grade01]\r\nNumber=1\r\nPrice01=" +
           std::string(400, '9') + "\r\n",
       "  1 ports imported successfully.\n  1 grades imported successfully.\n" +
           std::string(kAllDone),
       "Port 1, Grade 1, Price 1/1", json{1, 1908874353, "", -1, 0, ""}},
      {"Number at and past the 32-bit limits",
       "[Port01]\r\nNumber=2147483647\r\nDeviceType=65536\r\n"
       "[Port02]\r\nNumber=2147483648\r\n"   // wraps to the lowest number: absent
       "[Port03]\r\nNumber=4294967297\r\n"   // wraps to 1
       "[Port04]\r\nNumber=-2147483648\r\n"  // below 1: absent
       "[Port05]\r\nNumber=-2147483649\r\nProtocolID=-2147483649\r\n",  // wraps to the highest
       "  3 ports imported successfully.\n" + std::string(kAllDone), "Port 1, Port 3, Port 5",
       json{1, 2147483647, "", 0, 0, ""}},
      {"a header whose name has hundreds of characters",
       "[" + std::string(700, 'P') + "]\r\nNumber=1\r\n[Port01" + std::string(300, 'x') +
           "]\r\nNumber=1\r\n[" + std::string(5000, '[') + "\r\n[Port02]\r\nNumber=2\r\n",
       "  1 ports imported successfully.\n" + std::string(kAllDone), "Port 2", nullptr},
      {"bytes that are no text at all",
       Repeat("\x80\xff\xfe[\0]\r=\n"s, 5000) + "\n[Port01]\nNumber=1\n",
       "  1 ports imported successfully.\n" + std::string(kAllDone), "Port 1", nullptr},
      // Read as UTF-16, where the bytes at the end make no section.
      {"the same after a UTF-16 byte-order mark",
       Repeat("\xff\xfe[\0]\r=\n\x80"s, 5000) + "\n[Port01]\nNumber=1\n", kAllDone, "",
       nullptr},
  };
  e2e::Emulator emulator;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Imported r = Import(emulator, c.ini);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(Summary(r.sets), c.summary);
    if (!c.firstPort.is_null()) {
      EXPECT_EQ(FirstPort(r.sets).at("args"), c.firstPort);
    }
  }
}

TEST(HostileFile, AmountsTooLargeReachTheControllerAsTheLargestAmount) {
  e2e::Emulator emulator;
  Imported r = Import(emulator, "[Grade01]\r\nNumber=1\r\nPrice01=" + std::string(400, '9') +
                                    "\r\nPrice02=1e999\r\n");
  ASSERT_EQ(r.sets.size(), 3u) << r.sets.dump();
  // The largest Currency, 922337203685477.5807, as a double; "1e999" reads as 1.
  EXPECT_EQ(r.sets[1].at("args"), json({1, 1, 922337203685477.6}));
  EXPECT_EQ(r.sets[2].at("args"), json({1, 2, 1.0}));
}

// The file is read whole before the first record is written: whatever
// happens to it afterwards, the import carries on with what it read.
TEST(HostileFile, FileRemovedOrChangedDuringTheImportIsImportedAsRead) {
  const std::string ini =
      "[Port01]\r\nNumber=1\r\n[Port02]\r\nNumber=2\r\n[Grade01]\r\nNumber=1\r\nName=G\r\n";
  for (const bool remove : {true, false}) {
    SCOPED_TRACE(remove ? "removed" : "changed");
    e2e::Emulator emulator(R"({"faults": [{"call": "SetPortProperties", "delayMs": 700}]})");
    const std::string path = e2e::TempDir() + "/station.ini";
    e2e::WriteFile(path, ini);
    std::thread meddler = MeddleAt(emulator, "SetPortProperties", [&] {
      if (remove) {
        std::remove(path.c_str());
      } else {
        e2e::WriteFile(path, "[Port01]\r\nNumber=9\r\n[Port03]\r\nNumber=3\r\n");
      }
    });
    Imported r = ImportPath(emulator, path);
    meddler.join();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "  2 ports imported successfully.\n  1 grades imported successfully.\n" +
                         std::string(kAllDone));
    EXPECT_EQ(Summary(r.sets), "Port 1, Port 2, Grade 1");
    EXPECT_EQ(r.sets[0].at("args")[1], 1);
  }
}

// Another user who may delete files in the file's folder (here their own)
// deletes it while an export runs and puts a file or a link of their own in
// its place. ext4 gives a new file the inode number of one just deleted, at
// once; the save still refuses every swap, for a file that was there and for
// one the run created, and the other user's file and link stay as they were.
TEST(HostileFile, FileSwappedByAnotherUserDuringTheExportIsNeverWritten) {
  if (std::getenv("TARVO_LAUNCHER") != nullptr) GTEST_SKIP() << "the POSIX save";
  if (geteuid() != 0) GTEST_SKIP() << "only root can act as another user";
  const std::string base = e2e::TempDir();
  struct statfs disk {};
  if (statfs(base.c_str(), &disk) != 0 || disk.f_type != EXT4_SUPER_MAGIC) {
    GTEST_SKIP() << "no ext4 folder at hand (TMPDIR)";
  }
  const passwd* nobody = getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  const uid_t them = nobody->pw_uid;
  const std::string folder = base + "/theirs";
  ASSERT_EQ(chmod(base.c_str(), 0711), 0);
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(chown(folder.c_str(), them, nobody->pw_gid), 0);
  const std::string path = folder + "/site.ini";
  const std::string bait = folder + "/bait.ini";
  e2e::Emulator emulator(R"({"ports": [{"id": 1, "number": 1, "name": "COM1"}],
                             "faults": [{"call": "GetPumpsCount", "delayMs": 500}]})");
  InChild(Privileges::kNobody, [&] { e2e::WriteFile(bait, "bait\r\n"); });
  int refused = 0;
  int reused = 0;
  for (int swap = 0; swap < 20; ++swap) {
    const bool link = swap % 2 == 1;
    const bool existed = swap % 4 < 2;
    SCOPED_TRACE(std::to_string(swap) + (link ? ": a link" : ": a file") +
                 (existed ? " in place of a file that was there" : " in place of a new file"));
    unlink(path.c_str());
    if (existed) e2e::WriteFile(path, "[Notes]\r\nWho=root\r\n");
    struct stat before {};
    struct stat swapped {};
    std::thread meddler = MeddleAt(emulator, "GetPumpsCount", [&] {
      lstat(path.c_str(), &before);
      InChild(Privileges::kNobody, [&] {
        ASSERT_EQ(unlink(path.c_str()), 0);
        if (link) {
          ASSERT_EQ(symlink(bait.c_str(), path.c_str()), 0);
        } else {
          e2e::WriteFile(path, "theirs\r\n");
          ASSERT_EQ(chmod(path.c_str(), 0777), 0);
        }
      });
      lstat(path.c_str(), &swapped);
    });
    const e2e::Run run = e2e::RunTarvo({"EXPORT", path, emulator.Server()});
    meddler.join();
    struct stat now {};
    ASSERT_EQ(lstat(path.c_str(), &now), 0);
    reused += swapped.st_ino == before.st_ino ? 1 : 0;
    EXPECT_EQ(run.exitCode, 255);
    const std::string line =
        "Cannot write configuration file " + path + " - File replaced since it was read.\n";
    EXPECT_NE(run.out.find(line), std::string::npos) << run.out;
    EXPECT_EQ(now.st_uid, them);
    EXPECT_EQ(S_ISLNK(now.st_mode), link);
    EXPECT_EQ(e2e::ReadFile(path), link ? "bait\r\n" : "theirs\r\n");
    EXPECT_EQ(e2e::ReadFile(bait), "bait\r\n");
    const bool untouched = now.st_uid == them && S_ISLNK(now.st_mode) == link &&
                           e2e::ReadFile(path).find("[Port01]") == std::string::npos;
    refused += run.out.find(line) != std::string::npos && untouched ? 1 : 0;
  }
  std::printf("[ swaps ] %d of 20 refused; the inode number came back in %d\n", refused, reused);
}

// A large file is held once in memory: peak memory stays near its size. The
// size is TARVO_LARGE_FILE_MB (default 24; 300 for the manual check).
TEST(HostileFile, LargeFileIsImportedInMemoryOfAboutItsSize) {
  const char* asked = std::getenv("TARVO_LARGE_FILE_MB");
  const long megabytes = asked != nullptr ? std::atol(asked) : 24;
  // Sanitizers multiply memory; the bound below is for the program alone.
  const bool sanitized = std::getenv("TARVO_SANITIZED") != nullptr;
  const std::string path = e2e::TempDir() + "/large.ini";
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string records =
        "[Port01]\r\nNumber=1\r\nName=COM1\r\n[Grade01]\r\nNumber=1\r\nName=U95\r\n"
        "Price01=1.259\r\n[Tank01]\r\nNumber=1\r\nGrade=1\r\nCapacity=30000\r\n";
    std::fwrite(records.data(), 1, records.size(), file);
    // Sections that no step reads: notes of about 100 bytes each.
    char note[160];
    long written = static_cast<long>(records.size());
    for (long n = 0; written < megabytes << 20; ++n) {
      const int length = std::snprintf(
          note, sizeof note, "[Note%09ld]\r\nText=Remark %ld on the station's forecourt\r\n"
                             "Kept=yes\r\n", n, n);
      std::fwrite(note, 1, static_cast<size_t>(length), file);
      written += length;
    }
    ASSERT_EQ(std::fclose(file), 0);
  }
  e2e::Emulator emulator;
  const auto start = std::chrono::steady_clock::now();
  Imported r = ImportPath(emulator, path);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Summary(r.sets), "Port 1, Grade 1, Price 1/1, Tank 1");
  // Peak memory of the processes this test started and waited for: the
  // program and the emulator (a few megabytes).
  struct rusage usage {};
  getrusage(RUSAGE_CHILDREN, &usage);
  const long peakMb = usage.ru_maxrss / 1024;
  std::printf("[ large file ] %ld MB imported in %.2f s, peak memory %ld MB\n", megabytes,
              seconds, peakMb);
  if (!sanitized) {
    EXPECT_LT(peakMb, 3 * megabytes + 64);
  }
  unlink(path.c_str());
}

}  // namespace
}  // namespace importtest

namespace importtest {
namespace {

// A file whose index does not fit in the memory the program may use (four
// million small sections under a limit of 300 MB) is refused with a reason,
// not ended by the allocator.
TEST(HostileFile, FileBeyondTheMemoryAtHandIsRefused) {
  if (std::getenv("TARVO_SANITIZED") != nullptr || std::getenv("TARVO_LAUNCHER") != nullptr) {
    GTEST_SKIP() << "the sanitizers and launchers need address space of their own";
  }
  const std::string path = e2e::TempDir() + "/sections.ini";
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (int n = 0; n < 4000000; ++n) std::fprintf(file, "[%07d]\n", n);
    ASSERT_EQ(std::fclose(file), 0);
  }
  e2e::Emulator emulator;
  // And a device that never ends.
  for (const std::string& file : {path, std::string("/dev/zero")}) {
    SCOPED_TRACE(file);
    const e2e::Run run = e2e::RunCommand(
        {"bash", "-c", "ulimit -v 300000 && exec \"$0\" IMPORT \"$1\" \"$2\"",
         e2e::TarvoPath(), file, emulator.Server()});
    EXPECT_EQ(run.exitCode, 255);
    const std::string reason = "Cannot read configuration file " + file + " - Not enough memory.\n";
    ASSERT_GE(run.out.size(), reason.size()) << run.out << run.err;
    EXPECT_EQ(run.out.substr(run.out.size() - reason.size()), reason);
  }
  unlink(path.c_str());
}

}  // namespace
}  // namespace importtest
