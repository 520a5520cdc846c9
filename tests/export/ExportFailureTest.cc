// A failing library call in each table: its line, -1, no later count line and
// no "All done.", and what was written before it stays in the file.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "tests/export/ExportExpected.h"
#include "tests/export/ExportSupport.h"

namespace {

using exporttest::Crlf;
using exporttest::RunExport;
using nlohmann::json;

// One record in every table, and a few more where a failure in the middle of
// a record or a table is of interest.
const char kStation[] = R"json({
  "versions": {"dll": "4.2.1", "server": "4.2.0"},
  "ports": [{"id": 1, "number": 1, "name": "COM1", "protocolId": 3, "deviceType": 0,
             "serialNo": "S1", "zb2g": {"panId": 1, "channels": 0, "keyA": 0, "keyB": 0},
             "details": ["", "", "F1"]}],
  "grades": [{"id": 1, "number": 1, "name": "U95", "shortName": "U", "code": "95",
              "prices": {"1": 1.1, "2": 1.2, "3": 1.3}}],
  "tanks": [{"id": 1, "number": 1, "name": "T1", "grade": 1, "type": 0, "capacity": 1000.0,
             "diameter": 2.0, "measures": [0, 0, 0, 0, 0, 0, 0, 0], "tankGauge": 1, "probe": 1}],
  "zigbee": [{"id": 5, "number": 1, "name": "Gateway", "deviceType": 2, "serialNumber": "Z1",
              "nodeIdentifier": "N1", "portId": 1, "details": ["", "", "ZB"]}],
  "pumps": [{"id": 1, "number": 1, "name": "P1",
             "hoses": [{"id": 11, "number": 1, "tank": 1, "physicalNumber": 1,
                        "measures": [0, 0, 0, 0], "reader": 0, "price1": 1.5, "price2": 0,
                        "enabled": 1},
                       {"id": 12, "number": 2, "tank": 1, "physicalNumber": 2,
                        "measures": [0, 0, 0, 0], "reader": 0, "price1": 1.6, "price2": 0,
                        "enabled": 1}]}],
  "attendants": [{"id": 1, "number": 1, "name": "Ann", "shortName": "A", "password": "1",
                  "tag": "T", "shiftAStart": 0, "shiftAEnd": 0, "shiftBStart": 0,
                  "shiftBEnd": 0, "enabled": 1}],
  "cardClients": [{"id": 1, "number": 1, "name": "C1", "tag": "1", "enabled": 1},
                  {"id": 2, "number": 2, "name": "C2", "tag": "2", "enabled": 1},
                  {"id": 3, "number": 3, "name": "C3", "tag": "3", "enabled": 1},
                  {"id": 4, "number": 4, "name": "C4", "tag": "4", "enabled": 1},
                  {"id": 5, "number": 5, "name": "C5", "tag": "5", "enabled": 1}]
})json";

// Count lines of the tables, in export order.
const char* const kCountLines[] = {
    "  1 ports exported successfully.\n",   "  1 grades exported successfully.\n",
    "  1 Tanks exported successfully.\n",   "  1 ZigBee devices exported successfully.\n",
    "  1 Pumps exported successfully.\n",   "  1 Attendants exported successfully.\n",
    "  5 Clients exported successfully.\n"};
// A section of each table, in export order.
const char* const kSections[] = {"[Port01]",   "[Grade01]",     "[Tank01]",   "[ZigBee05]",
                                 "[Pump01]",   "[Attendant01]", "[Client001]"};

std::string WithFault(const json& fault) {
  json fixture = json::parse(kStation);
  fixture["faults"] = json::array({fault});
  return fixture.dump();
}

struct FailureCase {
  const char* call;
  const char* message;
  int table;  // 0 for the Application section, else 1 (ports) to 7 (card clients)
};

TEST(ExportFailure, EveryFailingCallEndsTheExportWhereItStands) {
  const std::vector<FailureCase> cases = {
      {"DllVersion", "DllVersion failed.", 0},
      {"ServerVersion", "ServerVersion failed.", 0},
      {"GetPortsCount", "GetPortsCount failed.", 1},
      {"GetPortByOrdinal", "GetPortByOrdinal failed.", 1},
      {"GetPortProperties", "GetPortProperties failed.", 1},
      {"GetZB2GConfig", "GetZB2GConfig failed.", 1},
      {"GetGradesCount", "GetGradesCount failed", 2},
      {"GetGradeByOrdinal", "GetGradeByOrdinal failed.", 2},
      {"GetGradeProperties", "GetGradeProperties failed.", 2},
      {"GetGradePrice", "GetGradePrice failed.", 2},
      {"GetTanksCount", "GetTanksCount failed.", 3},
      {"GetTankByOrdinal", "GetTankByOrdinal failed.", 3},
      {"GetTankProperties", "GetTankProperties failed.", 3},
      {"GetZigBeeCount", "GetZigBeeCount failed.", 4},
      {"GetZigBeeByOrdinal", "GetZigBeeByOrdinal failed.", 4},
      {"GetZigBeeProperties", "GetZigBeeProperties failed.", 4},
      {"GetPumpsCount", "GetPumpsCount failed.", 5},
      {"GetPumpByOrdinal", "GetPumpByOrdinal failed.", 5},
      {"GetPumpPropertiesEx", "GetPumpProperties failed.", 5},
      {"GetPumpHosesCount", "GetPumpHosesCount failed.", 5},
      {"GetPumpHoseByNumber", "GetPumpHoseByNumber failed.", 5},
      {"GetHosePropertiesEx2", "GetHosePropertiesEx2 failed.", 5},
      {"GetAttendantsCount", "GetAttendantsCount failed.", 6},
      {"GetAttendantByOrdinal", "GetAttendantByOrdinal failed.", 6},
      {"GetAttendantPropertiesEx", "GetAttendantPropertiesEx failed.", 6},
      {"GetCardClientsCount", "GetCardClientsCount failed.", 7},
      {"GetCardClientByOrdinal", "GetCardClient failed.", 7},
      {"GetCardClientProperties", "GetCardClientProperties failed.", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    e2e::Emulator emu(WithFault({{"call", c.call}, {"code", exporttest::kFaultCode}}));
    const std::string path = e2e::TempDir() + "/site.ini";
    const auto r = RunExport(emu, path);
    EXPECT_EQ(r.exitCode, 255);
    std::string expected;
    for (int t = 1; t < c.table; ++t) expected += kCountLines[t - 1];
    expected += exporttest::FaultLine(c.message, c.call);
    EXPECT_EQ(r.out, expected);
    // The Application section's fixed keys are always there; the tables before
    // the failing one are complete, and no later table was touched.
    EXPECT_NE(r.file.find("IniVersion=22.02\r\n"), std::string::npos);
    for (int t = 1; t <= 7; ++t) {
      const bool present = r.file.find(kSections[t - 1]) != std::string::npos;
      if (t != c.table) {
        EXPECT_EQ(present, t < c.table) << kSections[t - 1];
      }
    }
  }
}

TEST(ExportFailure, VersionStillChecksTheCountsOfSkippedTables) {
  struct VersionCase {
    const char* call;
    std::string out;
  };
  const std::vector<VersionCase> cases = {
      {"GetTanksCount", std::string(kCountLines[0]) + exporttest::FaultLine("GetTanksCount failed.", "GetTanksCount")},
      {"GetCardClientsCount", std::string(kCountLines[0]) + kCountLines[3] +
                                  exporttest::FaultLine("GetCardClientsCount failed.",
                                                        "GetCardClientsCount")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    e2e::Emulator emu(WithFault({{"call", c.call}, {"code", exporttest::kFaultCode}}));
    const auto r = RunExport(emu, e2e::TempDir() + "/site.ini", {}, "VERSION");
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(r.out, c.out);
  }
}

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(ExportFailure, WhatWasWrittenBeforeTheFailureStays) {
  {
    SCOPED_TRACE("DllVersion");
    e2e::Emulator emu(WithFault({{"call", "DllVersion"}, {"code", exporttest::kFaultCode}}));
    const auto r = RunExport(emu, e2e::TempDir() + "/site.ini", {"/GSC"});
    EXPECT_EQ(r.file, Crlf("\n[Application]\nName=Tarvo2Serial service configuration\n"
                           "IniVersion=22.02\nDateGenerated=<date>\n"));
  }
  {
    SCOPED_TRACE("GetGradePrice at level 3: the lower levels stay");
    e2e::Emulator emu(WithFault(
        {{"call", "GetGradePrice"}, {"args", {1, 3}}, {"code", exporttest::kFaultCode}}));
    const auto r = RunExport(emu, e2e::TempDir() + "/site.ini");
    EXPECT_TRUE(EndsWith(r.file, Crlf("\n[Grade01]\nNumber=1\nName=U95\nShortName=U\nCode=95\n"
                                      "Price01=1.100\nPrice02=1.200\n")))
        << r.file;
  }
  {
    SCOPED_TRACE("GetHosePropertiesEx2 for the second hose: the pump and first hose stay");
    e2e::Emulator emu(WithFault(
        {{"call", "GetHosePropertiesEx2"}, {"args", {12}}, {"code", exporttest::kFaultCode}}));
    const auto r = RunExport(emu, e2e::TempDir() + "/site.ini");
    EXPECT_TRUE(EndsWith(r.file, Crlf("HasPreset=0\nHose1ID=11\nHose1Tank=1\n"
                                      "Hose1PhysicalNumber=1\nHose1Reader=0\n"
                                      "Hose1Price1=1.500\nHose1Enabled=1\n")))
        << r.file;
  }
  {
    SCOPED_TRACE("GetCardClientByOrdinal for the third of five: two clients stay");
    e2e::Emulator emu(WithFault(
        {{"call", "GetCardClientByOrdinal"}, {"args", {3}}, {"code", exporttest::kFaultCode}}));
    const auto r = RunExport(emu, e2e::TempDir() + "/site.ini");
    EXPECT_EQ(r.out, std::string(kCountLines[0]) + kCountLines[1] + kCountLines[2] +
                         kCountLines[3] + kCountLines[4] + kCountLines[5] +
                         exporttest::FaultLine("GetCardClient failed.", "GetCardClientByOrdinal"));
    EXPECT_TRUE(EndsWith(r.file, Crlf("\n[Client001]\nNumber=1\nName=C1\nTag=1\nEnabled=1\n"
                                      "\n[Client002]\nNumber=2\nName=C2\nTag=2\nEnabled=1\n")))
        << r.file;
  }
}

}  // namespace
