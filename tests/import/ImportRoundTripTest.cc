// EXPORT from one controller, IMPORT of that file into an empty one, EXPORT
// again: every field the file carries comes back; the rest is listed here.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"

namespace importtest {
namespace {

struct RoundTrip {
  json original;    // the first controller
  json imported;    // the second controller after the import
  json reimported;  // the first controller after the import of its own export
  std::string first;
  std::string second;
};

RoundTrip TravelRound(const json& station) {
  RoundTrip trip;
  e2e::Emulator source(station);
  trip.original = source.State();
  std::string dir = e2e::TempDir();
  e2e::Run exported = e2e::RunTarvo({"EXPORT", dir + "/first.ini", source.Server()});
  EXPECT_EQ(exported.exitCode, 0) << exported.out;

  // The same versions, so that the two files' headers can be compared.
  e2e::Emulator target(json{{"versions", trip.original["versions"]}});
  Imported imported = ImportPath(target, dir + "/first.ini");
  EXPECT_EQ(imported.exitCode, 0) << imported.out;
  trip.imported = target.State();

  e2e::Run again = e2e::RunTarvo({"EXPORT", dir + "/second.ini", target.Server()});
  EXPECT_EQ(again.exitCode, 0) << again.out;
  trip.first = e2e::ReadFile(dir + "/first.ini");
  trip.second = e2e::ReadFile(dir + "/second.ini");

  Imported back = ImportPath(source, dir + "/first.ini");
  EXPECT_EQ(back.exitCode, 0) << back.out;
  trip.reimported = source.State();
  return trip;
}

json ById(const json& records) {
  json out = json::object();
  for (json record : records) {
    std::string id = record.at("id").dump();
    record.erase("id");
    out[id] = record;
  }
  return out;
}

// A station as the configuration file can carry it: records keyed by their
// identifiers, without what the file never holds. These are the fields no
// round trip carries:
//   - the tanks' eight and the hoses' four further measures (no keys; the
//     import passes those the controller holds, 0.0 for a new record),
//   - the ports' ZigBee gateway settings and the device details of ports and
//     ZigBee devices, firmware versions included (written, never read back),
//   - the controller's settings (versions, order, counts, faults).
json Carried(const json& state) {
  json out = json::object();
  for (const char* table : {"ports", "grades", "tanks", "zigbee", "pumps", "attendants",
                            "cardClients"}) {
    out[table] = ById(state.value(table, json::array()));
  }
  for (auto& port : out["ports"]) {
    port.erase("zb2g");
    port.erase("details");
  }
  for (auto& tank : out["tanks"]) tank.erase("measures");
  for (auto& device : out["zigbee"]) device.erase("details");
  for (auto& pump : out["pumps"]) {
    pump["hoses"] = ById(pump.value("hoses", json::array()));
    for (auto& hose : pump["hoses"]) hose.erase("measures");
  }
  return out;
}

// What differs from before to after, one "path: new value" (or "path:
// removed") per field, sorted.
std::vector<std::string> Losses(const json& before, const json& after) {
  std::vector<std::string> lines;
  for (const json& op : json::diff(Carried(before), Carried(after))) {
    std::string path = op["path"].get<std::string>();
    std::string op_name = op["op"].get<std::string>();
    lines.push_back(path + ": " + (op_name == "remove" ? "removed" : op["value"].dump()));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The lines that name when and from what a file was written.
std::string Masked(const std::string& file) {
  std::istringstream in(file);
  std::string line;
  std::string out;
  while (std::getline(in, line)) {
    bool varies = false;
    for (const char* key : {"DateGenerated=", "FirmwareVersion=", "PanID=", "Channels=",
                            "KeyA=", "KeyB="}) {
      if (line.rfind(key, 0) == 0) varies = true;
    }
    if (!varies) out += line + "\n";
  }
  return out;
}

TEST(ImportRoundTrip, SampleStationComesBackWhole) {
  std::ifstream file(TARVO_SOURCE_DIR "/examples/sample-station.json");
  ASSERT_TRUE(file.good()) << "examples/sample-station.json";
  json station = json::parse(file);

  // The sample's hoses hold no measures; one that does shows them kept.
  station["pumps"][0]["hoses"][0]["measures"] = {0.5, 1.25, 2.0, 3.0};
  RoundTrip trip = TravelRound(station);
  for (const char* table : {"ports", "grades", "tanks", "zigbee", "pumps", "attendants",
                            "cardClients"}) {
    EXPECT_FALSE(trip.imported[table].empty()) << table;
  }
  EXPECT_EQ(Losses(trip.original, trip.imported), std::vector<std::string>{});
  EXPECT_EQ(Carried(trip.imported), Carried(trip.original));
  EXPECT_EQ(Masked(trip.second), Masked(trip.first));

  // Into the controller it came from: nothing changes, the measures the file
  // has no keys for included. Into an empty one they are 0.
  EXPECT_EQ(trip.reimported, trip.original);
  EXPECT_EQ(trip.original["tanks"][0]["measures"][0], 1250.0);
  for (const json& tank : trip.imported["tanks"]) {
    EXPECT_EQ(tank["measures"], json(std::vector<double>(8, 0.0))) << tank["id"];
  }
  for (const json& pump : trip.imported["pumps"]) {
    for (const json& hose : pump["hoses"]) {
      EXPECT_EQ(hose["measures"], json(std::vector<double>(4, 0.0))) << hose["id"];
    }
  }
}

// Runs iconv over a file and gives what it wrote.
std::string Iconv(const char* from, const char* to, const std::string& path) {
  e2e::Run run = e2e::RunCommand({"iconv", "-f", from, "-t", to, path});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return run.out;
}

json Imports(const std::string& path, json* state = nullptr) {
  e2e::Emulator target;
  Imported imported = ImportPath(target, path);
  EXPECT_EQ(imported.exitCode, 0) << path << ": " << imported.out;
  if (state != nullptr) *state = target.State();
  return imported.sets;
}

// Files as editors save them. A file with a UTF-8 or UTF-16 byte-order mark
// keeps it through EXPORT and carries every text whole, letters beyond one
// byte too; a plain file converted by iconv imports as the plain file does.
TEST(ImportRoundTrip, FilesWithAByteOrderMark) {
  std::ifstream sample(TARVO_SOURCE_DIR "/examples/sample-station.json");
  ASSERT_TRUE(sample.good()) << "examples/sample-station.json";
  json station = json::parse(sample);
  station["grades"][0]["name"] = "\u03a9mega Caf\u00e9 \u20ac";
  e2e::Emulator source(station);
  const json original = source.State();
  const std::string dir = e2e::TempDir();
  e2e::WriteFile(dir + "/utf8.ini", "\xEF\xBB\xBF");
  e2e::WriteFile(dir + "/utf16.ini", "\xFF\xFE");
  for (const char* name : {"plain.ini", "utf8.ini", "utf16.ini"}) {
    e2e::Run run = e2e::RunTarvo({"EXPORT", dir + "/" + name, source.Server()});
    ASSERT_EQ(run.exitCode, 0) << name << ": " << run.out;
  }
  const std::string utf8 = e2e::ReadFile(dir + "/utf8.ini");
  ASSERT_EQ(utf8.rfind("\xEF\xBB\xBF\r\n[Application]\r\n", 0), 0u) << utf8.substr(0, 40);
  EXPECT_NE(utf8.find("Name=\xCE\xA9mega Caf\xC3\xA9 \xE2\x82\xAC\r\n"), std::string::npos);
  const std::string utf16Start("\xFF\xFE\r\0\n\0[\0A\0", 10);
  ASSERT_EQ(e2e::ReadFile(dir + "/utf16.ini").rfind(utf16Start, 0), 0u);
  EXPECT_EQ(Masked(Iconv("UTF-16", "UTF-8", dir + "/utf16.ini")), Masked(utf8.substr(3)));

  for (const char* name : {"utf8.ini", "utf16.ini"}) {
    SCOPED_TRACE(name);
    json imported;
    Imports(dir + "/" + name, &imported);
    EXPECT_EQ(Carried(imported), Carried(original));
  }

  const json plain = Imports(dir + "/plain.ini");
  EXPECT_FALSE(plain.empty());
  e2e::WriteFile(dir + "/iconv-utf8.ini",
                 "\xEF\xBB\xBF" + Iconv("LATIN1", "UTF-8", dir + "/plain.ini"));
  e2e::WriteFile(dir + "/iconv-utf16le.ini", Iconv("LATIN1", "UTF-16", dir + "/plain.ini"));
  e2e::WriteFile(dir + "/iconv-utf16be.ini",
                 "\xFE\xFF" + Iconv("LATIN1", "UTF-16BE", dir + "/plain.ini"));
  for (const char* name : {"iconv-utf8.ini", "iconv-utf16le.ini", "iconv-utf16be.ini"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Imports(dir + "/" + name), plain);
  }
}

// One record of each kind the file cannot carry whole; every other field of
// these records comes back.
const char kLossyStation[] = R"({
  "versions": {"dll": "4.2.1", "server": "4.2.0"},
  "ports": [
    {"id": 1, "number": 1, "name": "COM1", "protocolId": 70000, "deviceType": 2,
     "serialNo": "S1", "zb2g": {"panId": 4660, "channels": 2048, "keyA": 1, "keyB": 2},
     "details": ["d1", "d2", "FW 1.0"]},
    {"id": 2, "number": 2, "name": " Front, \"court\" ", "protocolId": -3, "deviceType": -1,
     "serialNo": "\"S2\""},
    {"id": 3, "number": 0, "name": "Spare", "protocolId": 1, "deviceType": 0, "serialNo": ""},
    {"id": 100, "number": 100, "name": "Far", "protocolId": 1, "deviceType": 0, "serialNo": ""}],
  "grades": [
    {"id": 1, "number": 1, "name": "Unleaded 95", "shortName": "U95", "code": "95",
     "prices": {"1": 1.5, "3": 2.0}},
    {"id": 2, "number": 2, "name": "Diesel", "shortName": "D", "code": "D",
     "prices": {"1": -0.5, "2": 1.2}},
    {"id": 3, "number": 3, "name": "Café Ωmega", "shortName": "C", "code": "=C",
     "prices": {"1": 1.23456}},
    {"id": 12, "number": 12, "name": "Gap", "shortName": "G", "code": "G"},
    {"id": 120, "number": 120, "name": "Far grade", "shortName": "F", "code": "F",
     "prices": {"1": 3.0}}],
  "tanks": [
    {"id": 1, "number": 1, "name": "T1", "grade": 1, "type": -1, "capacity": 1234.5678,
     "diameter": 2.5, "measures": [1, 2, 3, 4, 5, 6, 7, 8], "tankGauge": 1, "probe": 2},
    {"id": 2, "number": 2, "name": "T2", "grade": 2, "type": 0, "capacity": -5.0,
     "diameter": -1.0, "measures": [0, 0, 0, 0, 0, 0, 0, 0], "tankGauge": -1, "probe": 0},
    {"id": 150, "number": 150, "name": "Far tank", "grade": 120, "type": 0, "capacity": 10.0,
     "diameter": 1.0, "measures": [0, 0, 0, 0, 0, 0, 0, 0], "tankGauge": -1, "probe": 0},
    {"id": 160, "number": 160, "name": "Unused", "grade": 1, "type": 0, "capacity": 10.0,
     "diameter": 1.0, "measures": [0, 0, 0, 0, 0, 0, 0, 0], "tankGauge": -1, "probe": 0}],
  "zigbee": [
    {"id": 3, "number": 3, "name": "Low", "deviceType": 1, "serialNumber": "Z3",
     "nodeIdentifier": "N3", "portId": 1},
    {"id": 5, "number": 5, "name": "Gateway", "deviceType": 2, "serialNumber": "Z5",
     "nodeIdentifier": "N5", "portId": 1, "details": ["a", "b", "ZB 2.0"]}],
  "attendants": [
    {"id": 1, "number": 1, "name": "Ann\nMarie", "shortName": "AM", "password": "\"pw\"",
     "tag": "T1", "shiftAStart": 360, "shiftAEnd": 840, "shiftBStart": -1, "shiftBEnd": -1,
     "enabled": 1},
    {"id": 2, "number": 0, "name": "Nobody", "shortName": "N", "password": "", "tag": "",
     "shiftAStart": 0, "shiftAEnd": 0, "shiftBStart": 0, "shiftBEnd": 0, "enabled": 0}],
  "cardClients": [
    {"id": 1, "number": 1, "name": "Fleet", "tag": "", "enabled": 1},
    {"id": 20, "number": 20, "name": "Late", "tag": "C20", "enabled": 1}]
})";

json Hose(int id, int number, int tank, double price1 = 1.0, double price2 = 0.0) {
  return {{"id", id},         {"number", number}, {"tank", tank},
          {"physicalNumber", number}, {"measures", {1, 2, 3, 4}}, {"reader", 0},
          {"price1", price1}, {"price2", price2}, {"enabled", 1}};
}

json Pump(int id, json hoses) {
  json pump = json::parse(R"({"name": "Pump", "physicalNumber": 1, "side": 1, "address": 1,
      "priceLevel1": 1, "priceLevel2": 2, "priceDspFormat": 3, "volumeDspFormat": 2,
      "valueDspFormat": 2, "pumpType": 4, "portId": 1, "attendantId": -1, "authMode": 0,
      "stackMode": 0, "prepayAllowed": 1, "preauthAllowed": 0, "slot": -1,
      "muxSlotZigBeeId": 5, "priceControl": 0, "hasPreset": 1})");
  pump["id"] = id;
  pump["number"] = id;
  pump["hoses"] = hoses;
  return pump;
}

TEST(ImportRoundTrip, WhatTheFileCannotCarry) {
  json station = json::parse(kLossyStation);
  json nine = json::array({Hose(101, 1, 1, 0.05, 0.1), Hose(102, 2, 1, 1.259, 1.3)});
  for (int h = 3; h <= 9; ++h) nine.push_back(Hose(100 + h, h, h < 8 ? 1 : 2));
  station["pumps"] = json::array({
      Pump(1, nine),
      // A single hose numbered 2, and hoses 1 and 3.
      Pump(2, json::array({Hose(201, 2, 1)})),
      Pump(3, json::array({Hose(301, 1, 150), Hose(303, 3, 2)})),
      Pump(100, json::array()),
  });
  RoundTrip trip = TravelRound(station);
  std::vector<std::string> expected = {
      // Records with a Number below 1 read as absent.
      "/ports/3: removed", "/attendants/2: removed",
      // Walks: ports, grades, tanks, ZigBee devices and pumps end below 100;
      // seven missing numbers end a walk (grades 4 to 10, clients 2 to 8);
      // ZigBee devices start at 5. Tank 150 and grade 120 come back through
      // the hose that refers to them, tank 160 has no such hose.
      "/ports/100: removed", "/pumps/100: removed", "/grades/12: removed",
      "/cardClients/20: removed", "/tanks/160: removed", "/zigbee/3: removed",
      // Hoses: at most 8, from hose 1 up to the first missing number.
      "/pumps/1/hoses/109: removed", "/pumps/2/hoses/201: removed",
      "/pumps/3/hoses/303: removed",
      // Hose prices of 0.1 or less are left out of the file.
      "/pumps/1/hoses/101/price1: 0.0", "/pumps/1/hoses/101/price2: 0.0",
      // Price levels up to the first missing one; a negative price reads as
      // 0 and ends them.
      "/grades/1/prices/3: removed", "/grades/2/prices: removed",
      // Amounts carry three decimals and no sign.
      "/grades/3/prices/1: 1.235", "/tanks/1/capacity: 1234.568", "/tanks/2/capacity: 0.0",
      "/tanks/2/diameter: 0.0",
      // The protocol comes back as a 16-bit code.
      "/ports/1/protocolId: 4464",
      // A text holds bytes: a character above 255 is written as '?', a line
      // break as a blank.
      "/grades/3/name: \"Café ?mega\"", "/attendants/1/name: \"Ann Marie\"",
  };
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Losses(trip.original, trip.imported), expected);
}

}  // namespace
}  // namespace importtest
