// A whole export of a station built to hold the awkward cases: identifiers
// that differ from Numbers and have three or four digits, 16-bit -1, values the
// library leaves untouched, channel masks, prices around the thresholds, hose
// numbers that differ from their position, device details that cannot be read,
// and texts that need quotes to read back unchanged.
#include <gtest/gtest.h>

#include <string>

#include "tests/export/ExportExpected.h"
#include "tests/export/ExportSupport.h"

namespace {

using exporttest::Crlf;
using exporttest::RunExport;

const char kStation[] = R"json({
  "versions": {"dll": "4.2.1", "server": "4.2.0"},
  "ports": [
    {"id": 1, "number": 1, "name": "COM1", "protocolId": 3, "deviceType": 2, "serialNo": "SN-001",
     "zb2g": {"panId": 18, "channels": 2048, "keyA": 0, "keyB": 1},
     "details": ["d1", "d2", "FW 1.2.3"]},
    {"id": 3, "number": 8, "name": " COM3", "deviceType": 65535,
     "zb2g": {"panId": 107187, "channels": -1, "keyA": -81985529216486896,
              "keyB": 9223372036854775807},
     "details": ["a", "b", ""]},
    {"id": 5, "number": 5, "name": "COM5", "protocolId": 7, "deviceType": 0, "serialNo": "SN-005",
     "zb2g": {"panId": 4294967348, "channels": 134218752, "keyA": 0, "keyB": 0}},
    {"id": 123, "number": 4, "name": "Port 123", "protocolId": 2, "deviceType": 0,
     "serialNo": "SN-123", "details": ["", "", "FW 9"]}
  ],
  "grades": [
    {"id": 1, "number": 1, "name": "Unleaded 95", "shortName": "U95", "code": "95",
     "prices": {"1": 0.0, "2": 1.5, "3": -0.5, "4": 1.2, "8": 2.0}},
    {"id": 12, "number": 2, "name": "Diesel"}
  ],
  "tanks": [
    {"id": 2, "number": 1, "name": "Tank A", "grade": 1, "type": 65535, "capacity": 30000.0,
     "diameter": 2.5, "measures": [1, 2, 3, 4, 5, 6, 7, 8], "tankGauge": 5, "probe": 3},
    {"id": 4, "number": 2, "name": "Tank B"}
  ],
  "zigbee": [
    {"id": 5, "number": 1, "name": "Gateway", "deviceType": 2, "serialNumber": "Z1",
     "nodeIdentifier": "N1", "portId": 3, "details": ["a", "b", "ZB 2.0"]},
    {"id": 17, "number": 2, "name": "Probe", "deviceType": 4, "serialNumber": "Z2",
     "nodeIdentifier": "N2", "portId": 5},
    {"id": 300, "number": 3, "name": "Relay", "details": ["", "", "ZB 3.1"]}
  ],
  "pumps": [
    {"id": 3, "number": 3, "name": "Island 2 left", "physicalNumber": 3, "side": 1,
     "address": 3, "priceLevel1": 1, "priceLevel2": 2, "priceDspFormat": 3,
     "volumeDspFormat": 2, "valueDspFormat": 2, "pumpType": 4, "portId": 1,
     "attendantId": 7, "authMode": 1, "stackMode": 0, "prepayAllowed": 1,
     "preauthAllowed": 0, "slot": 2, "muxSlotZigBeeId": 5, "priceControl": 0,
     "hasPreset": 1,
     "hoses": [
       {"id": 7, "number": 1, "tank": 2, "physicalNumber": 1, "measures": [0, 0, 0, 0],
        "reader": 0, "price1": 1.259, "price2": 0, "enabled": 1},
       {"id": 8, "number": 3, "tank": 4, "physicalNumber": 2, "measures": [0, 0, 0, 0],
        "reader": 0, "price1": 0.1, "price2": 0.11, "enabled": 1},
       {"id": 9, "number": 12, "tank": 2, "physicalNumber": 3, "measures": [0, 0, 0, 0],
        "reader": 65535, "price1": 1259.9, "price2": 0.1000001, "enabled": 0}
     ]},
    {"id": 7, "number": 7, "name": "Pump 7", "side": 65535, "hoses": []}
  ],
  "attendants": [
    {"id": 7, "number": 1, "name": " Ann", "shortName": "A ", "password": "", "tag": "T1",
     "shiftAStart": 360, "shiftAEnd": 840, "shiftBStart": 65535, "shiftBEnd": 1320,
     "enabled": 1},
    {"id": 120, "number": 2, "name": "\"Bob\"", "shortName": "\"", "password": "12 34"}
  ],
  "cardClients": [
    {"id": 7, "number": 1, "name": "Fleet", "tag": "C1", "enabled": 1},
    {"id": 1234, "number": 2, "name": "Caf\u00e9", "tag": "Evil\r\n[Attendant07]"}
  ]
})json";

const char kPorts[] = R"ini(
[Port01]
Number=1
Name=COM1
SerialNo=SN-001
ProtocolID=3
DeviceType=2
PanID=0x0012
Channels= 11
KeyA=0x0000000000000000
KeyB=0x0000000000000001
FirmwareVersion=FW 1.2.3

[Port03]
Number=8
Name=" COM3"
SerialNo=
ProtocolID=-1
DeviceType=-1
PanID=0x1A2B3
Channels= 11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26
KeyA=0xFEDCBA9876543210
KeyB=0x7FFFFFFFFFFFFFFF
FirmwareVersion=
)ini";

// Port05 has no device details; under PAM the ports above 4 get a tank gauge,
// and the firmware version goes back into the port's section before it.
const char kPortsAbove4Pam[] = R"ini(
[Port05]
Number=5
Name=COM5
SerialNo=SN-005
ProtocolID=7
DeviceType=0
PanID=0x0034
Channels=
KeyA=0x0000000000000000
KeyB=0x0000000000000000

[TankGauge05]
Port=COM5
Protocol=7

[Port123]
Number=4
Name=Port 123
SerialNo=SN-123
ProtocolID=2
DeviceType=0
PanID=0x0000
Channels=
KeyA=0x0000000000000000
KeyB=0x0000000000000000
FirmwareVersion=FW 9
[TankGauge123]
Port=Port 123
Protocol=2
)ini";

const char kGradesAndTanks[] = R"ini(
[Grade01]
Number=1
Name=Unleaded 95
ShortName=U95
Code=95
Price02=1.500
Price03=-0.500
Price04=1.200
Price08=2.000

[Grade12]
Number=2
Name=Diesel
ShortName=
Code=

[Tank02]
Number=1
Name=Tank A
Grade=1
Type=-1
Capacity=30000.000
Diameter=2.500
TankGauge=5
Probe=3

[Tank04]
Number=2
Name=Tank B
Grade=-1
Type=0
Capacity=0.000
Diameter=0.000
TankGauge=-1
Probe=0
)ini";

const char kZigBee[] = R"ini(
[ZigBee05]
Number=1
Name=Gateway
DeviceType=2
SerialNumber=Z1
NodeIdentifier=N1
PortID=3
FirmwareVersion=ZB 2.0

[ZigBee17]
Number=2
Name=Probe
DeviceType=4
SerialNumber=Z2
NodeIdentifier=N2
PortID=5

[ZigBee300]
Number=3
Name=Relay
DeviceType=0
SerialNumber=
NodeIdentifier=
PortID=-1
FirmwareVersion=ZB 3.1
)ini";

const char kRest[] = R"ini(
[Pump03]
Number=3
Name=Island 2 left
PhysicalNumber=3
Side=1
Address=3
Slot=2
PriceLevel1=1
PriceLevel2=2
PriceDspFormat=3
VolumeDspFormat=2
ValueDspFormat=2
PumpType=4
PortID=1
AttendantID=7
AuthMode=1
StackMode=0
PrepayAllowed=1
PreauthAllowed=0
MuxSlotZigBeeID=5
PriceControl=0
HasPreset=1
Hose1ID=7
Hose1Tank=2
Hose1PhysicalNumber=1
Hose1Reader=0
Hose1Price1=1.259
Hose1Enabled=1
Hose3ID=8
Hose3Tank=4
Hose3PhysicalNumber=2
Hose3Reader=0
Hose3Price2=0.110
Hose3Enabled=1
Hose12ID=9
Hose12Tank=2
Hose12PhysicalNumber=3
Hose12Reader=-1
Hose12Price1=1259.900
Hose12Price2=0.100
Hose12Enabled=0

[Pump07]
Number=7
Name=Pump 7
PhysicalNumber=0
Side=-1
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

[Attendant07]
Number=1
Name=" Ann"
ShortName="A "
Password=
Tag=T1
ShiftAStart=360
ShiftAEnd=840
ShiftBStart=-1
ShiftBEnd=1320
Enabled=1

[Attendant120]
Number=2
Name=""Bob""
ShortName="""
Password=12 34
Tag=
ShiftAStart=0
ShiftAEnd=0
ShiftBStart=0
ShiftBEnd=0
Enabled=0

[Client007]
Number=1
Name=Fleet
Tag=C1
Enabled=1

[Client1234]
Number=2
Name=Caf)ini" "\xE9" R"ini(
Tag=Evil  [Attendant07]
Enabled=0
)ini";

TEST(ExportStation, EveryTableWithPamMatchesByteForByte) {
  e2e::Emulator emu(kStation);
  const std::string path = e2e::TempDir() + "/site.ini";
  const auto r = RunExport(emu, path, {"/PAM"});

  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, exporttest::NoDetailsLine("port 5") +
                       "  4 ports exported successfully.\n"
                       "  2 grades exported successfully.\n"
                       "  2 Tanks exported successfully.\n" +
                       exporttest::NoDetailsLine("ZigBee device 17") +
                       "  3 ZigBee devices exported successfully.\n"
                       "  2 Pumps exported successfully.\n"
                       "  2 Attendants exported successfully.\n"
                       "  2 Clients exported successfully.\n"
                       "\nAll done.\n");
  EXPECT_EQ(r.file, Crlf(exporttest::Application() + exporttest::Integration("PAM") + kPorts +
                         kPortsAbove4Pam + kGradesAndTanks + kZigBee + kRest));
  EXPECT_EQ(r.err, "");  // standard error is no terminal here: no progress

  // Ports ask for their details with -1 in the device place, devices with
  // their port (-1 when the library left it untouched) and their own id.
  EXPECT_EQ(exporttest::CallsNamed(emu, "GetDeviceDetails"),
            (std::vector<std::string>{"[1,-1]", "[3,-1]", "[5,-1]", "[123,-1]", "[3,5]",
                                      "[5,17]", "[-1,300]"}));
  // All eight levels of every grade are asked for.
  EXPECT_EQ(exporttest::CallsNamed(emu, "GetGradePrice").size(), 16u);
}

TEST(ExportStation, VersionWritesOnlyPortsAndZigBeeButAsksEveryCount) {
  e2e::Emulator emu(kStation);
  const std::string path = e2e::TempDir() + "/site.ini";
  const auto r = RunExport(emu, path, {"/PAM"}, "VERSION");

  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, exporttest::NoDetailsLine("port 5") + "  4 ports exported successfully.\n" +
                       exporttest::NoDetailsLine("ZigBee device 17") +
                       "  3 ZigBee devices exported successfully.\n"
                       "\nAll done.\n");
  EXPECT_EQ(r.file, Crlf(exporttest::Application() + exporttest::Integration("PAM") + kPorts +
                         kPortsAbove4Pam + kZigBee));
  for (const char* call : {"GetGradesCount", "GetTanksCount", "GetPumpsCount",
                           "GetAttendantsCount", "GetCardClientsCount"}) {
    EXPECT_EQ(exporttest::CallsNamed(emu, call).size(), 1u) << call;
  }
  for (const char* call : {"GetGradeByOrdinal", "GetTankByOrdinal", "GetPumpByOrdinal",
                           "GetAttendantByOrdinal", "GetCardClientByOrdinal"}) {
    EXPECT_TRUE(exporttest::CallsNamed(emu, call).empty()) << call;
  }
}

}  // namespace
