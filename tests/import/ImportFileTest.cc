// The configuration file as the import meets it: only ever read, and a file
// that cannot be read is reported, never taken for an empty station.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"

namespace importtest {
namespace {

const char kOnePort[] =
    "[Port01]\r\nNumber=1\r\nName=COM1\r\nSerialNo=S1\r\nProtocolID=3\r\n";

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
