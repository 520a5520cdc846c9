// The property PLAN stands on: the Set calls it predicts for a file are
// exactly those the following IMPORT makes (the emulator's journal), and a
// PLAN right after that IMPORT has nothing left to change but what the
// controller refused. Over the sample station, a crafted awkward file and
// random files, each imported into a controller that already holds the
// sample station.
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "check/records/Prediction.h"
#include "client/LinkedClientLibrary.h"
#include "client/LogOn.h"
#include "profile/Profile.h"
#include "profile/Text.h"
#include "tests/check/RandomStation.h"
#include "tests/support/E2E.h"

namespace {

using nlohmann::json;

const std::string kSource = TARVO_SOURCE_DIR;

json Arg(const Value& v) {
  switch (v.kind) {
    case Value::Kind::kInt: return json(v.number);
    case Value::Kind::kAmount: return json(v.amount);
    case Value::Kind::kText: return json::parse(v.Json());
  }
  return json();
}

// The Set calls of a prediction as the emulator's journal holds them.
json CallsOf(const Prediction& p) {
  json calls = json::array();
  for (const SetCall& c : p.calls) {
    json args = json::array();
    for (const Value& v : c.args) args.push_back(Arg(v));
    calls.push_back(json{{"call", c.call}, {"args", args}});
  }
  return calls;
}

// The records of a prediction, in their order, each field as a Set call's
// argument.
json RecordsOf(const Prediction& p) {
  json records = json::array();
  for (const Record& r : p.records) {
    json fields = json::object();
    for (const Field& f : r.fields) fields[f.name] = Arg(f.value);
    records.push_back(json{{"table", static_cast<int>(r.table)}, {"id", r.id},
                           {"pumpId", r.pumpId}, {"hose", r.hose}, {"fields", fields}});
  }
  return records;
}

// PLAN's prediction, reading the measures of tanks and hoses from the
// controller at server as PLAN does.
json Predicted(const std::string& path, const std::string& server, int32_t* result) {
  LinkedClientLibrary library;
  EXPECT_EQ(LogOn(library, Text(server)), 0);
  Prediction p;
  std::string error;
  CProfile profile(path.c_str(), false);
  EXPECT_TRUE(profile.Open(&error)) << error;
  EXPECT_TRUE(PredictImport(profile, &p, &error, &library)) << error;
  *result = p.result;
  // The checked import predicts without a controller (its CHECK), then
  // answers the measures from the controller: the same prediction.
  Prediction q;
  EXPECT_TRUE(PredictImport(profile, &q, &error)) << error;
  AnswerMeasures(&q, library);
  EXPECT_EQ(CallsOf(q), CallsOf(p)) << path;
  EXPECT_EQ(RecordsOf(q), RecordsOf(p)) << path;
  return CallsOf(p);
}

json SetCalls(const json& journal) {
  json sets = json::array();
  for (const json& entry : journal) {
    if (entry["call"].get<std::string>().rfind("Set", 0) == 0) sets.push_back(entry);
  }
  return sets;
}

struct Seen {
  size_t calls = 0;
  bool stopped = false;
};

// Imports the file and checks the property; `refused` names the records
// that the controller was made to refuse.
Seen ImportThenPlan(e2e::Emulator& emu, const std::string& path,
                    const std::set<std::string>& refused = {}) {
  int32_t predictedResult = 0;
  json predicted = Predicted(path, emu.Server(), &predictedResult);

  emu.ClearJournal();
  e2e::Run import = e2e::RunTarvo({"IMPORT", path, emu.Server()});
  json made = SetCalls(emu.Journal());
  EXPECT_EQ(made, predicted) << path;
  if (refused.empty()) {
    EXPECT_EQ(import.exitCode, predictedResult == 0 ? 0 : 255) << import.out;
  }

  emu.ClearJournal();
  e2e::Run plan = e2e::RunCheck({"PLAN", path, emu.Server(), "/JSON"});
  EXPECT_EQ(SetCalls(emu.Journal()), json::array()) << "PLAN wrote to the controller";
  json doc = json::parse(plan.out, nullptr, false);
  Seen seen{predicted.size(), predictedResult != 0};
  EXPECT_TRUE(doc.is_object()) << plan.out;
  if (!doc.is_object()) return seen;
  std::set<std::string> left;
  for (const json& r : doc["plan"]["records"]) {
    // Records the import leaves alone, wholly or in part, are not changes.
    if (r["status"] != "controllerOnly" && r["status"] != "kept") {
      left.insert(r["section"].get<std::string>());
    }
  }
  EXPECT_EQ(left, refused) << path << "\n" << plan.out;
  // Right after the import a gate on changes sees only what it could not do.
  EXPECT_EQ(doc["plan"]["changes"], !left.empty() || !doc["plan"]["notRestored"].empty())
      << plan.out;
  // A predicted stop is an error of CHECK (as is a hose that two pumps'
  // sections name): 2, as are records not restored.
  const bool errors = predictedResult != 0 || doc["check"]["errors"].get<int>() > 0 ||
                      !doc["plan"]["notRestored"].empty();
  EXPECT_TRUE(predictedResult == 0 || doc["check"]["errors"] != 0) << plan.out;
  const bool nothing = doc["plan"]["records"].empty() &&
                       doc["plan"]["sharedHoseNumbers"].empty() &&
                       doc["check"]["warnings"].get<int>() == 0;
  EXPECT_EQ(plan.exitCode, errors ? 2 : nothing ? 0 : 1);
  return seen;
}

json SampleStation() {
  return json::parse(e2e::ReadFile(kSource + "/examples/sample-station.json"));
}

TEST(PlanProperty, SampleStation) {
  e2e::Emulator emu(SampleStation());
  EXPECT_EQ(ImportThenPlan(emu, kSource + "/tests/golden/sample-station.ini").calls, 85u);
}

TEST(PlanProperty, AwkwardFileAndARefusedRecord) {
  json fixture = SampleStation();
  // The controller refuses port 2: IMPORT reports it and goes on, and PLAN
  // still has it to change afterwards.
  fixture["faults"] = json::array({{{"call", "SetPortProperties"}, {"args", {2}}, {"code", 6}}});
  e2e::Emulator emu(fixture);
  const std::string path = e2e::TempDir() + "/awkward.ini";
  e2e::WriteFile(path,
                 "\xEF\xBB\xBF; awkward\r\n"
                 "[Port02]\r\nNumber=2\r\nName=COM2 r\xE9serve\r\nProtocolID=65535\r\n"
                 "[port01]\n  number = \"1\"  \nNameOld=Old\nName=COM1\r\n"
                 "[Grade02]\r\nNumber=2\r\nName=G98\r\nPrice01=1,729\r\nPrice02=1.70999\r\n"
                 "Price04=9\r\n"
                 "[Tank09]\r\nNumber=9\r\nGrade=2\r\nCapacity=12.5\r\n"
                 "[ZigBee07]\r\nNumber=3\r\nName=Repetidor\r\nPortID=6\r\n"
                 "[Pump02]\r\nNumber=2\r\nAdress=4\r\nPhysicalNumber=70000\r\n"
                 "Hose1ID=21\r\nHose1Tank=9\r\nHose1Price1=1.5\r\nHose3ID=23\r\n"
                 "[Attendant03]\r\nNumber=3\r\nPassword=\"\"\r\nEnabled=Yes\r\n"
                 "[Client001]\r\nNumber=1\r\nName=Frota\r\n[Client009]\r\nNumber=9\r\n");
  ImportThenPlan(emu, path, {"Port02"});
}

// A grade or tank reached through a reference below 1: the emulator, like a
// controller that validates identifiers, refuses it. PLAN tells, beside the
// record, what follows (the tank skipped, or the import stopped and what it
// leaves unwritten), as a warning; the import's Set calls are then those of
// the prediction with that record refused.
TEST(PlanProperty, WritesAControllerMayRefuse) {
  struct Case {
    const char* from;
    const char* to;
    const char* added;
    Table table;
    int32_t id;
    const char* said;
    int importExit;
  };
  const Case cases[] = {
      {"Grade=4\r\n", "Grade=0\r\n", "[Grade00]\r\nNumber=9\r\nName=Zero\r\nPrice01=1.5\r\n",
       Table::kGrade, 0,
       "Grade00  new\n    Number     9\n    Name       \"Zero\"\n    ShortName  \"\"\n"
       "    Code       \"\"\n    Price1     1.500\n  a controller may refuse this write "
       "(identifier 0, below 1); if it does, IMPORT skips Tank04, then stops at Pump05 Hose4 and "
       "leaves 3 pumps, 7 hoses, 10 attendants and 20 card clients unwritten\n\n",
       255},
      {"Hose2Tank=1\r\n", "Hose2Tank=-2\r\n",
       "[Tank-2]\r\nNumber=2\r\nName=T\r\nGrade=1\r\nCapacity=5\r\n", Table::kTank, -2,
       "  a controller may refuse this write (identifier -2, below 1); if it does, the import "
       "stops at Pump08 Hose2 and leaves 1 hose, 10 attendants and 20 card clients unwritten\n",
       255},
      // A tank that no hose uses: skipped, and the import goes on.
      {"[Tank04]", "[Tank05]\r\nNumber=5\r\nName=Novo\r\nGrade=0\r\n\r\n[Tank04]",
       "[Grade00]\r\nNumber=9\r\nName=Zero\r\n", Table::kGrade, 0,
       "  a controller may refuse this write (identifier 0, below 1); if it does, IMPORT skips "
       "Tank05 and goes on\n",
       0},
  };
  const std::string sample = e2e::ReadFile(kSource + "/tests/golden/sample-station.ini");
  for (const Case& c : cases) {
    e2e::Emulator emu(SampleStation());
    std::string bytes = sample;
    bytes.replace(bytes.rfind(c.from), std::strlen(c.from), c.to);
    const std::string path = e2e::TempDir() + "/refused.ini";
    e2e::WriteFile(path, bytes + c.added);

    e2e::Run plan = e2e::RunCheck({"PLAN", path, emu.Server()});
    EXPECT_EQ(plan.exitCode, 1) << plan.out;
    EXPECT_NE(plan.out.find(c.said), std::string::npos) << c.said << "\n" << plan.out;
    EXPECT_NE(plan.out.find(", 1 write a controller may refuse\n"), std::string::npos) << plan.out;

    LinkedClientLibrary library;
    ASSERT_EQ(LogOn(library, Text(emu.Server())), 0);
    Prediction refused;
    std::string error;
    CProfile profile(path.c_str(), false);
    ASSERT_TRUE(profile.Open(&error)) << error;
    ASSERT_TRUE(PredictRefusing(profile, c.table, c.id, &refused, &error, &library)) << error;
    emu.ClearJournal();
    e2e::Run import = e2e::RunTarvo({"IMPORT", path, emu.Server()});
    EXPECT_EQ(import.exitCode, c.importExit) << import.out;
    EXPECT_EQ(SetCalls(emu.Journal()), CallsOf(refused)) << c.said;
  }
}

// What a random file holds of the edits that technicians make.
struct Edits {
  int pumpCopies = 0;
  int hoseIdChanges = 0;
  int gaps = 0;  // of seven or more numbers
  int spreadsheetSaves = 0;
  int comments = 0;  // in texts
  int tabs = 0;      // before keys and values
};

// The file as a spreadsheet saves it: ",," after every line.
std::string SpreadsheetSave(const std::string& ini) {
  std::string out;
  size_t begin = 0;
  while (begin < ini.size()) {
    size_t end = ini.find('\n', begin);
    end = end == std::string::npos ? ini.size() : end + 1;
    std::string line = ini.substr(begin, end - begin);
    size_t cut = line.find_last_not_of("\r\n");
    cut = cut == std::string::npos ? 0 : cut + 1;
    out += line.substr(0, cut) + ",," + line.substr(cut);
    begin = end;
  }
  return out;
}

// A pump's section pasted as pump n: its header, Number, Name and Address
// changed, its hose ids kept.
std::string CopiedPump(const std::string& section, int n) {
  char header[32];
  std::snprintf(header, sizeof header, "[Pump%02d]", n);
  std::string out;
  size_t begin = section.find('[');
  begin = section.find('\n', begin) + 1;
  out = std::string("\r\n") + header + "\r\n";
  while (begin < section.size()) {
    size_t end = section.find('\n', begin);
    end = end == std::string::npos ? section.size() : end + 1;
    std::string line = section.substr(begin, end - begin);
    const size_t key = line.find_first_not_of(" \t");
    for (const char* k : {"Number=", "Name=", "Address="}) {
      if (key != std::string::npos && line.compare(key, std::strlen(k), k) == 0) {
        line = k + std::string(k[1] == 'a' ? "Bomba " : "") + std::to_string(n) + "\r\n";
      }
    }
    out += line;
    begin = end;
  }
  return out;
}

// A random station file: random gaps (some of seven or more numbers),
// references that hold or not, values that do not read cleanly, shadowed and
// misspelt keys, comments in texts, tabs before keys and values, hose ids
// changed, a pump copied to make a new one, a spreadsheet's save.
std::string RandomStation(std::mt19937& rng, Edits* edits) {
  auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
  auto pick = [&](int lo, int hi) { return lo + static_cast<int>(rng() % (hi - lo + 1)); };
  const char* const kOdd[] = {"1,5", "Yes", "12abc", "-3", "70000", "", "\"7\"", "99999999999",
                              "2.71828", " 4 "};
  auto value = [&](int lo, int hi) {
    return chance(10) ? std::string(kOdd[rng() % std::size(kOdd)]) : std::to_string(pick(lo, hi));
  };
  auto amount = [&]() {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%d.%03d", pick(0, 3), pick(0, 999));
    return chance(10) ? std::string(kOdd[rng() % std::size(kOdd)]) : std::string(buffer);
  };
  auto text = [&](const char* word, int n) {
    std::string t = std::string(word) + " " + std::to_string(n);
    if (chance(15)) t += " \xE9\xE7";
    if (chance(5)) {
      t += " ; Loja";
      ++edits->comments;
    }
    return t;
  };
  std::string ini;
  auto section = [&](const std::string& name) {
    ini += (chance(20) ? "\n[" : "\r\n[") + name + "]\r\n";
    if (chance(5)) ini += "NameOld=shadow\r\n";
  };
  auto key = [&](const char* k, const std::string& v) {
    if (chance(3)) return;  // missing
    const bool tab = chance(3);
    edits->tabs += tab ? 1 : 0;
    ini += std::string(chance(3) ? "  " : "") + (tab && chance(50) ? "\t" : "") + k + "=" +
           (tab ? "\t" : "") + v + "\r\n";
  };
  auto must = [&](const char* k, const std::string& v) { ini += std::string(k) + "=" + v + "\r\n"; };
  // Seven or more numbers left out before n, now and then.
  auto gap = [&](int& n) {
    if (!chance(4)) return;
    n += pick(7, 9);
    ++edits->gaps;
  };
  std::vector<int> grades, tanks;
  char name[32];
  for (int n = 1; n <= 20; ++n) {
    gap(n);
    if (!chance(40)) continue;
    std::snprintf(name, sizeof name, "Port%02d", n);
    section(name);
    key("Number", value(0, 30));
    key("Name", text("COM", n));
    key("ProtocolID", value(0, 12));
    key("DeviceType", value(0, 4));
    key("SerialNo", text("SN", n));
  }
  for (int n = 1; n <= 10; ++n) {
    if (!chance(50)) continue;
    std::snprintf(name, sizeof name, "Grade%02d", n);
    section(name);
    must("Number", std::to_string(pick(1, 9)));
    grades.push_back(n);
    key("Name", text("Grade", n));
    key("ShortName", text("G", n));
    key("Code", value(10, 99));
    for (int level = 1; level <= 8; ++level) {
      if (!chance(60)) continue;
      std::snprintf(name, sizeof name, "Price%02d", level);
      key(name, amount());
    }
  }
  for (int n = 1; n <= 10; ++n) {
    if (!chance(50)) continue;
    std::snprintf(name, sizeof name, "Tank%02d", n);
    section(name);
    must("Number", std::to_string(pick(1, 9)));
    key("Name", text("Tank", n));
    // Mostly a grade that the file holds; a tank without one is skipped.
    const bool held = !grades.empty() && chance(90);
    must("Grade", std::to_string(held ? grades[rng() % grades.size()] : 40));
    if (held) tanks.push_back(n);
    key("Type", value(0, 3));
    key("Capacity", amount());
    key("Diameter", amount());
    key("TankGauge", value(0, 5));
    key("Probe", value(0, 5));
  }
  for (int n = 3; n <= 14; ++n) {
    gap(n);
    if (!chance(40)) continue;
    std::snprintf(name, sizeof name, "ZigBee%02d", n);
    section(name);
    key("Number", value(0, 9));
    key("Name", text("Node", n));
    key("DeviceType", value(0, 5));
    key("SerialNumber", text("ZB", n));
    key("NodeIdentifier", text("N", n));
    key("PortID", value(-1, 20));
  }
  const char* const kPumpKeys[] = {"PhysicalNumber", "Side", "Address", "PriceLevel1",
                                   "PriceLevel2", "PriceDspFormat", "VolumeDspFormat",
                                   "ValueDspFormat", "PumpType", "PortID", "AttendantID",
                                   "AuthMode", "StackMode", "PrepayAllowed", "PreauthAllowed",
                                   "Slot", "MuxSlotZigBeeID", "PriceControl", "HasPreset"};
  std::vector<std::pair<int, std::string>> pumps;  // number, section
  for (int n = 1; n <= 12; ++n) {
    gap(n);
    if (!chance(60)) continue;
    std::snprintf(name, sizeof name, "Pump%02d", n);
    const size_t begin = ini.size();
    section(name);
    key("Number", value(0, 12));
    key("Name", text("Bomba", n));
    for (const char* k : kPumpKeys) key(chance(2) ? "Adress" : k, value(-1, 9));
    for (int h = 1; h <= 9; ++h) {
      if (!chance(80)) continue;
      auto hose = [&](const char* suffix, const std::string& v) {
        std::snprintf(name, sizeof name, "Hose%d%s", h, suffix);
        key(name, v);
      };
      // Now and then an id the controller does not have (111 for its 11).
      const bool changed = chance(8);
      edits->hoseIdChanges += changed ? 1 : 0;
      hose("ID", std::to_string((changed ? 100 : 0) + n * 10 + h));
      // Mostly tanks that the file holds, sometimes not: the import stops.
      const bool held = !tanks.empty() && !chance(1);
      hose("Tank", std::to_string(held ? tanks[rng() % tanks.size()] : 40));
      hose("PhysicalNumber", value(1, 8));
      hose("Reader", value(0, 2));
      hose("Price1", amount());
      hose("Price2", amount());
      hose("Enabled", value(0, 1));
    }
    pumps.emplace_back(n, ini.substr(begin));
  }
  // A pump copied to make a new one, under the first number not taken.
  if (!pumps.empty() && chance(35)) {
    int n = 1;
    for (const auto& p : pumps) n += p.first == n ? 1 : 0;
    ini += CopiedPump(pumps[rng() % pumps.size()].second, n);
    ++edits->pumpCopies;
  }
  for (const char* table : {"Attendant%02d", "Client%03d"}) {
    const bool attendant = table[0] == 'A';
    for (int n = 1; n <= 25; ++n) {
      gap(n);
      if (!chance(70)) continue;
      std::snprintf(name, sizeof name, table, n);
      section(name);
      key("Number", value(0, 30));
      key("Name", text(attendant ? "Attendant" : "Client", n));
      if (attendant) {
        key("ShortName", text("A", n));
        key("Password", std::to_string(pick(1000, 9999)));
      }
      key("Tag", text("T", n));
      if (attendant) {
        for (const char* k : {"ShiftAStart", "ShiftAEnd", "ShiftBStart", "ShiftBEnd"}) {
          key(k, value(0, 1440));
        }
      }
      key("Enabled", value(0, 1));
    }
  }
  if (!chance(15)) return ini;
  ++edits->spreadsheetSaves;
  return SpreadsheetSave(ini);
}

}  // namespace

std::string RandomStation(std::mt19937& rng) {
  Edits edits;
  return RandomStation(rng, &edits);
}

namespace {

TEST(PlanProperty, RandomFiles) {
  e2e::Emulator emu(SampleStation());
  std::mt19937 rng(20261207);
  const std::string dir = e2e::TempDir();
  size_t calls = 0, stopped = 0;
  Edits edits;
  const int kFiles = 12;
  for (int i = 0; i < kFiles; ++i) {
    std::string path = dir + "/random" + std::to_string(i) + ".ini";
    e2e::WriteFile(path, RandomStation(rng, &edits));
    Seen seen = ImportThenPlan(emu, path);
    calls += seen.calls;
    stopped += seen.stopped ? 1 : 0;
  }
  // The files exercise both endings of an import, with real work.
  EXPECT_GT(calls, 500u);
  EXPECT_GT(stopped, 0u);
  EXPECT_LT(stopped, static_cast<size_t>(kFiles));
  // Each kind of edit is among them.
  EXPECT_GT(edits.pumpCopies, 0);
  EXPECT_GT(edits.hoseIdChanges, 0);
  EXPECT_GT(edits.gaps, 0);
  EXPECT_GT(edits.spreadsheetSaves, 0);
  EXPECT_GT(edits.comments, 0);
  EXPECT_GT(edits.tabs, 0);
}

}  // namespace
