// Ports, grades and tanks: the walk over section numbers, a tank's grade
// first, each grade and tank written once, and refused Set calls taken as
// misses.
#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"

namespace importtest {
namespace {

std::string Section(const std::string& name, int number, const std::string& keys = "") {
  return "[" + name + "]\nNumber=" + std::to_string(number) + "\n" + keys;
}

std::string Sections(const char* pattern, std::initializer_list<int> ids) {
  std::string text;
  for (int id : ids) {
    char name[32];
    std::snprintf(name, sizeof name, pattern, id);
    text += Section(name, id, "Name=" + std::string(name) + "\n");
  }
  return text;
}

int CountCalls(const json& sets, const char* call, int id) {
  int count = 0;
  for (const json& entry : sets) {
    if (entry["call"] == call && entry["args"][0] == id) ++count;
  }
  return count;
}

TEST(ImportPorts, FirstThirteenAlwaysTriedThenSevenMissesEnd) {
  e2e::Emulator emulator;
  struct Case {
    std::string ini;
    std::string summary;
  };
  const Case cases[] = {
      // 6 to 12 are seven misses, but 13 is still tried.
      {Sections("Port%02d", {1, 2, 3, 4, 5, 13}),
       "Port 1, Port 2, Port 3, Port 4, Port 5, Port 13"},
      // At 14 twelve misses have passed.
      {Sections("Port%02d", {1, 14}), "Port 1"},
      // From 14 on the misses count: 14 to 19 are six, 21 to 27 seven.
      {Sections("Port%02d", {13, 20, 28}), "Port 13, Port 20"},
      {Sections("Port%02d", {99, 100}), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    Imported r = Import(emulator, c.ini);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(Summary(r.sets), c.summary);
  }
}

TEST(ImportPorts, ArgumentsCarryTheirWidths) {
  e2e::Emulator emulator;
  Imported r = Import(emulator,
                      "[Port02]\nNumber=8\nName=\"Line 1\"\nSerialNo=SN-2\nProtocolID=65535\n"
                      "PanID=0x1234\nFirmwareVersion=1.0\n"
                      "[Port03]\nName=COM3\nNumber=3\nProtocolID=40000\nDeviceType=65537\n"
                      "[Port04]\nNumber=0\nName=not a port\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.sets, json::array({
                        Call("SetPortProperties", {2, 8, "Line 1", -1, 0, "SN-2"}),
                        Call("SetPortProperties", {3, 3, "COM3", -25536, 1, ""}),
                    }));
  EXPECT_EQ(r.out, "  2 ports imported successfully.\n\nAll done.\n");
}

TEST(ImportGrades, SevenConsecutiveMissesEndTheWalk) {
  e2e::Emulator emulator;
  EXPECT_EQ(Summary(Import(emulator, Sections("Grade%02d", {1, 8})).sets), "Grade 1, Grade 8");
  EXPECT_EQ(Summary(Import(emulator, Sections("Grade%02d", {1, 9})).sets), "Grade 1");
  EXPECT_EQ(Summary(Import(emulator, Sections("Grade%02d", {8})).sets), "");
}

TEST(ImportGrades, PricesUpToTheFirstMissingLevel) {
  e2e::Emulator emulator;
  Imported r = Import(emulator,
                      "[Grade01]\nNumber=11\nName=Unleaded 95\nShortName=U95\nCode=0095\n"
                      "Price01=1.259\nPrice02=1,001.5\nPrice03=\nPrice04=2.000\n"
                      "[Grade02]\nNumber=2\nName=Diesel\nPrice01=-1.5\nPrice02=1.000\n"
                      "[Grade03]\nNumber=3\nPrice01=1\nPrice02=2\nPrice03=3\nPrice04=4\n"
                      "Price05=5\nPrice06=6\nPrice07=7\nPrice08=8\nPrice09=9\n"
                      "[Grade04]\nNumber=0\nName=not a grade\nPrice01=1\n");
  EXPECT_EQ(r.exitCode, 0);
  json expected = json::array({
      Call("SetGradeProperties", {1, 11, "Unleaded 95", "U95", "0095"}),
      Call("SetGradePrice", {1, 1, 1.259}),
      Call("SetGradePrice", {1, 2, 1001.5}),
      Call("SetGradeProperties", {2, 2, "Diesel", "", ""}),
      Call("SetGradeProperties", {3, 3, "", "", ""}),
  });
  for (int level = 1; level <= 8; ++level) {
    expected.push_back(Call("SetGradePrice", {3, level, static_cast<double>(level)}));
  }
  EXPECT_EQ(r.sets, expected);
  EXPECT_EQ(r.out, "  3 grades imported successfully.\n\nAll done.\n");
}

TEST(ImportTanks, ArgumentsWithTheMeasuresTheFileDoesNotCarry) {
  e2e::Emulator emulator;
  Imported r = Import(emulator,
                      "[Grade01]\nNumber=1\nName=U95\n"
                      "[Tank05]\nNumber=2\nName=\"North tank\"\nGrade=1\nType=65535\n"
                      "Capacity=30,000.500\nDiameter=2.5\nTankGauge=3\nProbe=65539\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.sets,
            json::array({
                Call("SetGradeProperties", {1, 1, "U95", "", ""}),
                Call("SetTankProperties", {5, 2, "North tank", 1, -1, 30000.5, 2.5, 0.0, 0.0,
                                           0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 3, 3}),
            }));
  EXPECT_EQ(r.out,
            "  1 grades imported successfully.\n  1 tanks imported successfully.\n\nAll done.\n");
}

TEST(ImportTanks, GradeWrittenFirstAndOnlyOnce) {
  e2e::Emulator emulator;
  // Grade08 and Grade100 lie beyond the grades' walk; only tanks reach them.
  Imported r = Import(emulator,
                      "[Tank01]\nNumber=1\nGrade=8\n[Tank02]\nNumber=2\nGrade=100\n"
                      "[Tank03]\nNumber=3\nGrade=8\n[Tank04]\nNumber=4\nGrade=100\n"
                      "[Grade08]\nNumber=8\nPrice01=1.5\n[Grade100]\nNumber=100\nPrice01=2.5\n"
                      "[Tank05]\nNumber=5\nGrade=-1\n[Tank06]\nNumber=6\nGrade=0\n"
                      "[Tank07]\nNumber=7\nGrade=9\n[Tank08]\nNumber=8\nGrade=8\n");
  EXPECT_EQ(r.exitCode, 0);
  // Tanks 5 to 7 have no grade: silent misses, and 8 still follows them.
  EXPECT_EQ(Summary(r.sets),
            "Grade 8, Price 8/1, Tank 1, Grade 100, Price 100/1, Tank 2, Tank 3, Tank 4, Tank 8");
  EXPECT_EQ(r.out, "  5 tanks imported successfully.\n\nAll done.\n");
}

TEST(ImportTanks, RefusedSetCallsAreMissesAndTheWalkGoesOn) {
  e2e::Emulator emulator(R"({"faults": [
      {"call": "SetGradeProperties", "args": [1], "code": 6},
      {"call": "SetTankProperties", "args": [2], "code": 6}]})");
  // Grade 1 refused makes 1 to 7 seven misses, so step 2 never reaches
  // Grade08; tanks that refer to grade 1 try it again.
  Imported r = Import(emulator,
                      "[Grade01]\nNumber=1\n[Grade08]\nNumber=8\n"
                      "[Tank01]\nNumber=1\nGrade=1\n[Tank02]\nNumber=2\nGrade=8\n"
                      "[Tank03]\nNumber=3\nGrade=8\n"
                      "[Port01]\nNumber=1\n[Port02]\nNumber=2\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Summary(r.sets), "Port 1, Port 2, Grade 1, Grade 1, Grade 8, Tank 2, Tank 3");
  EXPECT_EQ(r.out, "  2 ports imported successfully.\n" +
                       Refused("SetGradeProperties failed.") +
                       Refused("SetGradeProperties failed.") +
                       Refused("SetTankProperties failed.") +
                       "  1 tanks imported successfully.\n\nAll done.\n");
  // Each refusal is followed by the count of its table, which the
  // controller answers; each tank's measures are read before it is written,
  // and the first read that fails asks the step's list of tanks (none).
  EXPECT_EQ(r.reads, json::array({Call("GetGradesCount", json::array()),
                                  Call("GetGradesCount", json::array()),
                                  Call("GetTankProperties", {2}),
                                  Call("GetTanksCount", json::array()),
                                  Call("GetTanksCount", json::array()),
                                  Call("GetTankProperties", {3})}));
}

// A server that drops the connection at, or does not answer within the
// library's timeout, a grade or a tank of the everyday price update: the
// refused call's line, then the stop, -1, and no later call.
struct LostAt {
  const char* name;
  const char* call;    // refused for record 2
  const char* fault;   // how
  const char* reason;  // the start of the library's text
  const char* sets;    // what reached the controller
  const char* counts;  // the steps done before
};

void PrintTo(const LostAt& lost, std::ostream* os) { *os << lost.name; }

class ImportLostServer : public testing::TestWithParam<LostAt> {};

TEST_P(ImportLostServer, EndsTheImport) {
  const LostAt& lost = GetParam();
  e2e::Emulator emulator(std::string(R"({"faults": [{"call": ")") + lost.call +
                         R"(", "args": [2], )" + lost.fault + "}]}");
  const auto start = std::chrono::steady_clock::now();
  Imported r = Import(emulator,
                      "[Port01]\nNumber=1\n[Grade01]\nNumber=1\nPrice01=1.5\n"
                      "[Grade02]\nNumber=2\nPrice01=1.6\n[Tank01]\nNumber=1\nGrade=1\n"
                      "[Tank02]\nNumber=2\nGrade=2\n[Pump01]\nNumber=1\n"
                      "[Attendant01]\nNumber=1\n");
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  EXPECT_LT(seconds.count(), 12.5);
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(Summary(r.sets), lost.sets);
  const std::string counts = lost.counts;
  const std::string line = std::string(lost.call) + " failed. - " + lost.reason;
  const std::string stop = "The controller server no longer answers; import stopped.\n";
  EXPECT_EQ(r.out.rfind(counts + line, 0), 0u) << r.out;
  ASSERT_GT(r.out.size(), stop.size());
  EXPECT_EQ(r.out.substr(r.out.size() - stop.size()), stop) << r.out;
  // The refused call's line and the stop, nothing between them.
  EXPECT_EQ(r.out.find('\n', counts.size() + line.size()), r.out.size() - stop.size() - 1)
      << r.out;
}

const LostAt kLostAt[] = {
    {"GradeDropped", "SetGradeProperties", R"("drop": true)",
     "Connection to the controller server lost", "Port 1, Grade 1, Price 1/1, Grade 2",
     "  1 ports imported successfully.\n"},
    {"GradeLate", "SetGradeProperties", R"("delayMs": 13000)", "Timed out",
     "Port 1, Grade 1, Price 1/1, Grade 2", "  1 ports imported successfully.\n"},
    {"TankDropped", "SetTankProperties", R"("drop": true)",
     "Connection to the controller server lost",
     "Port 1, Grade 1, Price 1/1, Grade 2, Price 2/1, Tank 1, Tank 2",
     "  1 ports imported successfully.\n  2 grades imported successfully.\n"},
    {"TankLate", "SetTankProperties", R"("delayMs": 13000)", "Timed out",
     "Port 1, Grade 1, Price 1/1, Grade 2, Price 2/1, Tank 1, Tank 2",
     "  1 ports imported successfully.\n  2 grades imported successfully.\n"},
};

INSTANTIATE_TEST_SUITE_P(DropOrDelay, ImportLostServer, testing::ValuesIn(kLostAt),
                         [](const testing::TestParamInfo<LostAt>& info) {
                           return std::string(info.param.name);
                         });

TEST(ImportPorts, RefusedPortIsPrintedWithoutAStopOfItsOwn) {
  e2e::Emulator emulator(R"({"faults": [{"call": "SetPortProperties", "args": [2], "code": 6}]})");
  Imported r = Import(emulator, Sections("Port%02d", {1, 2, 3}));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, Refused("SetPortProperties failed") +
                       "  2 ports imported successfully.\n\nAll done.\n");
  EXPECT_EQ(Summary(r.sets), "Port 1, Port 2, Port 3");
}

TEST(ImportTanks, GradeWithARefusedPriceIsWrittenAgainForEachTank) {
  e2e::Emulator emulator(R"({"faults": [{"call": "SetGradePrice", "args": [1, 2], "code": 6}]})");
  Imported r = Import(emulator,
                      "[Grade01]\nNumber=1\nPrice01=1.1\nPrice02=1.2\nPrice03=1.3\n"
                      "[Tank01]\nNumber=1\nGrade=1\n[Tank02]\nNumber=2\nGrade=1\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Summary(r.sets),
            "Grade 1, Price 1/1, Price 1/2, Grade 1, Price 1/1, Price 1/2, "
            "Grade 1, Price 1/1, Price 1/2");
  std::string line = Refused("SetGradePrice failed.");
  EXPECT_EQ(r.out, line + line + line + "\nAll done.\n");
}

// Grades 1 to 99 and tanks 1 to 99 fill the lists; the records after the
// 128th are written again each time something refers to them.
TEST(ImportTanks, ListsRememberTheFirst128) {
  std::string ini;
  for (int n = 1; n <= 199; ++n) {
    if (n == 100) continue;
    ini += Sections(n < 100 ? "Grade%02d" : "Grade%d", {n});
  }
  for (int n = 1; n <= 99; ++n) {
    ini += Section("Tank" + std::string(n < 10 ? "0" : "") + std::to_string(n), n,
                   "Grade=" + std::to_string(100 + n) + "\n");
  }
  for (int n = 100; n <= 131; ++n) ini += Section("Tank" + std::to_string(n), n, "Grade=150\n");
  // Pumps 1 to 4 refer to tanks 100 to 131, pump 5 to 128 and 131 again.
  for (int p = 1; p <= 4; ++p) {
    std::string keys;
    for (int h = 1; h <= 8; ++h) {
      std::string hose = "Hose" + std::to_string(h);
      keys += hose + "ID=" + std::to_string(100 * p + h) + "\n" + hose +
              "Tank=" + std::to_string(100 + 8 * (p - 1) + (h - 1)) + "\n";
    }
    ini += Section("Pump0" + std::to_string(p), p, keys);
  }
  ini += Section("Pump05", 5, "Hose1ID=501\nHose1Tank=128\nHose2ID=502\nHose2Tank=131\n");

  e2e::Emulator emulator;
  Imported r = Import(emulator, ini);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            " 99 grades imported successfully.\n 99 tanks imported successfully.\n"
            "  5 pumps imported successfully.\n\nAll done.\n");
  EXPECT_EQ(CountCalls(r.sets, "SetGradeProperties", 129), 1);
  EXPECT_EQ(CountCalls(r.sets, "SetGradeProperties", 130), 1);
  // Through tank 50, then through each of tanks 100 to 131 and 131 again.
  EXPECT_EQ(CountCalls(r.sets, "SetGradeProperties", 150), 34);
  EXPECT_EQ(CountCalls(r.sets, "SetTankProperties", 128), 1);
  EXPECT_EQ(CountCalls(r.sets, "SetTankProperties", 129), 1);
  EXPECT_EQ(CountCalls(r.sets, "SetTankProperties", 131), 2);
  EXPECT_EQ(CountCalls(r.sets, "SetHosePropertiesEx2", 502), 1);
}

}  // namespace
}  // namespace importtest
