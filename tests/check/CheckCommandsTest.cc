// TarvoCheck's command line and exit codes: 0 nothing to report, 1 something
// to report, 2 the file would not import as written, -1 (255) TarvoCheck
// could not run. DIFF and PLAN never show a password; hostile
// files and streams.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "check/records/Records.h"
#include "tests/support/E2E.h"

namespace {

using nlohmann::json;

const char kStation[] =
    "[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPassword=4711\r\nEnabled=1\r\n"
    "[Client001]\r\nNumber=1\r\nName=Frota\r\nTag=C-1\r\nEnabled=1\r\n";

std::string Write(const std::string& bytes) {
  std::string path = e2e::TempDir() + "/site.ini";
  e2e::WriteFile(path, bytes);
  return path;
}

TEST(CheckCommands, HelpAndUsage) {
  for (std::vector<std::string> args : {std::vector<std::string>{}, {"/?"}, {"-h"}, {"--help"}}) {
    e2e::Run run = e2e::RunCheck(args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("TarvoCheck CHECK <INI file>"), std::string::npos) << run.out;
  }
  EXPECT_EQ(e2e::RunCheck({"site.ini"}).exitCode, 255);                   // no command
  EXPECT_EQ(e2e::RunCheck({"CHECK"}).exitCode, 255);                      // no file
  EXPECT_EQ(e2e::RunCheck({"DIFF", "a.ini"}).exitCode, 255);              // one file
  e2e::Run missing = e2e::RunCheck({"CHECK", e2e::TempDir() + "/none.ini"});
  EXPECT_EQ(missing.exitCode, 255);
  EXPECT_NE(missing.out.find("Cannot read "), std::string::npos) << missing.out;

  e2e::Run version = e2e::RunCheck({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "TarvoCheck 22.02\n");
  // With /JSON a usage error is a document too, of the same shape.
  for (std::vector<std::string> args :
       {std::vector<std::string>{"site.ini", "/JSON"}, {"/json", "DIFF", "a.ini"}}) {
    e2e::Run run = e2e::RunCheck(args);
    EXPECT_EQ(run.exitCode, 255);
    json doc = json::parse(run.out, nullptr, false);
    ASSERT_TRUE(doc.is_object()) << run.out;
    EXPECT_EQ(doc["schema"], 1);
    EXPECT_EQ(doc["exitCode"], -1);
    EXPECT_TRUE(doc["error"].is_string() && !doc["error"].get<std::string>().empty()) << run.out;
    EXPECT_TRUE(doc["check"].is_null() && doc["plan"].is_null() && doc["diff"].is_null());
  }
}

TEST(CheckCommands, DiffComparesWhatImportReads) {
  std::string a = Write(kStation);
  // Order, blanks, quotes and other sections do not count.
  std::string same = Write(
      "[Application]\r\nDateGenerated=today\r\n\r\n[Client001]\r\n  Number = 1\r\nName=\"Frota\"\r\n"
      "Tag=C-1\r\nEnabled=1\r\n[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPassword=4711\r\n"
      "Enabled=1\r\n");
  e2e::Run run = e2e::RunCheck({"diff", a, same});
  EXPECT_EQ(run.exitCode, 0) << run.out;

  std::string b = Write(
      "[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPassword=9999\r\nEnabled=1\r\n"
      "[Client002]\r\nNumber=2\r\nName=Frota\r\nTag=C-1\r\nEnabled=1\r\n");
  run = e2e::RunCheck({"DIFF", a, b});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("Attendant01  changes\n    Password  changed\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Client001  only in " + a), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Client002  only in " + b), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("1 record differs, 1 only in " + a + ", 1 only in " + b + "\n"),
            std::string::npos)
      << run.out;
  e2e::Run js = e2e::RunCheck({"DIFF", a, b, "/JSON"});
  EXPECT_EQ(js.exitCode, 1);
  json doc = json::parse(js.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << js.out;
  EXPECT_EQ(doc["exitCode"], 1);
  EXPECT_EQ(doc["diff"]["records"][0]["changes"],
            json::parse(R"([{"key": "Password", "field": "Password", "before": null,
                             "after": null, "secret": true, "note": null}])"));
  for (const std::string& out : {run.out, js.out}) {
    EXPECT_EQ(out.find("4711"), std::string::npos);
    EXPECT_EQ(out.find("9999"), std::string::npos);
  }

  // A file whose import would stop part-way is an error.
  std::string stops = Write("[Pump01]\r\nNumber=1\r\nHose1ID=11\r\nHose1Tank=4\r\n");
  EXPECT_EQ(e2e::RunCheck({"DIFF", a, stops}).exitCode, 2);
}

TEST(CheckCommands, PlanReadsTheControllerAndWritesNothing) {
  e2e::Emulator emu(json{{"grades", {{{"id", 1}, {"number", 1}, {"name", "G95"},
                                      {"prices", {{"1", 1.5}, {"2", 1.4}}}}}},
                         {"attendants", {{{"id", 1}, {"number", 1}, {"name", "Jose"},
                                          {"password", "1111"}, {"enabled", 1}}}},
                         {"cardClients", {{{"id", 5}, {"number", 5}, {"name", "Old"}}}}});
  std::string path = Write(std::string(kStation) +
                           "[Grade01]\r\nNumber=1\r\nName=G95\r\nPrice01=1.5\r\n");
  e2e::Run run = e2e::RunCheck({"PLAN", path, emu.Server()});
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_NE(run.out.find("Attendant01  changes\n    Password  changed\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Client001  new\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Client005  in the controller only: IMPORT leaves it as it is\n"),
            std::string::npos)
      << run.out;
  // IMPORT writes no second price level, so the controller's stays.
  EXPECT_NE(run.out.find("Grade01  keeps\n    Price2  1.400 stays (IMPORT writes no such price "
                         "level)\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("1 record changes, 1 new, 1 in the controller only, 1 record keeps "
                         "price levels IMPORT does not write\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("1111"), std::string::npos);
  EXPECT_EQ(run.out.find("4711"), std::string::npos);
  for (const json& entry : emu.Journal()) {
    EXPECT_NE(entry["call"].get<std::string>().rfind("Set", 0), 0u) << entry;
  }

  EXPECT_EQ(e2e::RunCheck({"PLAN", path, e2e::NoServer()}).exitCode, 255);
}

// A restore whose file has a gap of seven client numbers, into an empty
// controller: IMPORT brings back 2 of 12 clients, and PLAN tells of the ten
// others, with CHECK's findings (a misspelt key among them) ahead of the plan.
TEST(CheckCommands, PlanTellsWhatIsNotRestoredAndWhatCheckFound) {
  e2e::Emulator emu;
  std::string bytes = "[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPasword=4711\r\nEnabled=1\r\n";
  for (int n : {1, 2, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}) {
    char section[64];
    std::snprintf(section, sizeof section, "[Client%03d]\r\nNumber=%d\r\nName=C%d\r\n", n, n, n);
    bytes += section;
  }
  const std::string path = Write(bytes);
  e2e::Run run = e2e::RunCheck({"PLAN", path, emu.Server()});
  EXPECT_EQ(run.exitCode, 2) << run.out;
  const std::string head = "PLAN " + path + " against " + emu.Server() + "\n\nCHECK: 0 errors, ";
  EXPECT_EQ(run.out.rfind(head, 0), 0u) << run.out;
  const size_t misspelt = run.out.find("Pasword");
  EXPECT_LT(misspelt, run.out.find("Attendant01  new\n")) << run.out;
  EXPECT_NE(run.out.find("\nClient010  not restored (IMPORT never reaches it: after seven "
                         "missing numbers)\nClient011  not restored ("),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("0 records change, 3 new, 0 in the controller only, 10 not restored\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("4711"), std::string::npos) << run.out;

  e2e::Run js = e2e::RunCheck({"PLAN", path, emu.Server(), "/JSON"});
  EXPECT_EQ(js.exitCode, 2);
  json doc = json::parse(js.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << js.out;
  EXPECT_EQ(doc["plan"]["counts"]["notRestored"], 10);
  ASSERT_EQ(doc["plan"]["notRestored"].size(), 10u);
  EXPECT_EQ(doc["plan"]["notRestored"][0],
            (json{{"section", "Client010"}, {"table", "client"}, {"id", 10},
                  {"reason", "IMPORT never reaches it: after seven missing numbers"},
                  {"reasonCode", "after-seven-missing"}}));
  EXPECT_GE(doc["check"]["warnings"].get<int>(), 1);
  bool told = false;
  for (const json& f : doc["check"]["findings"]) told = told || f["key"] == "Pasword";
  EXPECT_TRUE(told) << js.out;
  EXPECT_EQ(js.out.find("4711"), std::string::npos);

  // Against a controller that holds them, the ten are not lost.
  json held = json::array();
  for (int n = 10; n <= 19; ++n) held.push_back({{"id", n}, {"number", n}, {"name", "Kept"}});
  e2e::Emulator full(json{{"cardClients", held}});
  run = e2e::RunCheck({"PLAN", path, full.Server()});
  EXPECT_EQ(run.out.find("not restored"), std::string::npos) << run.out;
  // Nor are they the controller's alone: the file holds them where IMPORT
  // does not write them.
  EXPECT_NE(run.out.find("\nClient010  in the controller, and in the file where IMPORT does not "
                         "write it (IMPORT never reaches it: after seven missing numbers)"),
            std::string::npos)
      << run.out;
}

json SampleStation() {
  return json::parse(e2e::ReadFile(TARVO_SOURCE_DIR "/examples/sample-station.json"));
}

// The sample station's file with `from` replaced by `to`.
std::string EditedSample(const std::string& from, const std::string& to) {
  std::string bytes = e2e::ReadFile(TARVO_SOURCE_DIR "/tests/golden/sample-station.ini");
  const size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) bytes.replace(at, from.size(), to);
  return bytes;
}

// Client sections [Client<section>] holding client n.
std::string Clients(std::vector<int> sections) {
  std::string out;
  for (int n : sections) {
    char text[96];
    std::snprintf(text, sizeof text, "[Client%03d]\r\nNumber=%d\r\nName=C%d\r\nEnabled=1\r\n", n,
                  n, n);
    out += text;
  }
  return out;
}

// DIFF compares the whole files: what IMPORT does not read or never reaches
// differs all the same (exit 1), marked as such; DateGenerated does not.
TEST(CheckCommands, DiffSeesTheWholeFile) {
  const std::string a = Write(EditedSample("<date>", "2026-03-02 10:15:00"));
  e2e::Run run = e2e::RunCheck({"DIFF", a, Write(EditedSample("<date>", "2026-03-02 10:16:00"))});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("0 records differ, 0 only in "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n0 other differences in the files"), std::string::npos) << run.out;

  const std::string upgraded = Write(EditedSample("=PIF 3.1.0", "=PIF 3.2.0"));
  run = e2e::RunCheck({"DIFF", a, upgraded});
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_NE(run.out.find("0 records differ, 0 only in "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nPort01  FirmwareVersion  \"PIF 3.1.0\" -> \"PIF 3.2.0\"  (IMPORT does "
                         "not read it)\n1 other difference in the files"),
            std::string::npos)
      << run.out;
  const std::string channel = Write(EditedSample("Channels=\r\n", "Channels=15\r\n"));
  e2e::Run js = e2e::RunCheck({"DIFF", a, channel, "/JSON"});
  EXPECT_EQ(js.exitCode, 1) << js.out;
  json doc = json::parse(js.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << js.out;
  EXPECT_EQ(doc["diff"]["counts"]["fileDiffer"], 1);
  EXPECT_EQ(doc["diff"]["fileDifferences"][0],
            (json{{"section", "Port01"}, {"key", "Channels"}, {"a", ""}, {"b", "15"},
                  {"read", false}, {"secret", false},
                  {"reason", "IMPORT does not read it"}, {"reasonCode", "not-read"}}));

  // A restore with a gap: the verification after it shows the clients the
  // import never reached, though the records IMPORT reads are the same.
  const std::string full = Write(Clients({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  const std::string gap = Write(Clients({1, 2, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
  const std::string never =
      "  (IMPORT never reaches it: the walk stops after seven missing numbers, at Client009)\n";
  run = e2e::RunCheck({"DIFF", gap, Write(Clients({1, 2}))});
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_NE(run.out.find("0 records differ, 0 only in "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nClient010 ... Client019  only in " + gap + never), std::string::npos)
      << run.out;
  run = e2e::RunCheck({"DIFF", full, gap});
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_NE(run.out.find("Client003  only in " + full), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nClient013 ... Client019  only in " + gap + never), std::string::npos)
      << run.out;
}

// IMPORT keeps the measures the controller holds: a PLAN of a fresh EXPORT
// has nothing to change, whatever the tanks' and hoses' measures.
TEST(CheckCommands, PlanOfAFreshExportChangesNothing) {
  json fixture = SampleStation();
  for (json& pump : fixture["pumps"]) {
    for (json& hose : pump["hoses"]) hose["measures"] = {12.5, 3.0, 0.25, hose["id"]};
  }
  e2e::Emulator emu(fixture);
  const std::string path = e2e::TempDir() + "/export.ini";
  ASSERT_EQ(e2e::RunTarvo({"EXPORT", path, emu.Server()}).exitCode, 0);
  e2e::Run run = e2e::RunCheck({"PLAN", path, emu.Server()});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("\n0 records change, 0 new, 0 in the controller only\n"),
            std::string::npos)
      << run.out;
}

// A hose that changes pumps is told under both pumps; a pump that keeps the
// controller's hose 1 beside the file's is told so; new tanks and hoses get
// 0 for their measures, said once per table.
TEST(CheckCommands, PlanSaysWhereHosesGo) {
  e2e::Emulator emu(SampleStation());
  // Pump08's section renamed Pump09, Pump01's hose 11 given id 111, a new tank.
  std::string renamed = EditedSample("[Pump08]\r\nNumber=8\r\n", "[Pump09]\r\nNumber=9\r\n");
  renamed.replace(renamed.find("Hose1ID=11\r\n"), 12, "Hose1ID=111\r\n");
  renamed += "[Tank05]\r\nNumber=5\r\nName=Novo\r\nGrade=1\r\nType=1\r\nCapacity=9.000\r\n"
             "Diameter=1.000\r\nTankGauge=0\r\nProbe=0\r\n";
  const std::string path = Write(renamed);
  e2e::Run run = e2e::RunCheck({"PLAN", path, emu.Server()});
  EXPECT_EQ(run.exitCode, 1) << run.out;
  for (const char* said :
       {"\nPump01 will have two hoses numbered 1: ids 11 and 111 (IMPORT removes no hose)\n",
        "\nPump08 Hose1 (id 81) moves to Pump09\n\nPump08 Hose2 (id 82) moves to Pump09\n",
        "Pump09 Hose1  changes\n    PumpId  8 -> 9  (id 81 moves from Pump08 Hose1)\n",
        "\nIMPORT passes 0 for the measures of 1 new tank: the file has no keys for them\n"
        "IMPORT passes 0 for the measures of 1 new hose: the file has no keys for them\n\n",
        ", 2 hoses move to another pump, 1 pump with two hoses of one number\n"}) {
    EXPECT_NE(run.out.find(said), std::string::npos) << said << "\n" << run.out;
  }
  EXPECT_EQ(run.out.find("    M1 "), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("    H1 "), std::string::npos) << run.out;
  json doc = json::parse(e2e::RunCheck({"PLAN", path, emu.Server(), "/JSON"}).out, nullptr, false);
  ASSERT_TRUE(doc.is_object());
  EXPECT_EQ(doc["plan"]["hoseMoves"][0],
            (json{{"id", 81}, {"from", "Pump08 Hose1"}, {"to", "Pump09 Hose1"}}));
  EXPECT_EQ(doc["plan"]["sharedHoseNumbers"],
            json::parse(R"([{"pump": "Pump01", "hose": 1, "ids": [11, 111]}])"));
  EXPECT_EQ(doc["plan"]["zeroedMeasures"],
            json::parse(R"([{"table": "tank", "count": 1}, {"table": "hose", "count": 1}])"));

  // Pump08 copied as Pump09 with its hose ids: the hoses move too, and it is
  // an error, not what the file says.
  const std::string sample = EditedSample("", "");
  const size_t pump8 = sample.find("[Pump08]");
  std::string copy = sample.substr(pump8, sample.find("[Attendant01]") - pump8);
  copy.replace(0, 18, "[Pump09]\r\nNumber=9");
  run = e2e::RunCheck({"PLAN", Write(sample + copy), emu.Server()});
  EXPECT_EQ(run.exitCode, 2) << run.out;
  EXPECT_NE(run.out.find("\nPump08 Hose1 (id 81) moves to Pump09\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("IMPORT would not do what the file says:\n\n[Pump09]\n  line "),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("hose 81 is Pump08's Hose1 too"), std::string::npos) << run.out;
}

// Whatever the finding, a line that may hold a password is never quoted;
// the text report stays in proportion to the file (names and values cut),
// while JSON carries them whole and exact, DEL escaped.
TEST(CheckCommands, HostileLinesInTheReports) {
  const std::string longKey(100000, 'K'), longValue(100000, 'x');
  std::string bytes =
      "[Attendant01]\r\nNumber=1\r\nName=Jose\r\nPasswordS3cretA=1\r\nPassword:S3cretB\r\n"
      "Pasword:S3cretC\r\nShiftAStart=x\x7fy\r\nShiftAEnd=" +
      longValue + "\r\nEnabled=1\r\n[Client001]\r\nNumber=1\r\nPassword:S3cretD\r\n";
  for (int i = 0; i < 200; ++i) bytes += "Unknown" + std::to_string(i) + "=1\r\n";
  bytes += longKey + "=1\r\n";
  const std::string path = Write(bytes);

  e2e::Run text = e2e::RunCheck({"CHECK", path});
  EXPECT_EQ(text.exitCode, 1);
  EXPECT_LT(text.out.size(), 40000u) << "every line padded to the longest key";
  EXPECT_NE(text.out.find(longKey.substr(0, 40) + "...  warning"), std::string::npos);
  EXPECT_NE(text.out.find("\"" + longValue.substr(0, 40) + "...\" is not a whole number"),
            std::string::npos);
  EXPECT_NE(text.out.find("\"x\\x7Fy\""), std::string::npos);  // DEL shown visibly

  e2e::Run js = e2e::RunCheck({"CHECK", path, "/JSON"});
  EXPECT_EQ(js.exitCode, 1);
  EXPECT_NE(js.out.find("x\\u007fy"), std::string::npos);
  json doc = json::parse(js.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << js.out.substr(0, 2000);
  bool wholeKey = false, wholeValue = false;
  for (const json& f : doc["check"]["findings"]) {
    wholeKey = wholeKey || f["key"] == longKey;
    wholeValue = wholeValue || f["message"].get<std::string>().find(longValue + "\"") == 1;
  }
  EXPECT_TRUE(wholeKey && wholeValue);
  for (const std::string& out : {text.out, js.out}) {
    EXPECT_EQ(out.find("S3cret"), std::string::npos) << out.substr(0, 3000);
  }
}

// JSON carries a file's bytes exactly whatever they are: control bytes and
// DEL escaped, each byte of a file without a mark the character of its code.
TEST(CheckCommands, JsonCarriesValuesExactly) {
  const std::string raw = "a\x01" "b\x7f" "Caf\xe9\t\"q\"\\";
  const std::string utf8 = "a\x01" "b\x7f" "Caf\xc3\xa9\t\"q\"\\";
  const std::string a = Write("[Client001]\r\nNumber=1\r\nName=" + raw + "\r\nNick=" + raw +
                              "\r\nEnabled=1\r\n");
  e2e::Run js = e2e::RunCheck({"CHECK", a, "/JSON"});
  EXPECT_EQ(js.out.find('\x7f'), std::string::npos) << "DEL written raw";
  json doc = json::parse(js.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << js.out;
  bool nick = false;
  for (const json& f : doc["check"]["findings"]) {
    if (f["key"] != "Nick") continue;
    nick = true;
    EXPECT_EQ(f["code"], "unknown-key");
    EXPECT_EQ(f["value"], utf8);
  }
  EXPECT_TRUE(nick) << js.out;
  const std::string b = e2e::TempDir() + "/b.ini";
  e2e::WriteFile(b, "[Client001]\r\nNumber=1\r\nName=x\r\nNick=" + raw + "\r\nEnabled=1\r\n");
  doc = json::parse(e2e::RunCheck({"DIFF", a, b, "/JSON"}).out, nullptr, false);
  ASSERT_TRUE(doc.is_object());
  const json& change = doc["diff"]["records"][0]["changes"][0];
  EXPECT_EQ(change["key"], "Name");
  EXPECT_EQ(change["before"], utf8);
  EXPECT_EQ(change["after"], "x");
}

// A pipe or FIFO is read once, to its end, however its writer delivers it.
TEST(CheckCommands, FifosAreReadWhole) {
  const std::string fifo = e2e::TempDir() + "/station.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string file = Write(kStation);
  auto run = [&](const std::vector<std::string>& args) {
    std::thread writer([&] {
      const int fd = open(fifo.c_str(), O_WRONLY);
      if (fd < 0) return;
      const std::string bytes = kStation;
      const size_t half = bytes.size() / 2;
      EXPECT_EQ(write(fd, bytes.data(), half), static_cast<ssize_t>(half));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      EXPECT_EQ(write(fd, bytes.data() + half, bytes.size() - half),
                static_cast<ssize_t>(bytes.size() - half));
      close(fd);
    });
    e2e::Run result = e2e::RunCheck(args);
    // A reader that never came leaves the writer waiting: release it.
    const int unblock = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    if (unblock >= 0) close(unblock);
    return result;
  };
  e2e::Run check = run({"CHECK", fifo});
  EXPECT_NE(check.out.find("attendants        1\n  card clients      1\n"), std::string::npos)
      << check.out;
  e2e::Run diff = run({"DIFF", fifo, file});
  EXPECT_EQ(diff.exitCode, 0) << diff.out;
  EXPECT_NE(diff.out.find("0 records differ, 0 only in"), std::string::npos) << diff.out;
}

// Amounts of any width are written with every digit, and JSON stays valid.
TEST(CheckCommands, WideAmountsAreWrittenWhole) {
  for (double amount : {1.5e61, -1.7e308, 1234.5678}) {
    const Value v = Value::Amount(amount);
    char expected[400];
    std::snprintf(expected, sizeof expected, amount == 1234.5678 ? "%.4f" : "%.3f", amount);
    EXPECT_EQ(v.Show(), expected);
    json parsed = json::parse(v.Json(), nullptr, false);
    ASSERT_TRUE(parsed.is_number()) << v.Json();
    EXPECT_DOUBLE_EQ(parsed.get<double>(), amount);
  }
  EXPECT_EQ(Value::Text(u"a\x7f").Json(), "\"a\\u007f\"");
}

}  // namespace
