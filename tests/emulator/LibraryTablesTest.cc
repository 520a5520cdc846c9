// The tables through the library: what Set calls store, what Get calls give
// back, what stays untouched, the controller's checks and injected faults.
#include <gtest/gtest.h>

#include "tests/emulator/LibTest.h"

namespace {

using libtest::In;
using libtest::Logon;
using libtest::Out;
using libtest::Text;
using nlohmann::json;

// A controller with one record of each kind that others refer to.
const char kBase[] = R"({
  "versions": {"dll": "4.2.1", "server": "4.2.0"},
  "grades": [{"id": 1, "number": 1, "name": "Unleaded", "shortName": "U", "code": "95"}],
  "tanks": [{"id": 1, "number": 1, "name": "T1", "grade": 1}],
  "pumps": [{"id": 1, "number": 1, "name": "P1"}]
})";

class LibraryTables : public ::testing::Test {
 protected:
  void Start(const char* fixture) {
    emu_ = std::make_unique<e2e::Emulator>(fixture);
    ASSERT_EQ(Logon(emu_->Server()), 0);
  }
  std::unique_ptr<e2e::Emulator> emu_;
};

TEST_F(LibraryTables, PortsRoundTripAndKeepWhatNoSetCallCarries) {
  Start(R"({"ports": [{"id": 3, "number": 1, "name": "old",
                       "zb2g": {"panId": "0xFFFFFFFFFFFFFFFF", "channels": 2048, "keyA": 1, "keyB": 2},
                       "details": ["d1", "d2", "FW 1.0"]}]})");
  EXPECT_EQ(SetPortProperties(3, 8, In(u"Caf\u00e9 \u20ac"), 7, -1, In(u"SN")), 0);
  EXPECT_EQ(SetPortProperties(9, 9, In(u"new"), 1, 0, In(u"")), 0);
  int32_t number = 0, protocol = 0;
  int16_t type = 0;
  Out name, serial;
  ASSERT_EQ(GetPortProperties(3, &number, name.ptr(), &protocol, &type, serial.ptr()), 0);
  EXPECT_EQ(number, 8);
  EXPECT_EQ(name.text(), u"Caf\u00e9 \u20ac");
  EXPECT_EQ(protocol, 7);
  EXPECT_EQ(type, -1);
  EXPECT_EQ(serial.text(), u"SN");

  int64_t pan = 0, keyA = 0, keyB = 0;
  int32_t channels = 0;
  ASSERT_EQ(GetZB2GConfig(3, &pan, &channels, &keyA, &keyB), 0);
  EXPECT_EQ(pan, -1);
  EXPECT_EQ(channels, 2048);
  Out d1, d2, firmware;
  ASSERT_EQ(GetDeviceDetails(3, -1, d1.ptr(), d2.ptr(), firmware.ptr()), 0);
  EXPECT_EQ(firmware.text(), u"FW 1.0");

  int32_t count = 0, id = -1;
  EXPECT_EQ(GetPortsCount(&count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(GetPortByOrdinal(2, &id), 0);
  EXPECT_EQ(id, 9);
  EXPECT_EQ(emu_->Journal()[1], json::parse(R"({"call": "SetPortProperties",
                                                "args": [3, 8, "Café €", 7, -1, "SN"]})"));
}

TEST_F(LibraryTables, GradesAndPricesRoundTrip) {
  Start(kBase);
  EXPECT_EQ(SetGradeProperties(2, 5, In(u"Gas\u00f3leo"), In(u"GSL"), In(u"DSL")), 0);
  EXPECT_EQ(SetGradePrice(2, 1, 1.459), 0);
  EXPECT_EQ(SetGradePrice(2, 8, -0.5), 0);
  int32_t number = 0;
  Out name, shortName, code;
  ASSERT_EQ(GetGradeProperties(2, &number, name.ptr(), shortName.ptr(), code.ptr()), 0);
  EXPECT_EQ(number, 5);
  EXPECT_EQ(name.text(), u"Gas\u00f3leo");
  EXPECT_EQ(code.text(), u"DSL");
  double price = 0;
  EXPECT_EQ(GetGradePrice(2, 1, &price), 0);
  EXPECT_EQ(price, 1.459);
  EXPECT_EQ(GetGradePrice(2, 8, &price), 0);
  EXPECT_EQ(price, -0.5);
  EXPECT_EQ(emu_->State()["grades"][1]["prices"], json::parse(R"({"1": 1.459, "8": -0.5})"));
}

TEST_F(LibraryTables, TanksRoundTripEveryMeasure) {
  Start(kBase);
  EXPECT_EQ(SetTankProperties(4, 2, In(u"T4"), 1, -1, 30000.5, 2.5, 1, 2, 3, 4, 5, 6, 7, 8, 5, 3), 0);
  int32_t number = 0, grade = 0, gauge = 0;
  int16_t type = 0, probe = 0;
  double capacity = 0, diameter = 0, m[8] = {};
  Out name;
  ASSERT_EQ(GetTankProperties(4, &number, name.ptr(), &grade, &type, &capacity, &diameter, &m[0],
                              &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7], &gauge, &probe),
            0);
  EXPECT_EQ(name.text(), u"T4");
  EXPECT_EQ(grade, 1);
  EXPECT_EQ(type, -1);
  EXPECT_EQ(capacity, 30000.5);
  EXPECT_EQ(diameter, 2.5);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(m[i], i + 1);
  EXPECT_EQ(gauge, 5);
  EXPECT_EQ(probe, 3);
}

TEST_F(LibraryTables, ZigBeeDevicesRoundTripAndKeepTheirDetails) {
  Start(R"({"zigbee": [{"id": 5, "number": 1, "details": ["a", "b", "ZB 2.0"]}]})");
  EXPECT_EQ(SetZigBeeProperties(5, 2, In(u"M\u00f3dulo"), 7, In(u"Z1"), In(u"N1"), 99), 0);
  int32_t number = 0, port = 0;
  int16_t type = 0;
  Out name, serial, node;
  ASSERT_EQ(GetZigBeeProperties(5, &number, name.ptr(), &type, serial.ptr(), node.ptr(), &port), 0);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(name.text(), u"M\u00f3dulo");
  EXPECT_EQ(type, 7);
  EXPECT_EQ(node.text(), u"N1");
  EXPECT_EQ(port, 99) << "a ZigBee device's port is stored as given";
  Out d1, d2, firmware;
  ASSERT_EQ(GetDeviceDetails(99, 5, d1.ptr(), d2.ptr(), firmware.ptr()), 0);
  EXPECT_EQ(firmware.text(), u"ZB 2.0");
}

TEST_F(LibraryTables, PumpsAndHosesRoundTrip) {
  Start(kBase);
  EXPECT_EQ(SetPumpPropertiesEx(2, 2, In(u"P2"), 4464, 2, 3, 1, 2, 3, 2, 2, 4, 77, 88, 1, 0, 1, 0,
                                -1, 6, 0, 1),
            0);
  EXPECT_EQ(SetHosePropertiesEx2(21, 1, 2, 1, 70000, 0, 0, 0, 0, -1, 1.259, 0.05, 1), 0);
  int32_t number = 0, port = 0, attendant = 0, slot = 0, mux = 0;
  int16_t v[15] = {};
  Out name;
  ASSERT_EQ(GetPumpPropertiesEx(2, &number, name.ptr(), &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                                &v[6], &v[7], &v[8], &port, &attendant, &v[9], &v[10], &v[11],
                                &v[12], &slot, &mux, &v[13], &v[14]),
            0);
  const int16_t want[15] = {4464, 2, 3, 1, 2, 3, 2, 2, 4, 1, 0, 1, 0, 0, 1};
  for (int i = 0; i < 15; ++i) EXPECT_EQ(v[i], want[i]) << "16-bit value " << i;
  EXPECT_EQ(port, 77);
  EXPECT_EQ(attendant, 88);
  EXPECT_EQ(slot, -1);
  EXPECT_EQ(mux, 6);

  int32_t count = 0, hose = -1;
  EXPECT_EQ(GetPumpHosesCount(2, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(GetPumpHoseByNumber(2, 1, &hose), 0);
  EXPECT_EQ(hose, 21);
  int32_t pump = 0, tank = 0, physical = 0;
  int16_t reader = 0, enabled = 0;
  double h[4] = {9, 9, 9, 9}, price1 = 0, price2 = 0;
  ASSERT_EQ(GetHosePropertiesEx2(21, &number, &pump, &tank, &physical, &h[0], &h[1], &h[2], &h[3],
                                 &reader, &price1, &price2, &enabled),
            0);
  EXPECT_EQ(pump, 2);
  EXPECT_EQ(tank, 1);
  EXPECT_EQ(physical, 70000);
  EXPECT_EQ(h[3], 0.0);
  EXPECT_EQ(reader, -1);
  EXPECT_EQ(price1, 1.259);
  EXPECT_EQ(price2, 0.05);
  EXPECT_EQ(enabled, 1);
}

TEST_F(LibraryTables, AttendantsAndCardClientsRoundTrip) {
  Start("{}");
  EXPECT_EQ(SetAttendantPropertiesEx(120, 1, In(u"Z\u00f6e"), In(u"Z"), In(u"\"pw\""), In(u"T1"),
                                     360, 840, -1, 0, 1),
            0);
  EXPECT_EQ(SetCardClientProperties(1234, 7, In(u"Fleet"), In(u""), 0), 0);
  int32_t number = 0;
  int16_t s[5] = {};
  Out name, shortName, password, tag;
  ASSERT_EQ(GetAttendantPropertiesEx(120, &number, name.ptr(), shortName.ptr(), password.ptr(),
                                     tag.ptr(), &s[0], &s[1], &s[2], &s[3], &s[4]),
            0);
  EXPECT_EQ(name.text(), u"Z\u00f6e");
  EXPECT_EQ(password.text(), u"\"pw\"");
  EXPECT_EQ(s[0], 360);
  EXPECT_EQ(s[2], -1);
  EXPECT_EQ(s[4], 1);
  Out clientName, clientTag;
  int16_t enabled = 9;
  ASSERT_EQ(GetCardClientProperties(1234, &number, clientName.ptr(), clientTag.ptr(), &enabled), 0);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(clientTag.text(), u"") << "an empty text comes back empty, not absent";
  EXPECT_NE(clientTag.get(), nullptr);
  EXPECT_EQ(enabled, 0);
}

TEST_F(LibraryTables, ValuesTheControllerDoesNotHaveAreLeftUntouched) {
  Start(R"({"ports": [{"id": 1, "number": 4}], "grades": [{"id": 1}],
            "tanks": [{"id": 1, "measures": [1, null, null, null, null, null, null, null]}]})");
  // DllVersion, whose text the fixture does not set either, is the stand-in
  // naming itself.
  BSTR version = nullptr;
  EXPECT_EQ(DllVersion(&version), 0);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(libtest::Narrow(
                std::u16string(reinterpret_cast<const char16_t*>(version), SysStringLen(version))),
            "TarvoClient stand-in (tarvo-emulator)");
  SysFreeString(version);
  int32_t number = -9, protocol = -9;
  int16_t type = -9;
  BSTR name = nullptr, serial = nullptr;
  ASSERT_EQ(GetPortProperties(1, &number, &name, &protocol, &type, &serial), 0);
  EXPECT_EQ(number, 4);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(protocol, -9);
  EXPECT_EQ(type, -9);
  int64_t pan = -9, keyA = -9, keyB = -9;
  int32_t channels = -9;
  ASSERT_EQ(GetZB2GConfig(1, &pan, &channels, &keyA, &keyB), 0);
  EXPECT_EQ(pan, -9);
  EXPECT_EQ(channels, -9);
  double price = -9;
  ASSERT_EQ(GetGradePrice(1, 3, &price), 0);
  EXPECT_EQ(price, -9);
  double m[8] = {-9, -9, -9, -9, -9, -9, -9, -9};
  int32_t grade = -9, gauge = -9;
  double capacity = -9, diameter = -9;
  ASSERT_EQ(GetTankProperties(1, &number, nullptr, &grade, nullptr, &capacity, &diameter, &m[0],
                              &m[1], &m[2], &m[3], &m[4], &m[5], &m[6], &m[7], &gauge, nullptr),
            0)
      << "null out-pointers are skipped";
  EXPECT_EQ(m[0], 1);
  EXPECT_EQ(m[1], -9);
  EXPECT_EQ(grade, -9);
  // A failed call fills nothing.
  number = -9;
  EXPECT_EQ(GetPortProperties(2, &number, &name, &protocol, &type, &serial), 6);
  EXPECT_EQ(number, -9);
  EXPECT_EQ(Text(6), "Record not found (no port 2)");
}

TEST_F(LibraryTables, ControllerRefusesBrokenReferencesAndValues) {
  Start(kBase);
  EXPECT_EQ(SetTankProperties(2, 2, In(u"T2"), 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 8);
  EXPECT_EQ(Text(8), "Referenced record missing (grade 9 of tank 2)");
  EXPECT_EQ(SetHosePropertiesEx2(7, 1, 4, 1, 1, 0, 0, 0, 0, 0, 1, 0, 1), 8);
  EXPECT_EQ(Text(8), "Referenced record missing (pump 4 of hose 7)");
  EXPECT_EQ(SetHosePropertiesEx2(7, 1, 1, 3, 1, 0, 0, 0, 0, 0, 1, 0, 1), 8);
  EXPECT_EQ(SetGradePrice(1, 0, 1.0), 7);
  EXPECT_EQ(SetGradePrice(1, 9, 1.0), 7);
  EXPECT_EQ(Text(7), "Invalid value (price level 9 is not 1 to 8)");
  double price = 0;
  EXPECT_EQ(GetGradePrice(1, 9, &price), 7);
  EXPECT_EQ(SetGradePrice(5, 1, 1.0), 6);
  EXPECT_EQ(SetCardClientProperties(0, 1, In(u"x"), In(u"y"), 1), 7);
  int32_t id = -1;
  EXPECT_EQ(GetPumpByOrdinal(2, &id), 6);
  EXPECT_EQ(GetPumpByOrdinal(0, &id), 6);
  EXPECT_EQ(GetPumpHoseByNumber(1, 1, &id), 6);
  EXPECT_EQ(id, -1);
  Out a, b, c;
  EXPECT_EQ(GetDeviceDetails(1, 5, a.ptr(), b.ptr(), c.ptr()), 6);

  // Nothing refused was stored; references the controller does not check were.
  EXPECT_EQ(SetPumpPropertiesEx(3, 3, In(u"P3"), 0, 0, 0, 0, 0, 0, 0, 0, 0, 42, 43, 0, 0, 0, 0,
                                0, 44, 0, 0),
            0);
  json state = emu_->State();
  EXPECT_EQ(state["tanks"].size(), 1u);
  EXPECT_EQ(state["pumps"][1]["portId"], 42);
  EXPECT_TRUE(state["pumps"][0]["hoses"].empty());
}

TEST_F(LibraryTables, RecordWithoutDetailsFailsTheDetailsCall) {
  Start(R"({"ports": [{"id": 5}], "zigbee": [{"id": 17, "details": null}]})");
  Out a, b, c;
  EXPECT_EQ(GetDeviceDetails(5, -1, a.ptr(), b.ptr(), c.ptr()), 13);
  EXPECT_EQ(Text(13), "Device details not available (port 5)");
  EXPECT_EQ(GetDeviceDetails(5, 17, a.ptr(), b.ptr(), c.ptr()), 13);
  EXPECT_EQ(Text(13), "Device details not available (ZigBee device 17)");
  EXPECT_EQ(c.get(), nullptr);
}

TEST_F(LibraryTables, InjectedFaultsMatchLeadingArgumentsAndCount) {
  Start(R"({"ports": [{"id": 1}, {"id": 3}],
            "faults": [{"call": "GetPortProperties", "args": [3], "code": 6},
                       {"call": "GetPortsCount", "nth": 2, "code": 77},
                       {"call": "SetGradePrice", "args": [1, 2], "times": 1, "code": 7}]})");
  int32_t number = 0;
  EXPECT_EQ(GetPortProperties(1, &number, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(GetPortProperties(3, &number, nullptr, nullptr, nullptr, nullptr), 6);
  EXPECT_EQ(Text(6), "Record not found (injected fault in GetPortProperties)");
  int32_t count = 0;
  EXPECT_EQ(GetPortsCount(&count), 0);
  EXPECT_EQ(GetPortsCount(&count), 77);
  EXPECT_EQ(Text(77), "Unknown result code 77 (injected fault in GetPortsCount)");
  EXPECT_EQ(GetPortsCount(&count), 0);
  EXPECT_EQ(SetGradePrice(1, 2, 1.0), 7) << "a faulted call is not carried out";
  EXPECT_EQ(SetGradePrice(1, 2, 1.0), 6) << "then the grade is missing, as in any controller";
  EXPECT_EQ(emu_->Journal().size(), 8u) << "faulted calls are journaled too";
}

TEST_F(LibraryTables, OrdinalsFollowIdentifiersOrTheFixturesOrder) {
  Start(R"({"attendants": [{"id": 9}, {"id": 2}, {"id": 5}],
            "pumps": [{"id": 1, "hoses": [{"id": 30, "number": 3, "tank": 1},
                                          {"id": 10, "number": 1, "tank": 1}]}]})");
  int32_t id = 0;
  std::vector<int32_t> order;
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(GetAttendantByOrdinal(i, &id), 0);
    order.push_back(id);
  }
  EXPECT_EQ(order, (std::vector<int32_t>{2, 5, 9}));
  EXPECT_EQ(GetPumpHoseByNumber(1, 2, &id), 0);
  EXPECT_EQ(id, 30) << "the second hose by number is the one numbered 3";

  emu_->Load(json::parse(R"({"keepOrder": true, "attendants": [{"id": 9}, {"id": 2}]})"));
  EXPECT_EQ(GetAttendantByOrdinal(3, &id), 6) << "walked once before the new record is set";
  EXPECT_EQ(SetAttendantPropertiesEx(1, 1, In(u"a"), In(u"b"), In(u"c"), In(u"d"), 0, 0, 0, 0, 1), 0);
  order.clear();
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(GetAttendantByOrdinal(i, &id), 0);
    order.push_back(id);
  }
  EXPECT_EQ(order, (std::vector<int32_t>{9, 2, 1}));
}

TEST_F(LibraryTables, CountOverridesAndSixteenBitFixtureValues) {
  Start(R"({"counts": {"grades": 5},
            "pumps": [{"id": 1, "physicalNumber": 70000, "side": 65535, "hoseCount": 3}]})");
  int32_t count = 0;
  EXPECT_EQ(GetGradesCount(&count), 0);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(GetPumpHosesCount(1, &count), 0);
  EXPECT_EQ(count, 3);
  int16_t physical = 0, side = 0;
  ASSERT_EQ(GetPumpPropertiesEx(1, nullptr, nullptr, &physical, &side, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(physical, 4464);
  EXPECT_EQ(side, -1);
}

TEST_F(LibraryTables, HosesMayNameAnotherPumpOrNone) {
  Start(R"({"pumps": [{"id": 1, "hoses": [{"id": 11, "number": 1},
                                          {"id": 12, "number": 2, "pumpId": 2}]},
                      {"id": 2}],
            "hoses": [{"id": 90, "number": 1, "pumpId": 9}]})");
  int32_t count = 0, pump = 0;
  EXPECT_EQ(GetPumpHosesCount(1, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(GetPumpHosesCount(2, &count), 0);
  EXPECT_EQ(count, 1);
  ASSERT_EQ(GetHosePropertiesEx2(90, nullptr, &pump, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(pump, 9);
  json state = emu_->State();
  EXPECT_EQ(state["pumps"][1]["hoses"][0]["id"], 12);
  EXPECT_EQ(state["hoses"][0]["id"], 90);
  e2e::Emulator copy(state);
  EXPECT_EQ(copy.State(), state);
}

}  // namespace
