// The configuration file as the import meets it: only ever read, and a file
// that cannot be read is reported, never taken for an empty station.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"

namespace importtest {
namespace {

const char kOnePort[] =
    "[Port01]\r\nNumber=1\r\nName=COM1\r\nSerialNo=S1\r\nProtocolID=3\r\n";

// Root opens a file for writing whatever its mode says; an immutable file it
// cannot. Where the file system or the privileges allow no such flag, the
// mode alone has to do.
class Immutable {
 public:
  explicit Immutable(const std::string& path) : path_(path) { set_ = Flag(true); }
  ~Immutable() {
    if (set_) Flag(false);
  }

 private:
  bool Flag(bool on) {
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
  }

  std::string path_;
  bool set_ = false;
};

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

TEST(ImportFile, EmptyFileTriesEveryTableAndWritesNothing) {
  e2e::Emulator emulator;
  Imported r = Import(emulator, "");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "\nAll done.\n");
  EXPECT_EQ(r.sets, json::array());
  EXPECT_EQ(e2e::ReadFile(r.path), "");
}

TEST(ImportFile, ReadOnlyFileImportsAndStaysAsItWas) {
  e2e::Emulator emulator;
  std::string path = e2e::TempDir() + "/readonly.ini";
  e2e::WriteFile(path, kOnePort);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  Immutable immutable(path);

  Imported r = ImportPath(emulator, path);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "  1 ports imported successfully.\n\nAll done.\n");
  EXPECT_EQ(Summary(r.sets), "Port 1");
  EXPECT_EQ(e2e::ReadFile(path), kOnePort);
  struct stat info;
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0444u);
}

TEST(ImportFile, UnreadableFileIsReportedAndNothingIsWritten) {
  std::string folder = e2e::TempDir();
  struct Case {
    std::string path;
    std::string reason;
  };
  std::vector<Case> cases = {
      {folder + "/missing.ini", "No such file or directory"},
      {folder, "Is a directory"},
      {folder + "/no-folder/a.ini", "No such file or directory"},
  };
  // Root reads whatever the permissions say.
  if (geteuid() != 0) {
    std::string locked = folder + "/locked.ini";
    e2e::WriteFile(locked, kOnePort);
    chmod(locked.c_str(), 0);
    cases.push_back({locked, "Permission denied"});
  }

  e2e::Emulator emulator;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Imported r = ImportPath(emulator, c.path);
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(r.out, "Cannot read configuration file " + c.path + " - " + c.reason + ".\n");
    EXPECT_EQ(r.sets, json::array());
  }
  EXPECT_FALSE(Exists(folder + "/missing.ini"));
  EXPECT_FALSE(Exists(folder + "/no-folder"));
}

}  // namespace
}  // namespace importtest
