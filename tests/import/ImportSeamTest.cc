// IMPORT in process against a controller of the test's making: the measures
// of tanks and hoses read back before they are written, and a refused Set
// call followed by the count call that tells a refused record from a server
// that no longer answers.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/ClientLibraryWrapper.h"
#include "client/LinkedClientLibrary.h"
#include "import/ImportConfiguration.h"
#include "profile/Profile.h"
#include "tests/support/TestFiles.h"

namespace {

const char kStopLine[] = "The controller server no longer answers; import stopped.\n";

std::string Numbers(std::initializer_list<double> values) {
  std::string text;
  for (double v : values) {
    char number[32];
    std::snprintf(number, sizeof number, " %g", v);
    text += number;
  }
  return text;
}

LinkedClientLibrary& Unconnected() {
  static LinkedClientLibrary library;
  return library;
}

// Logs every call the import makes as "Name id" (Set calls of tanks and
// hoses with the measures passed). A Set call whose "Name id" is in refused
// is refused with code 6; the count calls answer countAnswer, the tanks' and
// a pump's hoses' with the identifiers listed here. A Get call of a tank or
// hose without measures here fails after writing 99 into the measures, as a
// library may.
class ScriptedLibrary : public ClientLibraryWrapper {
 public:
  // What the import does not call goes to the linked library, never logged
  // on here.
  ScriptedLibrary() : ClientLibraryWrapper(Unconnected()) {}
  std::vector<std::string> calls;
  std::map<int32_t, std::vector<double>> tankMeasures;
  std::map<int32_t, std::vector<double>> hoseMeasures;
  std::set<std::string> refused;
  int32_t countAnswer = 0;
  std::vector<int32_t> listedTanks;
  std::map<int32_t, std::vector<int32_t>> listedHoses;

  BSTR ResultString(int32_t) override {
    const OLECHAR text[] = {u'r', u'e', u'f', u'u', u's', u'e', u'd'};
    return SysAllocStringLen(text, 7);
  }
  int32_t GetPortsCount(int32_t* count) override { return Count("GetPortsCount", count); }
  int32_t GetGradesCount(int32_t* count) override { return Count("GetGradesCount", count); }
  int32_t GetTanksCount(int32_t* count) override {
    const int32_t answer = Count("GetTanksCount", count);
    *count = static_cast<int32_t>(listedTanks.size());
    return answer;
  }
  int32_t GetTankByOrdinal(int32_t ordinal, int32_t* id) override {
    calls.push_back("GetTankByOrdinal " + std::to_string(ordinal));
    *id = listedTanks.at(static_cast<size_t>(ordinal - 1));
    return 0;
  }
  int32_t GetPumpHosesCount(int32_t pump, int32_t* count) override {
    calls.push_back("GetPumpHosesCount " + std::to_string(pump));
    *count = static_cast<int32_t>(listedHoses[pump].size());
    return countAnswer;
  }
  int32_t GetPumpHoseByNumber(int32_t pump, int32_t number, int32_t* id) override {
    calls.push_back("GetPumpHoseByNumber " + std::to_string(pump));
    *id = listedHoses[pump].at(static_cast<size_t>(number - 1));
    return 0;
  }

  int32_t SetPortProperties(int32_t id, int32_t, BSTR, int32_t, int16_t, BSTR) override {
    return Set("SetPortProperties", id);
  }
  int32_t SetGradeProperties(int32_t id, int32_t, BSTR, BSTR, BSTR) override {
    return Set("SetGradeProperties", id);
  }
  int32_t SetGradePrice(int32_t id, int16_t, double) override { return Set("SetGradePrice", id); }
  int32_t SetPumpPropertiesEx(int32_t id, int32_t, BSTR, int16_t, int16_t, int16_t, int16_t,
                              int16_t, int16_t, int16_t, int16_t, int16_t, int32_t, int32_t,
                              int16_t, int16_t, int16_t, int16_t, int32_t, int32_t, int16_t,
                              int16_t) override {
    return Set("SetPumpPropertiesEx", id);
  }
  int32_t SetAttendantPropertiesEx(int32_t id, int32_t, BSTR, BSTR, BSTR, BSTR, int16_t, int16_t,
                                   int16_t, int16_t, int16_t) override {
    return Set("SetAttendantPropertiesEx", id);
  }

  int32_t GetTankProperties(int32_t id, int32_t*, BSTR* name, int32_t*, int16_t*, double*,
                            double*, double* m1, double* m2, double* m3, double* m4, double* m5,
                            double* m6, double* m7, double* m8, int32_t*, int16_t*) override {
    calls.push_back("GetTankProperties " + std::to_string(id));
    double* const out[] = {m1, m2, m3, m4, m5, m6, m7, m8};
    return Held(tankMeasures, id, out, name);
  }
  int32_t SetTankProperties(int32_t id, int32_t, BSTR, int32_t, int16_t, double, double,
                            double m1, double m2, double m3, double m4, double m5, double m6,
                            double m7, double m8, int32_t, int16_t) override {
    return Set("SetTankProperties", id, Numbers({m1, m2, m3, m4, m5, m6, m7, m8}));
  }
  int32_t GetHosePropertiesEx2(int32_t id, int32_t*, int32_t*, int32_t*, int32_t*, double* h1,
                               double* h2, double* h3, double* h4, int16_t*, double*, double*,
                               int16_t*) override {
    calls.push_back("GetHosePropertiesEx2 " + std::to_string(id));
    double* const out[] = {h1, h2, h3, h4};
    return Held(hoseMeasures, id, out, nullptr);
  }
  int32_t SetHosePropertiesEx2(int32_t id, int32_t, int32_t, int32_t, int32_t, double h1,
                               double h2, double h3, double h4, int16_t, double, double,
                               int16_t) override {
    return Set("SetHosePropertiesEx2", id, Numbers({h1, h2, h3, h4}));
  }

 private:
  int32_t Count(const char* call, int32_t* count) {
    calls.push_back(call);
    *count = 3;
    return countAnswer;
  }
  int32_t Set(const char* call, int32_t id, const std::string& measures = "") {
    const std::string key = call + (" " + std::to_string(id));
    calls.push_back(key + measures);
    return refused.count(key) != 0 ? 6 : 0;
  }
  template <size_t N>
  int32_t Held(const std::map<int32_t, std::vector<double>>& held, int32_t id,
               double* const (&out)[N], BSTR* name) {
    auto it = held.find(id);
    for (size_t i = 0; i < N; ++i) *out[i] = it == held.end() ? 99.0 : it->second.at(i);
    if (it == held.end()) return 6;
    const OLECHAR text[] = {u'H', u'e', u'l', u'd'};
    if (name != nullptr) *name = SysAllocStringLen(text, 4);
    return 0;
  }
};

struct Result {
  int32_t code = 0;
  std::string out;
};

Result Import(ScriptedLibrary& library, const std::string& ini) {
  ScratchFolder folder;
  PutFile(folder.Path("station.ini"), ini);
  Result r;
  {
    CProfile profile(folder.Path("station.ini").c_str(), false);
    std::FILE* out = std::fopen(folder.Path("out.txt").c_str(), "w+b");
    EXPECT_NE(out, nullptr);
    if (out == nullptr) return r;
    r.code = RunImport(profile, library, out);
    std::fclose(out);
  }
  r.out = GetFile(folder.Path("out.txt"));
  return r;
}

TEST(ImportSeam, MeasuresAsTheControllerHoldsThemOrZero) {
  ScriptedLibrary library;
  library.tankMeasures[1] = {1.5, 2, 3, 4, 5, 6, 7, 8.25};
  library.hoseMeasures[11] = {0.5, 1, 2, 3};
  Result r = Import(library,
                    "[Grade01]\nNumber=1\n[Tank01]\nNumber=1\nGrade=1\n"
                    "[Tank02]\nNumber=2\nGrade=1\n"
                    "[Pump01]\nNumber=1\nHose1ID=11\nHose1Tank=1\nHose2ID=12\nHose2Tank=2\n");
  EXPECT_EQ(r.code, 0);
  // Each Get right before its Set; the failed Gets of tank 2 and hose 12,
  // records the controller does not list, give 0, not what they left in the
  // out-values, and print nothing.
  EXPECT_EQ(library.calls, (std::vector<std::string>{
                               "SetGradeProperties 1",
                               "GetTankProperties 1",
                               "SetTankProperties 1 1.5 2 3 4 5 6 7 8.25",
                               "GetTankProperties 2",
                               "GetTanksCount",
                               "SetTankProperties 2 0 0 0 0 0 0 0 0",
                               "SetPumpPropertiesEx 1",
                               "GetHosePropertiesEx2 11",
                               "SetHosePropertiesEx2 11 0.5 1 2 3",
                               "GetHosePropertiesEx2 12",
                               "GetPumpHosesCount 1",
                               "SetHosePropertiesEx2 12 0 0 0 0",
                           }));
  EXPECT_EQ(r.out,
            "  1 grades imported successfully.\n  2 tanks imported successfully.\n"
            "  1 pumps imported successfully.\n\nAll done.\n");
}

// The failed Get of a tank or hose the controller lists: not written, with a
// line, as a refused write (a miss in the tank step, the end in the pump
// step); the list is read once per step and pump; a list that cannot be read
// is a lost server.
TEST(ImportSeam, AFailedMeasureReadOfAListedRecordWritesNoZero) {
  const std::string ini =
      "[Grade01]\nNumber=1\n[Tank01]\nNumber=1\nGrade=1\n[Tank02]\nNumber=2\nGrade=1\n"
      "[Tank03]\nNumber=3\nGrade=1\n[Pump01]\nNumber=1\nHose1ID=11\nHose1Tank=1\n"
      "Hose2ID=12\nHose2Tank=3\nHose3ID=13\nHose3Tank=1\n[Attendant01]\nNumber=1\n";
  const std::string tankLine =
      "Tank02: GetTankProperties failed - refused; the controller holds it: not written.\n";
  ScriptedLibrary tank;
  tank.listedTanks = {1, 2};
  tank.tankMeasures[1] = {1, 2, 3, 4, 5, 6, 7, 8};
  Result r = Import(tank, ini);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "  1 grades imported successfully.\n" + tankLine +
                       "  2 tanks imported successfully.\n  1 pumps imported successfully.\n"
                       "  1 attendants imported successfully.\n\nAll done.\n");
  const std::vector<std::string> tankCalls(tank.calls.begin() + 3, tank.calls.begin() + 10);
  EXPECT_EQ(tankCalls, (std::vector<std::string>{"GetTankProperties 2", "GetTanksCount",
                                                 "GetTankByOrdinal 1", "GetTankByOrdinal 2",
                                                 "GetTankProperties 3",
                                                 "SetTankProperties 3 0 0 0 0 0 0 0 0",
                                                 "SetPumpPropertiesEx 1"}));

  ScriptedLibrary hose;
  for (int32_t id : {1, 2, 3}) hose.tankMeasures[id] = {1, 2, 3, 4, 5, 6, 7, 8};
  hose.listedHoses[1] = {11, 12};
  r = Import(hose, ini);
  EXPECT_EQ(r.code, -1);
  EXPECT_EQ(r.out.substr(r.out.find("  3 tanks")),
            "  3 tanks imported successfully.\n"
            "Pump01 Hose1: GetHosePropertiesEx2 failed - refused; the controller holds it: "
            "not written.\n");
  EXPECT_EQ(hose.calls.back(), "GetPumpHoseByNumber 1");

  for (ScriptedLibrary* lost : {&tank, &hose}) {
    lost->calls.clear();
    lost->countAnswer = 4;
    r = Import(*lost, ini);
    EXPECT_EQ(r.code, -1);
    EXPECT_EQ(r.out.substr(r.out.size() - sizeof kStopLine + 1), kStopLine) << r.out;
    EXPECT_EQ(lost->calls.back(), lost == &tank ? "GetTanksCount" : "GetPumpHosesCount 1");
  }
}

// Every Set call that the port, grade and tank steps take as a miss, a grade
// written for a tank and a tank written for a hose included.
TEST(ImportSeam, RefusedRecordOrLostServer) {
  const std::string ini =
      "[Port01]\nNumber=1\n[Grade01]\nNumber=1\nPrice01=1.5\n[Grade02]\nNumber=2\n"
      "[Grade20]\nNumber=20\n[Grade21]\nNumber=21\n"
      "[Tank01]\nNumber=1\nGrade=1\n[Tank05]\nNumber=5\nGrade=20\n"
      "[Tank30]\nNumber=30\nGrade=21\n"
      "[Pump01]\nNumber=1\nHose1ID=11\nHose1Tank=30\n[Attendant01]\nNumber=1\n";
  struct Case {
    const char* refused;
    const char* line;  // the refused call's own line
    const char* count;
    int32_t answeredCode;  // a refused tank of a hose ends the import anyway
  };
  const Case cases[] = {
      {"SetPortProperties 1", "SetPortProperties failed - refused.\n", "GetPortsCount", 0},
      {"SetGradeProperties 2", "SetGradeProperties failed. - refused.\n", "GetGradesCount", 0},
      {"SetGradePrice 1", "SetGradePrice failed. - refused.\n", "GetGradesCount", 0},
      {"SetGradeProperties 20", "SetGradeProperties failed. - refused.\n", "GetGradesCount", 0},
      {"SetTankProperties 5", "SetTankProperties failed. - refused.\n", "GetTanksCount", 0},
      {"SetTankProperties 30", "SetTankProperties failed. - refused.\n", "GetTanksCount", -1},
  };
  for (const Case& c : cases) {
    for (int32_t answer : {0, 4}) {
      SCOPED_TRACE(std::string(c.refused) + (answer == 0 ? ", answered" : ", lost"));
      ScriptedLibrary library;
      library.refused = {c.refused};
      library.countAnswer = answer;
      // The measures are read, so that only the refused call asks a count.
      for (int32_t id : {1, 5, 30}) library.tankMeasures[id] = {1, 2, 3, 4, 5, 6, 7, 8};
      library.hoseMeasures[11] = {1, 2, 3, 4};
      Result r = Import(library, ini);
      size_t at = 0;
      while (at < library.calls.size() && library.calls[at].rfind(c.refused, 0) != 0) ++at;
      ASSERT_LT(at + 1, library.calls.size());
      EXPECT_EQ(library.calls[at + 1], c.count);
      EXPECT_NE(r.out.find(c.line), std::string::npos) << r.out;
      if (answer == 0) {
        // Refused alone: the walk goes on as before.
        EXPECT_EQ(r.code, c.answeredCode);
        EXPECT_EQ(r.out.find(kStopLine), std::string::npos) << r.out;
        if (c.answeredCode == 0) {
          EXPECT_EQ(library.calls.back(), "SetAttendantPropertiesEx 1");
          EXPECT_EQ(r.out.substr(r.out.size() - 11), "\nAll done.\n");
        }
      } else {
        // Gone: the line, then the stop, and no call after the count call.
        EXPECT_EQ(r.code, -1);
        EXPECT_EQ(library.calls.size(), at + 2);
        const std::string tail = c.line + std::string(kStopLine);
        ASSERT_GE(r.out.size(), tail.size());
        EXPECT_EQ(r.out.substr(r.out.size() - tail.size()), tail) << r.out;
      }
    }
  }
  // The everyday price update over a lost server: nothing after the line.
  ScriptedLibrary library;
  library.refused = {"SetGradeProperties 1"};
  library.countAnswer = 4;
  EXPECT_EQ(Import(library, ini).out,
            "  1 ports imported successfully.\nSetGradeProperties failed. - refused.\n" +
                std::string(kStopLine));
}

}  // namespace
