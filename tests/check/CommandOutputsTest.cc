// Every command's output, byte for byte, over a fixed corpus: TarvoCheck's
// CHECK, PLAN, DIFF, IMPORT and LIBRARY, as text and as /JSON, and
// TarvoExtract's EXPORT, VERSION and IMPORT, against tests/check/outputs/
// (RecordedOutputs.h tells the files' form and what is replaced in them).
// The files are named relative to the folder the programs run in.
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/check/RecordedOutputs.h"
#include "tests/support/E2E.h"

namespace {

using nlohmann::json;

const std::string kSource = TARVO_SOURCE_DIR;

std::string Sample() { return e2e::ReadFile(kSource + "/tests/golden/sample-station.ini"); }
json SampleStation() {
  return json::parse(e2e::ReadFile(kSource + "/examples/sample-station.json"));
}

// bytes with each `from` replaced by its `to`, in order; "" as `to` of a
// section's header removes the whole section.
std::string Edited(std::string bytes,
                   const std::vector<std::pair<std::string, std::string>>& edits) {
  for (const auto& [from, to] : edits) {
    const size_t at = bytes.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at == std::string::npos) continue;
    const size_t end =
        to.empty() ? std::min(bytes.find("\r\n[", at), bytes.size()) : at + from.size();
    bytes.replace(at, end - at, to);
  }
  return bytes;
}

// The corpus beside the sample station's file: changes.ini, with changed,
// new, moved and removed records, a misspelt key and a password changed;
// restore.ini, with a tank whose grade is 0 and clients IMPORT never reaches.
void WriteCorpus(const std::string& dir) {
  e2e::WriteFile(dir + "/sample.ini", Sample());
  e2e::WriteFile(dir + "/changes.ini",
                 Edited(Sample(), {{"Price01=1.589", "Price01=1.599"},
                                   {"Name=Bomba 3\r\n", "Name=Bomba 3 ; Loja\r\n"},
                                   {"Address=4\r\n", "Adress=4\r\n"},
                                   {"Password=2580", "Password=2581"},
                                   {"Hose1ID=11\r\n", "Hose1ID=111\r\n"},
                                   {"[Pump08]\r\nNumber=8\r\n", "[Pump09]\r\nNumber=9\r\n"},
                                   {"[Client020]", ""}}) +
                     "\r\n[Tank05]\r\nNumber=5\r\nName=Novo\r\nGrade=1\r\nType=1\r\n"
                     "Capacity=9.000\r\nDiameter=1.000\r\nTankGauge=0\r\nProbe=0\r\n"
                     "[Client021]\r\nNumber=21\r\nName=Frota Sul\r\nTag=C-0021\r\nEnabled=1\r\n");
  e2e::WriteFile(dir + "/restore.ini",
                 Edited(Sample(), {{"Grade=4\r\n", "Grade=0\r\n"}}) +
                     "\r\n[Grade00]\r\nNumber=1\r\nName=Sem\r\nShortName=S\r\nCode=0\r\n"
                     "Price01=1.000\r\n[Client030]\r\nNumber=30\r\nName=C30\r\nEnabled=1\r\n"
                     "[Client031]\r\nNumber=31\r\nName=C31\r\nEnabled=1\r\n");
}

class Outputs : public outputs::RecordedOutputs {
 protected:
  // A fresh folder holding the corpus, to run the programs in.
  std::string Folder() {
    const std::string dir = e2e::TempDir();
    Replace(dir, "<dir>");
    WriteCorpus(dir);
    return dir;
  }
  void Check(const std::string& name, const std::vector<std::string>& args,
             const std::string& cwd) {
    Expect(name, "TarvoCheck", args, e2e::RunCheck(args, cwd));
  }
  void Extract(const std::string& name, const std::vector<std::string>& args,
               const std::string& cwd) {
    Expect(name, "TarvoExtract", args, e2e::RunTarvo(args, cwd));
  }
};

TEST_F(Outputs, CheckAndDiffOfFiles) {
  const std::string dir = Folder();
  Check("check-sample", {"CHECK", "sample.ini"}, dir);
  Check("check-sample-json", {"CHECK", "sample.ini", "/JSON"}, dir);
  Check("check-changes", {"CHECK", "changes.ini"}, dir);
  // The cases' text reports are CheckCasesTest's; their documents are here.
  const std::string cases = kSource + "/tests/check/cases";
  for (const char* name :
       {"below-one", "keys", "names-utf16", "references", "spreadsheet-own", "texts", "values"}) {
    Check(std::string("check-") + name + "-json", {"CHECK", std::string(name) + ".ini", "/JSON"},
          cases);
  }
  Check("diff-changes", {"DIFF", "sample.ini", "changes.ini"}, dir);
  Check("diff-changes-json", {"DIFF", "sample.ini", "changes.ini", "/JSON"}, dir);
  Check("diff-restore", {"DIFF", "sample.ini", "restore.ini"}, dir);
  Check("diff-restore-json", {"DIFF", "restore.ini", "sample.ini", "/JSON"}, dir);
  Check("usage-json", {"DIFF", "sample.ini", "/JSON"}, dir);
}

TEST_F(Outputs, PlanAgainstTheSampleStation) {
  const std::string dir = Folder();
  e2e::Emulator emu(SampleStation());
  Replace(emu.Server(), "<server>");
  Check("plan-sample", {"PLAN", "sample.ini", emu.Server()}, dir);
  Check("plan-changes", {"PLAN", "changes.ini", emu.Server()}, dir);
  Check("plan-changes-json", {"PLAN", "changes.ini", emu.Server(), "/JSON"}, dir);
  Check("plan-restore", {"PLAN", "restore.ini", emu.Server()}, dir);
  Check("plan-restore-json", {"PLAN", "restore.ini", emu.Server(), "/JSON"}, dir);
  Check("plan-no-server", {"PLAN", "sample.ini", NoServer()}, dir);
}

// Each import runs in a folder of its own, so that no backup's name depends
// on another's made in the same second; the station is loaded afresh.
TEST_F(Outputs, CheckedImport) {
  json station = SampleStation();
  e2e::Emulator emu(station);
  Replace(emu.Server(), "<server>");
  const std::vector<std::string> args = {"IMPORT", "changes.ini", emu.Server()};
  Check("import-no-console", args, Folder());
  Expect("import-answer-no", "TarvoCheck", args, outputs::RunOnTerminal(args, Folder(), "n"));
  Expect("import-answer-yes", "TarvoCheck", args, outputs::RunOnTerminal(args, Folder(), "y"));
  Check("import-nothing-to-change", {"IMPORT", "changes.ini", emu.Server(), "/YES"}, Folder());

  station["faults"] =
      json::array({{{"call", "SetPumpPropertiesEx"}, {"args", {1}}, {"keep", "name"}}});
  emu.Load(station);
  const std::string kept = Folder();
  e2e::WriteFile(kept + "/site.ini", Edited(Sample(), {{"Name=Bomba 1", "Name=Bomba Um"}}));
  Check("import-kept-json", {"IMPORT", "site.ini", emu.Server(), "/YES", "/JSON"}, kept);

  station["faults"] = json::array({{{"call", "SetPumpPropertiesEx"}, {"args", {3}}, {"code", 7}}});
  emu.Load(station);
  Check("import-stopped", {"IMPORT", "changes.ini", emu.Server(), "/YES", "/FULL"}, Folder());
  emu.Load(station);
  Check("import-stopped-json", {"IMPORT", "restore.ini", emu.Server(), "/YES", "/JSON"}, Folder());
}

// LIBRARY writes its report for /JSON too: run past RunCheck, which would
// keep it for the schema's validation as a document.
TEST_F(Outputs, Library) {
  const std::string dir = Folder();
  e2e::Emulator emu(SampleStation());
  Replace(emu.Server(), "<server>");
  const auto runJson = [&](const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {e2e::CheckPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    Expect(name, "TarvoCheck", args, e2e::RunCommand(argv, dir));
  };
  Check("library", {"LIBRARY"}, dir);
  runJson("library-json", {"LIBRARY", "/JSON"});
  Check("library-server", {"LIBRARY", emu.Server()}, dir);
  runJson("library-server-json", {"LIBRARY", emu.Server(), "/JSON"});
  Check("library-no-server", {"LIBRARY", NoServer()}, dir);
}

TEST_F(Outputs, TarvoExtract) {
  const std::string dir = Folder();
  json station = SampleStation();
  e2e::Emulator emu(station);
  Replace(emu.Server(), "<server>");
  Extract("extract-export", {"EXPORT", "export.ini", emu.Server()}, dir);
  Extract("extract-version", {"VERSION", "version.ini", emu.Server()}, dir);
  Extract("extract-import", {"IMPORT", "changes.ini", emu.Server()}, dir);
  station["faults"] = json::array({{{"call", "SetPumpPropertiesEx"}, {"args", {3}}, {"code", 7}}});
  emu.Load(station);
  Extract("extract-import-refused", {"IMPORT", "sample.ini", emu.Server()}, dir);
  Extract("extract-no-server", {"EXPORT", "none.ini", NoServer()}, dir);
}

}  // namespace
