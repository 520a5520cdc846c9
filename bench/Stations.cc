#include "bench/Stations.h"

#include <cstdio>

namespace bench {

using nlohmann::json;

const std::vector<StationSize>& Stations() {
  static const std::vector<StationSize> stations = {
      {"typical", 6, 4, 2, 4, 3, 12, 4, 20, 50},
      {"large", 10, 8, 4, 8, 10, 40, 6, 200, 2000},
      // ZigBee sections are numbered by identifier and the import walks them
      // from 5 to 98: 94 devices.
      {"largest", 99, 99, 8, 99, 94, 99, 8, 9999, 9999},
  };
  return stations;
}

namespace {

// A controller numbers its ZigBee devices from 5.
constexpr int kFirstZigBee = 5;

std::string Name(const char* stem, int i) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %d Caf\u00e9", stem, i);
  return text;
}

std::string Code(const char* stem, int i) {
  char text[32];
  std::snprintf(text, sizeof text, "%s-%05d", stem, i);
  return text;
}

}  // namespace

json StationFixture(const StationSize& s) {
  json f = json::object();
  f["versions"] = {{"dll", "4.2.1"}, {"server", "4.2.0"}};
  json& ports = f["ports"] = json::array();
  for (int i = 1; i <= s.ports; ++i) {
    ports.push_back({{"id", i}, {"number", i}, {"name", Name("COM", i)}, {"protocolId", 9},
                     {"deviceType", 3}, {"serialNo", Code("ZG", i)},
                     {"zb2g", {{"panId", 4660 + i}, {"channels", 2048}, {"keyA", i}, {"keyB", 2 * i}}},
                     {"details", {"d1", "d2", "ZB2G 2.4." + std::to_string(i)}}});
  }
  json& grades = f["grades"] = json::array();
  for (int i = 1; i <= s.grades; ++i) {
    json prices = json::object();
    for (int level = 1; level <= s.pricesPerGrade; ++level) {
      prices[std::to_string(level)] = 1.5 + i * 0.01 - level * 0.002;
    }
    grades.push_back({{"id", i}, {"number", i}, {"name", Name("Gasolina", i)},
                      {"shortName", "G" + std::to_string(i)}, {"code", std::to_string(i)},
                      {"prices", prices}});
  }
  json& tanks = f["tanks"] = json::array();
  for (int i = 1; i <= s.tanks; ++i) {
    tanks.push_back({{"id", i}, {"number", i}, {"name", Name("Tanque", i)},
                     {"grade", (i - 1) % s.grades + 1}, {"type", 1}, {"capacity", 30000.0 + i},
                     {"diameter", 2.5}, {"measures", {0, 0, 0, 0, 0, 0, 0, 0}},
                     {"tankGauge", 5}, {"probe", i}});
  }
  json& zigbee = f["zigbee"] = json::array();
  for (int i = 1; i <= s.zigbee; ++i) {
    zigbee.push_back({{"id", kFirstZigBee + i - 1}, {"number", i}, {"name", Name("M\u00f3dulo", i)},
                      {"deviceType", 2}, {"serialNumber", Code("ZB", i)},
                      {"nodeIdentifier", Code("N", i)}, {"portId", (i - 1) % s.ports + 1},
                      {"details", {"a", "b", "ZBN 1.4." + std::to_string(i)}}});
  }
  json& pumps = f["pumps"] = json::array();
  for (int i = 1; i <= s.pumps; ++i) {
    json hoses = json::array();
    for (int h = 1; h <= s.hosesPerPump; ++h) {
      hoses.push_back({{"id", i * 10 + h}, {"number", h}, {"tank", (h - 1) % s.tanks + 1},
                       {"physicalNumber", h}, {"measures", {0, 0, 0, 0}}, {"reader", 0},
                       {"price1", 1.589}, {"price2", 1.569}, {"enabled", 1}});
    }
    pumps.push_back({{"id", i}, {"number", i}, {"name", Name("Bomba", i)},
                     {"physicalNumber", i}, {"side", i % 2 + 1}, {"address", i},
                     {"priceLevel1", 1}, {"priceLevel2", 2}, {"priceDspFormat", 3},
                     {"volumeDspFormat", 2}, {"valueDspFormat", 2}, {"pumpType", 4},
                     {"portId", (i - 1) % s.ports + 1}, {"attendantId", -1}, {"authMode", 0},
                     {"stackMode", 0}, {"prepayAllowed", 1}, {"preauthAllowed", 0},
                     {"slot", -1}, {"muxSlotZigBeeId", kFirstZigBee + (i - 1) % s.zigbee},
                     {"priceControl", 0}, {"hasPreset", 1}, {"hoses", hoses}});
  }
  json& attendants = f["attendants"] = json::array();
  for (int i = 1; i <= s.attendants; ++i) {
    attendants.push_back({{"id", i}, {"number", i}, {"name", Name("Jos\u00e9 \u00c1lvares", i)},
                          {"shortName", "Jos\u00e9"}, {"password", std::to_string(1000 + i)},
                          {"tag", Code("A", i)}, {"shiftAStart", 360}, {"shiftAEnd", 840},
                          {"shiftBStart", 840}, {"shiftBEnd", 1320}, {"enabled", 1}});
  }
  json& clients = f["cardClients"] = json::array();
  for (int i = 1; i <= s.clients; ++i) {
    clients.push_back({{"id", i}, {"number", i}, {"name", Name("Transportes Gon\u00e7alves", i)},
                       {"tag", Code("C", i)}, {"enabled", 1}});
  }
  return f;
}

const std::vector<int>& OnePumpHoses() {
  static const std::vector<int> hoses = {1000, 16000};
  return hoses;
}

std::string OnePumpFile(int hoses) {
  std::string file =
      "\r\n[Pump01]\r\nNumber=1\r\nName=Bomba 1 Caf\xe9\r\nPhysicalNumber=1\r\nSide=2\r\n"
      "Address=1\r\nSlot=-1\r\nPriceLevel1=1\r\nPriceLevel2=2\r\nPriceDspFormat=3\r\n"
      "VolumeDspFormat=2\r\nValueDspFormat=2\r\nPumpType=4\r\nPortID=1\r\n"
      "AttendantID=-1\r\nAuthMode=0\r\nStackMode=0\r\nPrepayAllowed=1\r\n"
      "PreauthAllowed=0\r\nMuxSlotZigBeeID=5\r\nPriceControl=0\r\nHasPreset=1\r\n";
  char lines[512];
  for (int h = 1; h <= hoses; ++h) {
    std::snprintf(lines, sizeof lines,
                  "Hose%dID=%d\r\nHose%dTank=1\r\nHose%dPhysicalNumber=%d\r\nHose%dReader=0\r\n"
                  "Hose%dPrice1=1.589\r\nHose%dPrice2=1.569\r\nHose%dEnabled=1\r\n",
                  h, 10 + h, h, h, h, h, h, h, h);
    file += lines;
  }
  return file;
}

}  // namespace bench
