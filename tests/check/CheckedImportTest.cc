// TarvoCheck IMPORT, the checked import, end to end against the emulator:
// the question (answered on a terminal where the platform gives one, else
// /YES), no console without /YES, the backup and its bytes, a refused call
// that stops the import, a value the controller silently keeps, a file with
// CHECK errors refused before the logon, and a restore with a gap.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/E2E.h"

namespace {

using nlohmann::json;

json SampleStation() {
  return json::parse(e2e::ReadFile(TARVO_SOURCE_DIR "/examples/sample-station.json"));
}

std::string Sample() { return e2e::ReadFile(TARVO_SOURCE_DIR "/tests/golden/sample-station.ini"); }

std::string Replaced(std::string bytes, const std::string& from, const std::string& to) {
  const size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) bytes.replace(at, from.size(), to);
  return bytes;
}

bool Wrote(const json& journal) {
  for (const json& entry : journal) {
    if (entry["call"].get<std::string>().rfind("Set", 0) == 0) return true;
  }
  return false;
}

// TarvoCheck with a terminal as standard input on which `answer` is typed;
// standard output and standard error together. Only without a launcher: a Windows
// program under wine is given /YES instead.
e2e::Run RunOnTerminal(const std::vector<std::string>& args, const std::string& answer) {
  return e2e::RunCheckOnTerminal(args, answer, "", true);
}

bool Launched() { return std::getenv("TARVO_LAUNCHER") != nullptr; }

TEST(CheckedImport, AsksImportsVerifiesAndKeepsTheBackup) {
  e2e::Emulator emu(SampleStation());
  const std::string dir = e2e::TempDir();
  const std::string path = dir + "/site.ini";
  e2e::WriteFile(path, Replaced(Sample(), "Price01=1.589", "Price01=15.89"));
  const std::string question = "Import these changes into " + emu.Server() + "? [y/N] ";

  // No console and no /YES: nothing written, and said so.
  emu.ClearJournal();
  e2e::Run run = e2e::RunCheck({"IMPORT", path, emu.Server()});
  EXPECT_EQ(run.exitCode, 2) << run.out;
  EXPECT_NE(run.out.find("no console to ask on and no /YES"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Grade01  Price1  1.589 -> 15.890  (a factor of 10 up)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find(question), std::string::npos);
  EXPECT_FALSE(Wrote(emu.Journal()));

  if (!Launched()) {
    run = RunOnTerminal({"IMPORT", path, emu.Server()}, "n");
    EXPECT_EQ(run.exitCode, 2) << run.out;
    EXPECT_NE(run.out.find(question), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Not imported: the answer was no."), std::string::npos) << run.out;
    EXPECT_FALSE(Wrote(emu.Journal()));
  }

  // The backup equals a plain EXPORT made just before.
  const std::string plain = e2e::TempDir() + "/plain.ini";
  ASSERT_EQ(e2e::RunTarvo({"EXPORT", plain, emu.Server()}).exitCode, 0);
  for (const std::string& f : e2e::FilesBeginning(dir, "site.before-")) std::remove(f.c_str());
  emu.ClearJournal();
  run = Launched() ? e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"})
                   : RunOnTerminal({"IMPORT", path, emu.Server()}, "y");
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("\nverified: the controller holds what the import wrote\n"),
            std::string::npos)
      << run.out;
  const std::vector<std::string> before = e2e::FilesBeginning(dir, "site.before-");
  ASSERT_EQ(before.size(), 1u) << run.out;
  EXPECT_EQ(e2e::FilesBeginning(dir, "site.after-").size(), 1u);
  EXPECT_EQ(e2e::WithoutDate(e2e::ReadFile(before[0])), e2e::WithoutDate(e2e::ReadFile(plain)));
  EXPECT_NE(run.out.find("To go back: TarvoCheck IMPORT " + before[0] + " " + emu.Server()),
            std::string::npos)
      << run.out;
  // STAMP: local time with its UTC offset, ISO 8601's basic form.
  const std::string stamp = before[0].substr(dir.size() + 13);
  EXPECT_EQ(stamp.size(), std::string("20261207T143000+0000.ini").size()) << stamp;
  EXPECT_EQ(stamp[8], 'T');
  EXPECT_TRUE(stamp[15] == '+' || stamp[15] == '-') << stamp;
  EXPECT_DOUBLE_EQ(emu.State()["grades"][0]["prices"]["1"].get<double>(), 15.89);
  // The controller is read once for the backup and the PLAN, once for the
  // EXPORT after and the verification.
  int reads = 0;
  for (const json& entry : emu.Journal()) {
    reads += entry == json{{"call", "GetPumpPropertiesEx"}, {"args", {1}}} ? 1 : 0;
  }
  EXPECT_EQ(reads, 2);

  // Again: nothing to change, nothing written, exit 0.
  emu.ClearJournal();
  run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("Nothing to change"), std::string::npos) << run.out;
  EXPECT_FALSE(Wrote(emu.Journal()));
}

// A refused call that ends the import leaves the backup (exit 3); a field
// the controller silently keeps is named by the verification (exit 1).
TEST(CheckedImport, RefusalsAndKeptValues) {
  json fixture = SampleStation();
  fixture["faults"] =
      json::array({{{"call", "SetPumpPropertiesEx"}, {"args", {3}}, {"code", 7}}});
  e2e::Emulator emu(fixture);
  const std::string dir = e2e::TempDir();
  const std::string path = dir + "/site.ini";
  e2e::WriteFile(path, Replaced(Sample(), "Price01=1.589", "Price01=1.599"));
  e2e::Run run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 3) << run.out;
  EXPECT_NE(run.out.find("the import stopped part-way"), std::string::npos) << run.out;
  const std::vector<std::string> before = e2e::FilesBeginning(dir, "site.before-");
  ASSERT_EQ(before.size(), 1u);
  EXPECT_NE(e2e::ReadFile(before[0]).find("[Pump08]"), std::string::npos);
  EXPECT_NE(run.out.find("To go back: TarvoCheck IMPORT " + before[0]), std::string::npos);

  fixture["faults"] =
      json::array({{{"call", "SetPumpPropertiesEx"}, {"args", {1}}, {"keep", "name"}}});
  emu.Load(fixture);
  e2e::WriteFile(path, Replaced(Sample(), "Name=Bomba 1", "Name=Bomba Um"));
  run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES", "/JSON"});
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_NE(run.err.find("\nPump01  Name  the controller holds \"Bomba 1"), std::string::npos)
      << run.err;
  json doc = json::parse(run.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << run.out;
  EXPECT_EQ(doc["command"], "IMPORT");
  EXPECT_EQ(doc["exitCode"], 1);
  EXPECT_EQ(doc["verification"]["verified"], false);
  ASSERT_EQ(doc["verification"]["differences"].size(), 1u) << doc.dump(2);
  EXPECT_EQ(doc["verification"]["differences"][0]["section"], "Pump01");
  EXPECT_EQ(doc["verification"]["differences"][0]["changes"][0]["field"], "Name");
  std::vector<std::string> steps;
  for (const json& s : doc["steps"]) steps.push_back(s["step"].get<std::string>() + " " +
                                                      s["outcome"].get<std::string>());
  EXPECT_EQ(steps, (std::vector<std::string>{"check done", "backup done", "show done",
                                             "ask skipped", "import done",
                                             "verify differences"}));
  EXPECT_TRUE(doc["backup"]["file"].is_string());
  EXPECT_TRUE(doc["after"]["file"].is_string());
}

// CHECK errors end the command before the logon; a restore with a gap into
// an empty controller shows the clients it will not restore before asking,
// and the verification names them.
TEST(CheckedImport, RefusedBeforeTheLogonAndTheGapRestore) {
  e2e::Emulator emu;
  const std::string dir = e2e::TempDir();
  const std::string path = dir + "/site.ini";
  std::string bytes = Sample();
  const size_t tank4 = bytes.find("[Tank04]");
  bytes.erase(tank4, bytes.find("[ZigBee05]") - tank4);
  e2e::WriteFile(path, bytes);
  e2e::Run run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 2) << run.out;
  EXPECT_EQ(emu.Journal(), json::array()) << "logged on";
  EXPECT_TRUE(e2e::FilesBeginning(dir, "site.before-").empty());

  std::string gap;
  for (int n : {1, 2, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}) {
    char section[96];
    std::snprintf(section, sizeof section, "[Client%03d]\r\nNumber=%d\r\nName=C%d\r\nEnabled=1\r\n",
                  n, n, n);
    gap += section;
  }
  e2e::WriteFile(path, gap);
  run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 1) << run.out;
  const size_t shown = run.out.find("Client010  not restored (IMPORT never reaches it");
  EXPECT_LT(shown, run.out.find("/YES given")) << run.out;
  EXPECT_NE(run.out.find("\nClient019  not in the controller (IMPORT never reaches it"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("0 records differ, 10 not in the controller\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(emu.State()["cardClients"].size(), 2u);
}

}  // namespace

namespace {

// The line of bytes on which `text` first begins, counted from 1.
int LineOf(const std::string& bytes, const std::string& text) {
  const size_t at = bytes.find(text);
  int line = 1;
  for (size_t i = 0; i < at && i < bytes.size(); ++i) line += bytes[i] == '\n' ? 1 : 0;
  return line;
}

// bytes without the section that begins with header.
std::string WithoutSection(std::string bytes, const std::string& header) {
  const size_t at = bytes.find(header);
  EXPECT_NE(at, std::string::npos) << header;
  if (at == std::string::npos) return bytes;
  const size_t end = bytes.find("\r\n[", at);
  return bytes.erase(at, end == std::string::npos ? std::string::npos : end + 2 - at);
}

// Edits IMPORT would lose, each in a file that otherwise says what the
// controller holds: nothing written, exit 2, the lines named; a deleted
// client stays in the controller, before an import and after one.
TEST(CheckedImport, NothingToChangeOnlyWhenTrue) {
  e2e::Emulator emu(SampleStation());
  const std::string path = e2e::TempDir() + "/site.ini";
  const std::string sample = Sample();
  const std::string second =
      "\r\n[Grade01]\r\nNumber=1\r\nName=Gasolina 95\r\nShortName=G95\r\nCode=95\r\n"
      "Price01=1.659\r\n";
  struct Case {
    std::string bytes, outcome, shown;
  } cases[] = {
      {Replaced(sample, "Price02=1.569\r\n", "Price02=1.569\r\n\tPrice01=1.659\r\n"),
       "lines-not-read", "\tPrice01"},
      {Replaced(sample, "Price02=1.569",
                "Price02=\xE2\x82\xAC"
                "1.579"),
       "lines-not-read", "Price02=\xE2\x82\xAC"},
      {sample + second, "lines-not-read", second.substr(2)},
      {WithoutSection(sample, "[Client020]"), "controller-only", ""},
  };
  for (const Case& c : cases) {
    e2e::WriteFile(path, c.bytes);
    emu.ClearJournal();
    e2e::Run run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES", "/JSON"});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_FALSE(Wrote(emu.Journal()));
    const json doc = json::parse(run.out, nullptr, false);
    ASSERT_TRUE(doc.is_object()) << run.out;
    EXPECT_EQ(doc["outcome"], c.outcome) << run.err;
    const size_t verdict = run.err.find("Nothing written: ");
    ASSERT_NE(verdict, std::string::npos) << run.err;
    if (c.outcome == "lines-not-read") {
      const std::string line = "  line " + std::to_string(LineOf(c.bytes, c.shown)) + "  ";
      EXPECT_NE(run.err.find(line, verdict), std::string::npos) << line << "\n" << run.err;
    }
  }
  EXPECT_NE(e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"})
                .out.find("\nClient020 stays in the controller: IMPORT deletes no record"),
            std::string::npos);

  // With an edit beside the deleted client: imported, verified, and said.
  e2e::WriteFile(path,
                 Replaced(WithoutSection(sample, "[Client020]"), "Price01=1.589", "Price01=1.659"));
  e2e::Run run = e2e::RunCheck({"IMPORT", path, emu.Server(), "/YES"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("\nGrade01  Price1  1.589 -> 1.659\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nverified; 1 record stays in the controller: IMPORT deletes no record "
                         "(Client020)\n"),
            std::string::npos)
      << run.out;
}

}  // namespace
