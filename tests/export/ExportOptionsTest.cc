// Which header sections each option combination writes, the tank-gauge
// sections that only PAM adds, and the count lines of empty tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/export/ExportExpected.h"
#include "tests/export/ExportSupport.h"

namespace {

using exporttest::Crlf;
using exporttest::RunExport;

const char kTwoPorts[] = R"json({
  "versions": {"dll": "4.2.1", "server": "4.2.0"},
  "ports": [
    {"id": 3, "number": 3, "name": "COM3", "protocolId": 1, "deviceType": 0, "serialNo": "S3",
     "zb2g": {"panId": 0, "channels": 0, "keyA": 0, "keyB": 0}, "details": ["", "", "F3"]},
    {"id": 5, "number": 5, "name": "COM5", "protocolId": 9, "deviceType": 0, "serialNo": "S5",
     "zb2g": {"panId": 0, "channels": 0, "keyA": 0, "keyB": 0}, "details": ["", "", "F5"]}
  ]
})json";

std::string Ports(bool tankGauge) {
  std::string s = R"ini(
[Port03]
Number=3
Name=COM3
SerialNo=S3
ProtocolID=1
DeviceType=0
PanID=0x0000
Channels=
KeyA=0x0000000000000000
KeyB=0x0000000000000000
FirmwareVersion=F3

[Port05]
Number=5
Name=COM5
SerialNo=S5
ProtocolID=9
DeviceType=0
PanID=0x0000
Channels=
KeyA=0x0000000000000000
KeyB=0x0000000000000000
FirmwareVersion=F5
)ini";
  if (tankGauge) {
    // The gauge section is written before the firmware version, which then
    // goes back into the port's section: inserted after its last key, it
    // takes the place of the empty line before the gauge's header.
    const std::string fw = "FirmwareVersion=F5\n";
    s.erase(s.size() - fw.size());
    s += "FirmwareVersion=F5\n[TankGauge05]\nPort=COM5\nProtocol=9\n";
  }
  return s;
}

struct OptionCase {
  std::vector<std::string> options;
  std::string protocol;  // empty: no integration sections
  bool gsc;
  bool ipt;
};

TEST(ExportOptions, EachCombinationWritesItsHeaderSections) {
  const std::vector<OptionCase> cases = {
      {{}, "", false, false},
      {{"/PAM"}, "PAM", false, false},
      {{"/COMPANY"}, "Company", false, false},
      {{"/Company", "/PAM"}, "PAM", false, false},
      {{"/PAM", "/company"}, "Company", false, false},
      {{"/GSC"}, "PAM", true, false},
      {{"/IPT"}, "PAM", true, true},
      {{"/IPT", "/COMPANY"}, "PAM", true, true},
  };
  e2e::Emulator emu(kTwoPorts);
  for (const auto& c : cases) {
    std::string label;
    for (const auto& o : c.options) label += o + " ";
    SCOPED_TRACE("options: " + label);
    const std::string path = e2e::TempDir() + "/site.ini";
    const auto r = RunExport(emu, path, c.options);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "  2 ports exported successfully.\n\nAll done.\n");
    std::string expected = exporttest::Application();
    if (!c.protocol.empty()) expected += exporttest::Integration(c.protocol);
    if (c.gsc) expected += exporttest::Gsc();
    if (c.ipt) expected += exporttest::Ipt();
    // Tank gauges come with the PAM protocol only.
    expected += Ports(c.protocol == "PAM");
    EXPECT_EQ(r.file, Crlf(expected));
  }
}

TEST(ExportOptions, EmptyControllerPrintsOnlyThePortsLine) {
  e2e::Emulator emu(R"json({"versions": {"dll": "4.2.1", "server": "4.2.0"}})json");
  for (const std::string command : {"EXPORT", "VERSION"}) {
    const std::string path = e2e::TempDir() + "/site.ini";
    const auto r = RunExport(emu, path, {}, command);
    EXPECT_EQ(r.exitCode, 0) << command;
    EXPECT_EQ(r.out, "  0 ports exported successfully.\n\nAll done.\n") << command;
    EXPECT_EQ(r.file, Crlf(exporttest::Application())) << command;
  }
}

}  // namespace
