// The configuration file as the import meets it: only ever read, and a file
// that cannot be read is reported, never taken for an empty station.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"
#include "tests/support/ChildProcess.h"

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

// True when a user other than the owner may run the program: every folder
// on its way may be passed through by others (a clone in a folder made by
// mktemp -d is not).
bool OthersCanRun(const std::string& program) {
  for (std::string path = program; !path.empty() && path != "/";
       path = path.substr(0, path.find_last_of('/'))) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || (st.st_mode & S_IXOTH) == 0) return false;
    if (path.find('/') == std::string::npos) break;
  }
  return true;
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
  e2e::Emulator emulator;
  const auto check = [&emulator](const Case& c) {
    SCOPED_TRACE(c.path);
    Imported r = ImportPath(emulator, c.path);
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(r.out, "Cannot read configuration file " + c.path + " - " + c.reason + ".\n");
    EXPECT_EQ(r.sets, json::array());
  };
  for (const Case& c : cases) check(c);
  EXPECT_FALSE(Exists(folder + "/missing.ini"));
  EXPECT_FALSE(Exists(folder + "/no-folder"));

  // Root reads whatever the permissions say: run by root, the program reads
  // the locked file as the user nobody (a launcher's own files are root's).
  if (geteuid() == 0 && std::getenv("TARVO_LAUNCHER") != nullptr) return;
  if (geteuid() == 0 && !OthersCanRun(e2e::TarvoPath())) {
    GTEST_SKIP() << "the user nobody cannot reach " << e2e::TarvoPath()
                 << " (a folder on its way is closed to others)";
  }
  InChild(Privileges::kNobody, [&check] {
    char locked_folder[] = "/tmp/tarvo-locked-XXXXXX";
    ASSERT_NE(mkdtemp(locked_folder), nullptr);
    const std::string locked = std::string(locked_folder) + "/locked.ini";
    e2e::WriteFile(locked, kOnePort);
    chmod(locked.c_str(), 0);
    check({locked, "Permission denied"});
    unlink(locked.c_str());
    rmdir(locked_folder);
  });
}

// Sections in the reverse of the tables' order: the steps' order decides, and
// every record lands in the controller whole.
TEST(ImportFile, TablesInStepOrderWhateverTheFileOrder) {
  e2e::Emulator emulator;
  Imported r = Import(emulator,
                      "[Client001]\r\nNumber=1\r\nName=Fleet\r\nTag=C1\r\nEnabled=1\r\n"
                      "[Attendant01]\r\nNumber=1\r\nName=Ann\r\nShortName=A\r\n"
                      "Password=1234\r\nTag=T1\r\nShiftAStart=360\r\nShiftAEnd=840\r\n"
                      "ShiftBStart=0\r\nShiftBEnd=0\r\nEnabled=1\r\n"
                      "[Pump01]\r\nNumber=1\r\nName=Pump 1\r\nPhysicalNumber=1\r\n"
                      "PortID=2\r\nAttendantID=1\r\nSlot=-1\r\nMuxSlotZigBeeID=5\r\n"
                      "Hose1ID=7\r\nHose1Tank=1\r\nHose1PhysicalNumber=1\r\n"
                      "Hose1Price1=1.259\r\nHose1Enabled=1\r\n"
                      "[ZigBee05]\r\nNumber=1\r\nName=Gateway\r\nDeviceType=2\r\n"
                      "SerialNumber=Z1\r\nNodeIdentifier=N1\r\nPortID=2\r\n"
                      "[Tank01]\r\nNumber=1\r\nName=Tank 1\r\nGrade=1\r\nType=0\r\n"
                      "Capacity=30000.000\r\nDiameter=2.500\r\nTankGauge=1\r\nProbe=0\r\n"
                      "[Grade01]\r\nNumber=1\r\nName=Unleaded 95\r\nShortName=U95\r\n"
                      "Code=95\r\nPrice01=1.259\r\nPrice02=1.300\r\n"
                      "[Port02]\r\nNumber=2\r\nName=COM2\r\nSerialNo=SN2\r\n"
                      "ProtocolID=3\r\nDeviceType=0\r\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Summary(r.sets),
            "Port 2, Grade 1, Price 1/1, Price 1/2, Tank 1, ZigBee 5, Pump 1, Hose 7/1/1, "
            "Attendant 1, CardClient 1");
  EXPECT_EQ(r.out,
            "  1 ports imported successfully.\n  1 grades imported successfully.\n"
            "  1 tanks imported successfully.\n  1 ZigBee devices imported successfully.\n"
            "  1 pumps imported successfully.\n  1 attendants imported successfully.\n"
            "  1 clients imported successfully.\n\nAll done.\n");

  json state = emulator.State();
  for (const char* setting : {"versions", "keepOrder"}) state.erase(setting);
  EXPECT_EQ(state, json::parse(R"({
    "ports": [{"id": 2, "number": 2, "name": "COM2", "protocolId": 3, "deviceType": 0,
               "serialNo": "SN2"}],
    "grades": [{"id": 1, "number": 1, "name": "Unleaded 95", "shortName": "U95", "code": "95",
                "prices": {"1": 1.259, "2": 1.3}}],
    "tanks": [{"id": 1, "number": 1, "name": "Tank 1", "grade": 1, "type": 0,
               "capacity": 30000.0, "diameter": 2.5, "measures": [0, 0, 0, 0, 0, 0, 0, 0],
               "tankGauge": 1, "probe": 0}],
    "zigbee": [{"id": 5, "number": 1, "name": "Gateway", "deviceType": 2,
                "serialNumber": "Z1", "nodeIdentifier": "N1", "portId": 2}],
    "pumps": [{"id": 1, "number": 1, "name": "Pump 1", "physicalNumber": 1, "side": 0,
               "address": 0, "priceLevel1": 0, "priceLevel2": 0, "priceDspFormat": 0,
               "volumeDspFormat": 0, "valueDspFormat": 0, "pumpType": 0, "portId": 2,
               "attendantId": 1, "authMode": 0, "stackMode": 0, "prepayAllowed": 0,
               "preauthAllowed": 0, "slot": -1, "muxSlotZigBeeId": 5, "priceControl": 0,
               "hasPreset": 0,
               "hoses": [{"id": 7, "number": 1, "pumpId": 1, "tank": 1, "physicalNumber": 1,
                          "measures": [0, 0, 0, 0], "reader": 0, "price1": 1.259,
                          "price2": 0.0, "enabled": 1}]}],
    "attendants": [{"id": 1, "number": 1, "name": "Ann", "shortName": "A", "password": "1234",
                    "tag": "T1", "shiftAStart": 360, "shiftAEnd": 840, "shiftBStart": 0,
                    "shiftBEnd": 0, "enabled": 1}],
    "cardClients": [{"id": 1, "number": 1, "name": "Fleet", "tag": "C1", "enabled": 1}]
  })"));
}

}  // namespace
}  // namespace importtest
