// The configuration file itself: an existing file is updated in place and
// keeps what this run does not write; a file that cannot be written is
// reported, not claimed as exported; a new file is private to its owner.
#include <gtest/gtest.h>

#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/export/ExportExpected.h"
#include "tests/export/ExportSupport.h"

namespace {

using exporttest::Crlf;
using exporttest::RunExport;

const char kStation[] = R"json({
  "versions": {"dll": "4.2.1", "server": "4.2.0"},
  "ports": [{"id": 1, "number": 1, "name": "COM1", "protocolId": 3, "deviceType": 0,
             "serialNo": "S1", "zb2g": {"panId": 1, "channels": 0, "keyA": 0, "keyB": 0}}],
  "pumps": [{"id": 3, "number": 3, "name": "P3",
             "hoses": [{"id": 31, "number": 1, "tank": 1, "physicalNumber": 1,
                        "measures": [0, 0, 0, 0], "reader": 0, "price1": 1.5, "price2": 0,
                        "enabled": 1},
                       {"id": 33, "number": 3, "tank": 1, "physicalNumber": 2,
                        "measures": [0, 0, 0, 0], "reader": 0, "price1": 0.1, "price2": 0,
                        "enabled": 1}]}]
})json";

// An earlier export, edited by hand: keys in another order, keys and sections
// this run does not write, a GSC section and a firmware version that this run
// cannot read again.
const char kEarlier[] = R"ini([Application]
Name=Old name
Custom=kept
DateGenerated=yesterday

[GSC]
GSC=Yes
Name=10.0.0.1
CommandPort=7001

[Port01]
FirmwareVersion=FW OLD
Number=99
Stale=kept

[Pump03]
Number=4
Hose3Price1=9.999
Hose5ID=55
Hose1Price2=4.000

[Other]
Key=kept
)ini";

const char kUpdated[] = R"ini([Application]
Name=Tarvo2Serial service configuration
Custom=kept
DateGenerated=<date>
IniVersion=22.02
ClientVersion=4.2.1
ServerVersion=4.2.0
[GSC]
GSC=Yes
Name=10.0.0.1
CommandPort=7001

[Port01]
FirmwareVersion=FW OLD
Number=1
Stale=kept
Name=COM1
SerialNo=S1
ProtocolID=3
DeviceType=0
PanID=0x0001
Channels=
KeyA=0x0000000000000000
KeyB=0x0000000000000000
[Pump03]
Number=3
Hose3Price1=9.999
Hose5ID=55
Hose1Price2=4.000
Name=P3
PhysicalNumber=0
Side=0
Address=0
Slot=-1
PriceLevel1=0
PriceLevel2=0
PriceDspFormat=0
VolumeDspFormat=0
ValueDspFormat=0
PumpType=0
PortID=0
AttendantID=-1
AuthMode=0
StackMode=0
PrepayAllowed=0
PreauthAllowed=0
MuxSlotZigBeeID=-1
PriceControl=0
HasPreset=0
Hose1ID=31
Hose1Tank=1
Hose1PhysicalNumber=1
Hose1Reader=0
Hose1Price1=1.500
Hose1Enabled=1
Hose3ID=33
Hose3Tank=1
Hose3PhysicalNumber=2
Hose3Reader=0
Hose3Enabled=1
[Other]
Key=kept
)ini";

TEST(ExportFile, ReExportReplacesKeysInPlaceAndKeepsTheRest) {
  e2e::Emulator emu(kStation);
  const std::string path = e2e::TempDir() + "/site.ini";
  e2e::WriteFile(path, Crlf(kEarlier));
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);

  const auto r = RunExport(emu, path);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, exporttest::NoDetailsLine("port 1") +
                       "  1 ports exported successfully.\n  1 Pumps exported successfully.\n"
                       "\nAll done.\n");
  EXPECT_EQ(r.file, Crlf(kUpdated));
  // An existing file keeps its permissions.
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);

  // A second export changes nothing but the stamp.
  const auto again = RunExport(emu, path);
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.file, r.file);
}

TEST(ExportFile, NewFileIsReadableAndWritableByItsOwnerOnly) {
  if (std::getenv("TARVO_LAUNCHER") != nullptr) {
    GTEST_SKIP() << "POSIX file modes: a Windows program's new file takes its folder's access "
                    "rights";
  }
  e2e::Emulator emu(kStation);
  const std::string path = e2e::TempDir() + "/site.ini";
  ASSERT_EQ(RunExport(emu, path).exitCode, 0);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(ExportFile, UnwritableFileIsReportedBeforeAnyTableIsRead) {
  e2e::Emulator emu(kStation);
  const std::string dir = e2e::TempDir();
  struct Case {
    std::string path;
    std::string reason;
  };
  const Case cases[] = {
      {dir + "/missing/site.ini", "No such file or directory"},
      {dir, "Is a directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    emu.ClearJournal();
    const auto r = RunExport(emu, c.path);
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(r.out, "Cannot write configuration file " + c.path + " - " + c.reason + ".\n");
    EXPECT_TRUE(exporttest::CallsNamed(emu, "DllVersion").empty());
    EXPECT_TRUE(exporttest::CallsNamed(emu, "GetPortsCount").empty());
  }
}

TEST(ExportFile, FileThatCannotBeSavedAtTheEndIsReportedNotClaimed) {
  // The pump count is answered late; meanwhile the file's folder goes away,
  // so the run gets through every table and then cannot write the file.
  e2e::Emulator emu(R"json({
    "versions": {"dll": "4.2.1", "server": "4.2.0"},
    "ports": [{"id": 1, "number": 1, "name": "COM1", "details": ["", "", "F1"]}],
    "faults": [{"call": "GetPumpsCount", "delayMs": 1500}]
  })json");
  const std::string dir = e2e::TempDir() + "/gone";
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  const std::string path = dir + "/site.ini";

  std::thread remover([&] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (exporttest::CallsNamed(emu, "GetPumpsCount").empty() &&
           std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::remove(path.c_str());
    rmdir(dir.c_str());
  });
  const e2e::Run run = e2e::RunTarvo({"EXPORT", path, emu.Server()});
  remover.join();

  EXPECT_EQ(run.exitCode, 255);
  EXPECT_EQ(exporttest::AfterConnect(run.out),
            "  1 ports exported successfully.\n"
            "Cannot write configuration file " + path + " - No such file or directory.\n");
}

// A folder whose name the ANSI code page cannot spell ("Ł" is in no Western
// code page): the name reaches the file calls whole, in the drive-letter
// form a Windows user types, and the file holds the same bytes as one
// written into a plain folder.
TEST(ExportFile, FolderNamedOutsideTheAnsiCodePage) {
  e2e::Emulator emu(kStation);
  const std::string dir = e2e::TempDir();
  const std::string folder = dir + "/\xC5\x81\xC3\xB3" "d\xC5\xBA";  // Łódź in UTF-8
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  std::string argument = folder + "/site.ini";
  if (std::getenv("TARVO_LAUNCHER") != nullptr) {
    // wine reads a Windows program's command line in the character set of
    // the Unix locale: without UTF-8 it cannot carry the name.
    const locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    const bool utf8 = user != static_cast<locale_t>(0) &&
                      std::string(nl_langinfo_l(CODESET, user)) == "UTF-8";
    if (user != static_cast<locale_t>(0)) freelocale(user);
    if (!utf8) GTEST_SKIP() << "the locale's character set is not UTF-8";
    argument = "Z:" + argument;
    for (char& c : argument) {
      if (c == '/') c = '\\';
    }
  }
  const e2e::Run run = e2e::RunTarvo({"EXPORT", argument, emu.Server()});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(exporttest::AfterConnect(run.out),
            exporttest::NoDetailsLine("port 1") +
                "  1 ports exported successfully.\n  1 Pumps exported successfully.\n"
                "\nAll done.\n");

  const auto plain = RunExport(emu, dir + "/site.ini");
  ASSERT_EQ(plain.exitCode, 0);
  EXPECT_EQ(exporttest::MaskDate(e2e::ReadFile(folder + "/site.ini")), plain.file);
}

}  // namespace
