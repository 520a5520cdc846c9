// ZigBee devices, pumps with their hoses, attendants and card clients: the
// walks, the hose keys, a hose's tank first, and the first refused call
// ending the import.
#include <string>

#include <gtest/gtest.h>

#include "tests/import/ImportSupport.h"

namespace importtest {
namespace {

const char kGradeAndTank[] = "[Grade01]\nNumber=1\n[Tank01]\nNumber=1\nGrade=1\n";

std::string Hose(int h, int id, int tank) {
  std::string hose = "Hose" + std::to_string(h);
  return hose + "ID=" + std::to_string(id) + "\n" + hose + "Tank=" + std::to_string(tank) + "\n";
}

std::string Pump(int n, const std::string& keys = "") {
  char name[16];
  std::snprintf(name, sizeof name, "Pump%02d", n);
  return "[" + std::string(name) + "]\nNumber=" + std::to_string(n) + "\n" + keys;
}

TEST(ImportZigBee, WalkStartsAtFive) {
  e2e::Emulator emulator;
  struct Case {
    std::string ini;
    std::string summary;
  };
  const Case cases[] = {
      {"[ZigBee01]\nNumber=1\n[ZigBee02]\nNumber=2\n[ZigBee03]\nNumber=3\n[ZigBee04]\nNumber=4\n",
       ""},
      {"[ZigBee05]\nNumber=1\n[ZigBee13]\nNumber=2\n", "ZigBee 5"},
      {"[ZigBee05]\nNumber=1\n[ZigBee12]\nNumber=2\n", "ZigBee 5, ZigBee 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    Imported r = Import(emulator, c.ini);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(Summary(r.sets), c.summary);
  }
  EXPECT_EQ(Import(emulator, cases[0].ini).out, "\nAll done.\n");
}

TEST(ImportZigBee, ArgumentsAndRefusal) {
  e2e::Emulator emulator(
      R"({"faults": [{"call": "SetZigBeeProperties", "args": [6], "code": 6}]})");
  Imported r = Import(emulator,
                      "[ZigBee05]\nNumber=1\nName=Gateway\nDeviceType=65534\nSerialNumber=Z1\n"
                      "NodeIdentifier=N1\nPortID=6\nFirmwareVersion=ZB 2.0\n"
                      "[ZigBee06]\nNumber=2\n[ZigBee07]\nNumber=3\n" +
                          Pump(1) + "[Attendant01]\nNumber=1\n");
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(r.sets, json::array({
                        Call("SetZigBeeProperties", {5, 1, "Gateway", -2, "Z1", "N1", 6}),
                        Call("SetZigBeeProperties", {6, 2, "", 0, "", "", 0}),
                    }));
  // No count line, no later step, no closing line.
  EXPECT_EQ(r.out, Refused("SetZigBeeProperties failed."));
}

TEST(ImportPumps, ArgumentsInLibraryOrder) {
  e2e::Emulator emulator;
  Imported r = Import(emulator, std::string(kGradeAndTank) +
                                    "[Pump03]\nNumber=3\nName=Island 2 left\n"
                                    "PhysicalNumber=70000\nSide=2\nAddress=5\nSlot=19\n"
                                    "PriceLevel1=6\nPriceLevel2=7\nPriceDspFormat=8\n"
                                    "VolumeDspFormat=9\nValueDspFormat=10\nPumpType=11\n"
                                    "PortID=70001\nAttendantID=13\nAuthMode=14\nStackMode=15\n"
                                    "PrepayAllowed=16\nPreauthAllowed=17\n"
                                    "MuxSlotZigBeeID=20\nPriceControl=21\nHasPreset=65535\n"
                                    "Hose1ID=7\nHose1Tank=1\nHose1PhysicalNumber=70000\n"
                                    "Hose1Reader=65534\nHose1Price1=1.259\nHose1Enabled=1\n");
  EXPECT_EQ(r.exitCode, 0);
  json sets = r.sets;
  sets.erase(sets.begin(), sets.begin() + 2);  // the grade and the tank
  EXPECT_EQ(sets, json::array({
                      Call("SetPumpPropertiesEx",
                           {3, 3, "Island 2 left", 4464, 2, 5, 6, 7, 8, 9, 10, 11, 70001, 13, 14,
                            15, 16, 17, 19, 20, 21, -1}),
                      Call("SetHosePropertiesEx2",
                           {7, 1, 3, 1, 70000, 0.0, 0.0, 0.0, 0.0, -2, 1.259, 0.0, 1}),
                  }));
  EXPECT_EQ(r.out,
            "  1 grades imported successfully.\n  1 tanks imported successfully.\n"
            "  1 pumps imported successfully.\n\nAll done.\n");
}

TEST(ImportPumps, HoseKeysOneToEightUpToTheFirstMissingId) {
  std::string nine;
  for (int h = 1; h <= 9; ++h) nine += Hose(h, 10 + h, 1);
  e2e::Emulator emulator;
  Imported r = Import(emulator, std::string(kGradeAndTank) +
                                    Pump(1, "Hose1Tank=1\nHose2ID=2\nHose2Tank=1\n") +
                                    Pump(2, Hose(1, 21, 1) + Hose(3, 23, 1)) +
                                    Pump(3, Hose(1, 31, 1) + "Hose2ID=0\nHose2Tank=1\n") +
                                    Pump(4, nine));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Summary(r.sets),
            "Grade 1, Tank 1, Pump 1, Pump 2, Hose 21/1/2, Pump 3, Hose 31/1/3, Pump 4, "
            "Hose 11/1/4, Hose 12/2/4, Hose 13/3/4, Hose 14/4/4, Hose 15/5/4, Hose 16/6/4, "
            "Hose 17/7/4, Hose 18/8/4");
  EXPECT_EQ(r.out,
            "  1 grades imported successfully.\n  1 tanks imported successfully.\n"
            "  4 pumps imported successfully.\n\nAll done.\n");
}

TEST(ImportPumps, HoseTankBeyondTheTanksWalkIsWrittenFirst) {
  e2e::Emulator emulator;
  Imported r = Import(emulator,
                      "[Grade01]\nNumber=1\n[Grade20]\nNumber=20\n"
                      "[Tank08]\nNumber=8\nName=Far\nGrade=20\n" +
                          Pump(1, Hose(1, 11, 8) + "Hose1PhysicalNumber=1\nHose1Reader=1\n"
                                                   "Hose1Price1=1.5\nHose1Price2=1.6\n"
                                                   "Hose1Enabled=1\n" +
                                      Hose(2, 12, 8) + "Hose2PhysicalNumber=2\n"));
  EXPECT_EQ(r.exitCode, 0);
  json expected = json::array({
      Call("SetGradeProperties", {1, 1, "", "", ""}),
      Call("SetPumpPropertiesEx",
           {1, 1, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
      Call("SetGradeProperties", {20, 20, "", "", ""}),
      Call("SetTankProperties",
           {8, 8, "Far", 20, 0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0, 0}),
      // The hose keys are read from the pump's section again.
      Call("SetHosePropertiesEx2", {11, 1, 1, 8, 1, 0.0, 0.0, 0.0, 0.0, 1, 1.5, 1.6, 1}),
      Call("SetHosePropertiesEx2", {12, 2, 1, 8, 2, 0.0, 0.0, 0.0, 0.0, 0, 0.0, 0.0, 0}),
  });
  EXPECT_EQ(r.sets, expected);
  // The tanks' count line is step 3's alone.
  EXPECT_EQ(r.out,
            "  1 grades imported successfully.\n  1 pumps imported successfully.\n\nAll done.\n");
}

TEST(ImportPumps, HoseWhoseTankIsMissingEndsTheImportWithALineSayingWhy) {
  e2e::Emulator emulator;
  const std::string counts =
      "  1 grades imported successfully.\n  1 tanks imported successfully.\n";
  for (int tank : {-1, 0, 9}) {
    SCOPED_TRACE(tank);
    Imported r = Import(emulator, std::string(kGradeAndTank) +
                                      Pump(1, Hose(1, 11, 1) + Hose(2, 12, tank) +
                                                  Hose(3, 13, 1)) +
                                      Pump(2, Hose(1, 21, 1)) + "[Attendant01]\nNumber=1\n");
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_EQ(Summary(r.sets), "Grade 1, Tank 1, Pump 1, Hose 11/1/1");
    EXPECT_EQ(r.out, counts + "Pump01: Hose2 refers to tank " + std::to_string(tank) +
                         ", which the file does not hold; import stopped.\n");
  }
  // A tank whose grade the file does not hold stops the import the same way.
  Imported r = Import(emulator, std::string(kGradeAndTank) +
                                    "[Tank04]\nNumber=4\nGrade=6\n" +
                                    Pump(3, Hose(1, 31, 4)) + "[Attendant01]\nNumber=1\n");
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(Summary(r.sets), "Grade 1, Tank 1, Pump 3");
  EXPECT_EQ(r.out, counts +
                       "Pump03: Hose1 refers to tank 4, whose grade 6 the file does not "
                       "hold; import stopped.\n");
}

TEST(ImportPumps, RefusedPumpOrHoseEndsTheImport) {
  e2e::Emulator emulator(R"({"faults": [
      {"call": "SetPumpPropertiesEx", "args": [2], "code": 6},
      {"call": "SetHosePropertiesEx2", "args": [32], "code": 6}]})");
  std::string tail = "[Attendant01]\nNumber=1\n[Client001]\nNumber=1\n";
  Imported pump = Import(emulator, std::string(kGradeAndTank) + Pump(1, Hose(1, 11, 1)) +
                                       Pump(2, Hose(1, 21, 1)) + Pump(3) + tail);
  EXPECT_EQ(pump.exitCode, 255);
  EXPECT_EQ(Summary(pump.sets), "Grade 1, Tank 1, Pump 1, Hose 11/1/1, Pump 2");
  EXPECT_EQ(pump.out, "  1 grades imported successfully.\n  1 tanks imported successfully.\n" +
                          Refused("SetPumpPropertiesEx failed."));

  Imported hose = Import(emulator, std::string(kGradeAndTank) +
                                       Pump(3, Hose(1, 31, 1) + Hose(2, 32, 1) + Hose(3, 33, 1)) +
                                       Pump(4) + tail);
  EXPECT_EQ(hose.exitCode, 255);
  EXPECT_EQ(Summary(hose.sets), "Grade 1, Tank 1, Pump 3, Hose 31/1/3, Hose 32/2/3");
  EXPECT_EQ(hose.out, "  1 grades imported successfully.\n  1 tanks imported successfully.\n" +
                          Refused("SetHosePropertiesEx2 failed."));

  // What was written before each failure stays: pump 1 with its hose from the
  // first run, pump 3 with the hose before the refused one.
  json pumps = emulator.State()["pumps"];
  ASSERT_EQ(pumps.size(), 2u);
  EXPECT_EQ(pumps[0]["id"], 1);
  EXPECT_EQ(pumps[0]["hoses"].size(), 1u);
  EXPECT_EQ(pumps[1]["id"], 3);
  ASSERT_EQ(pumps[1]["hoses"].size(), 1u);
  EXPECT_EQ(pumps[1]["hoses"][0]["id"], 31);
  EXPECT_TRUE(emulator.State()["attendants"].empty());
}

// The read of a tank's measures fails: the tank the controller lists is not
// written (its measures stay; in the pump step the import ends there), a new
// one is written with 0.
TEST(ImportTanks, AFailedMeasureReadOfAListedTankWritesNoZero) {
  e2e::Emulator emulator(R"({"grades": [{"id": 1}],
      "tanks": [{"id": 2, "number": 2, "grade": 1, "measures": [1, 2, 3, 4, 5, 6, 7, 8]}],
      "faults": [{"call": "GetTankProperties", "code": 6}]})");
  Imported r = Import(emulator, "[Grade01]\nNumber=1\n[Tank02]\nNumber=2\nGrade=1\n"
                                "[Tank03]\nNumber=3\nGrade=1\n" +
                                    Pump(1, Hose(1, 11, 2)) + "[Attendant01]\nNumber=1\n");
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(Summary(r.sets), "Grade 1, Tank 3, Pump 1");
  const std::string line =
      "Tank02: GetTankProperties failed - Record not found (injected fault in "
      "GetTankProperties); the controller holds it: not written.\n";
  EXPECT_EQ(r.out, "  1 grades imported successfully.\n" + line +
                       "  1 tanks imported successfully.\n" + line);
  const json tanks = emulator.State()["tanks"];
  ASSERT_EQ(tanks.size(), 2u);
  EXPECT_EQ(tanks[0]["measures"], json::array({1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(tanks[1]["measures"], json::array({0, 0, 0, 0, 0, 0, 0, 0}));
}

// Attendant100 and Attendant1000 carry three and four digits; the count line
// widens to four.
TEST(ImportAttendants, NumbersRunOnPastNinetyNine) {
  std::string ini;
  for (int n = 1; n <= 1000; ++n) {
    char name[24];
    std::snprintf(name, sizeof name, "Attendant%02d", n);
    ini += "[" + std::string(name) + "]\nNumber=" + std::to_string(n) + "\n";
  }
  e2e::Emulator emulator;
  Imported r = Import(emulator, ini);
  EXPECT_EQ(r.exitCode, 0);
  ASSERT_EQ(r.sets.size(), 1000u);
  EXPECT_EQ(r.sets[99], Call("SetAttendantPropertiesEx", {100, 100, "", "", "", "", 0, 0, 0, 0, 0}));
  EXPECT_EQ(r.sets[999]["args"][0], 1000);
  EXPECT_EQ(r.out, "1000 attendants imported successfully.\n\nAll done.\n");
}

TEST(ImportAttendants, ArgumentsOfAttendantsAndClients) {
  e2e::Emulator emulator;
  Imported r = Import(emulator,
                      "[Attendant03]\nNumber=4\nName=Ann\nShortName=A\nPassword=\"12 34\"\n"
                      "Tag=T1\nShiftAStart=70000\nShiftAEnd=600\nShiftBStart=1200\n"
                      "ShiftBEnd=1800\nEnabled=1\n"
                      "[Client001]\nNumber=7\nName=Fleet\nTag=C1\n"
                      "[Client009]\nNumber=9\nName=Unreached\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.sets, json::array({
                        Call("SetAttendantPropertiesEx",
                             {3, 4, "Ann", "A", "12 34", "T1", 4464, 600, 1200, 1800, 1}),
                        Call("SetCardClientProperties", {1, 7, "Fleet", "C1", 0}),
                    }));
  EXPECT_EQ(r.out,
            "  1 attendants imported successfully.\n  1 clients imported successfully.\n"
            "\nAll done.\n");
}

TEST(ImportAttendants, RefusedAttendantOrClientEndsTheImport) {
  e2e::Emulator emulator(R"({"faults": [
      {"call": "SetAttendantPropertiesEx", "args": [2], "code": 6},
      {"call": "SetCardClientProperties", "args": [2], "code": 6}]})");
  Imported attendant = Import(emulator,
                              "[Attendant01]\nNumber=1\n[Attendant02]\nNumber=2\n"
                              "[Attendant03]\nNumber=3\n[Client001]\nNumber=1\n");
  EXPECT_EQ(attendant.exitCode, 255);
  EXPECT_EQ(Summary(attendant.sets), "Attendant 1, Attendant 2");
  EXPECT_EQ(attendant.out, Refused("SetAttendantPropertiesEx failed."));

  Imported client = Import(emulator,
                           "[Attendant01]\nNumber=1\n[Client001]\nNumber=1\n"
                           "[Client002]\nNumber=2\n[Client003]\nNumber=3\n");
  EXPECT_EQ(client.exitCode, 255);
  EXPECT_EQ(Summary(client.sets), "Attendant 1, CardClient 1, CardClient 2");
  EXPECT_EQ(client.out, "  1 attendants imported successfully.\n" +
                            Refused("SetCardClientPropertiesEx failed.", "SetCardClientProperties"));
}

}  // namespace
}  // namespace importtest
