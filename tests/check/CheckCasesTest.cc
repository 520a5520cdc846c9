// CHECK's reports as expected-output files: each tests/check/cases/NAME.ini
// has NAME.out, the report followed by the exit code. With
// TARVO_CHECK_REGENERATE set the .out files are written instead (review the
// difference before committing it).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "check/report/Report.h"
#include "check/rules/Check.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"
#include "check/text/ShownText.h"
#include "tests/support/E2E.h"

namespace {

const std::string kCases = TARVO_SOURCE_DIR "/tests/check/cases";

std::string Report(const std::vector<std::string>& args, const std::string& cwd) {
  e2e::Run run = e2e::RunCheck(args, cwd);
  return run.out + "[exit " + std::to_string(run.exitCode) + "]\n";
}

TEST(CheckCases, EachReportIsTheExpectedOne) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(kCases)) {
    if (entry.path().extension() == ".ini") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_GE(names.size(), 10u);
  const bool regenerate = std::getenv("TARVO_CHECK_REGENERATE") != nullptr;
  for (const std::string& name : names) {
    std::string got = Report({"CHECK", name + ".ini"}, kCases);
    std::string expected = kCases + "/" + name + ".out";
    if (regenerate) {
      e2e::WriteFile(expected, got);
      continue;
    }
    EXPECT_EQ(got, e2e::ReadFile(expected)) << name << ".ini";
  }
}

// An exported file is what IMPORT reads best: nothing to report.
TEST(CheckCases, AnExportedStationHasNothingToReport) {
  e2e::Run run = e2e::RunCheck({"check", TARVO_SOURCE_DIR "/tests/golden/sample-station.ini"});
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_NE(run.out.find("0 errors, 0 warnings\n"), std::string::npos) << run.out;
}

// /JSON gives the same findings as one document, and hides no exit code.
TEST(CheckCases, JsonCarriesTheSameFindings) {
  e2e::Run text = e2e::RunCheck({"CHECK", "keys.ini"}, kCases);
  e2e::Run run = e2e::RunCheck({"/json", "keys.ini", "CHECK"}, kCases);
  EXPECT_EQ(run.exitCode, text.exitCode);
  nlohmann::json doc = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_TRUE(doc.is_object()) << run.out;
  const nlohmann::json& check = doc["check"];
  EXPECT_EQ(doc["exitCode"], run.exitCode == 255 ? -1 : run.exitCode);
  EXPECT_EQ(check["findings"].size(),
            check["errors"].get<size_t>() + check["warnings"].get<size_t>());
  EXPECT_NE(text.out.find(std::to_string(check["warnings"].get<int>()) + " warnings"),
            std::string::npos);
  EXPECT_EQ(run.out.find("1234"), std::string::npos) << "a password value in the report";
}

// A text longer than IMPORT keeps is counted in characters as IMPORT reads
// them (UTF-16 units in a file with a mark), and told as a note: in JSON
// with its own level and count, outside errors and warnings; a password's
// value is never shown, however long.
TEST(CheckCases, LongTextsAreNotes) {
  std::string e(32767 * 2, '\0');
  for (size_t i = 0; i < e.size(); i += 2) e.replace(i, 2, "\xC3\xA9");  // 32,767 times "é"
  const std::string path = e2e::TempDir() + "/long.ini";
  e2e::WriteFile(path, "\xEF\xBB\xBF[Attendant01]\r\nNumber=1\r\nName=" + e + "\r\nTag=" + e +
                           "\xC3\xA9\r\nPassword=" + std::string(40000, '7') + "\r\nEnabled=1\r\n");
  FileCheck check;
  std::string error;
  ASSERT_TRUE(CheckFile(path, &check, &error)) << error;
  const std::string json = CheckReport(path, check, true);
  e2e::KeepJson(json);
  const nlohmann::json doc = nlohmann::json::parse(json)["check"];
  EXPECT_EQ(doc["notes"], 2);
  EXPECT_EQ(doc["findings"].size(), check.errors + check.warnings + check.notes);
  std::map<std::string, std::string> notes;
  for (const auto& f : doc["findings"]) {
    if (f["level"] == "note") notes[f["key"]] = f["message"];
  }
  EXPECT_EQ(notes["Tag"], "text-cut: 32768 characters: IMPORT writes the first 32767 only");
  EXPECT_EQ(notes["Password"], "text-cut: 40000 characters: IMPORT writes the first 32767 only");
  EXPECT_EQ(notes.count("Name"), 0u);
  const std::string text = CheckReport(path, check, false);
  EXPECT_NE(text.find(", 2 notes\n"), std::string::npos) << text;
  for (const std::string& out : {text, doc.dump()}) {
    EXPECT_EQ(out.find("7777"), std::string::npos) << "a password's value in a report";
  }
}

// A file of many faults gives reports of bounded size: at most 1,000
// findings of one code are listed, the counts count all of them, and JSON
// says per code how many were left out. The errors come first.
TEST(CheckCases, ReportsAreBounded) {
  std::string ini = "[Pump01]\r\nNumber=1\r\nHose1ID=11\r\n[Pump02]\r\nNumber=2\r\nHose1ID=11\r\n";
  for (int i = 0; i < 20000; ++i) ini += "[Client001]\r\n";
  const std::string path = e2e::TempDir() + "/many.ini";
  e2e::WriteFile(path, ini);
  FileCheck check;
  std::string error;
  ASSERT_TRUE(CheckFile(path, &check, &error)) << error;
  ASSERT_GT(check.findings.size(), 20000u);
  const std::string json = CheckReport(path, check, true);
  const std::string text = CheckReport(path, check, false);
  EXPECT_LT(json.size(), 600000u);
  EXPECT_LT(text.size(), 200000u);
  e2e::KeepJson(json);
  const nlohmann::json doc = nlohmann::json::parse(json)["check"];
  std::map<std::string, size_t> listed;
  for (const auto& f : doc["findings"]) ++listed[f["code"].get<std::string>()];
  size_t all = 0;
  for (const auto& l : listed) {
    EXPECT_LE(l.second, 1000u) << l.first;
    all += l.second + doc["omitted"].value(l.first, size_t{0});
  }
  EXPECT_EQ(all, check.findings.size());
  EXPECT_EQ(
      doc["errors"].get<size_t>() + doc["warnings"].get<size_t>() + doc["notes"].get<size_t>() +
          doc["folded"].get<size_t>(),
      check.findings.size());
  EXPECT_EQ(doc["omitted"]["duplicate-section"], 20000 - 1 - 1000) << doc["omitted"];
  EXPECT_NE(text.find("\nduplicate-section: 18999 more findings not listed (the first 1000 are)\n"),
            std::string::npos);
  // The error (Pump01's hose has no tank) before what IMPORT writes.
  EXPECT_LT(text.find("  error  "), text.find("IMPORT would write")) << text.substr(0, 400);
}

// CHECK's "does not fit in 16 bits" against the import's own Set calls: with
// 70000 in every number IMPORT reads (references and identifiers aside), a
// field's call carries 4464 exactly where CHECK warns so, and 70000 elsewhere.
TEST(CheckCases, SixteenBitWarningsAreWhereImportNarrows) {
  std::string file = "[Grade01]\nNumber=1\nPrice01=1.5\n[ZigBee05]\nNumber=5\nPortID=-1\n";
  file += "[Tank01]\nNumber=1\nGrade=1\n[Pump01]\nNumber=1\nHose1ID=11\nHose1Tank=1\n";
  file += "PortID=-1\nAttendantID=-1\nMuxSlotZigBeeID=-1\n";
  for (const char* section : {"Port01", "Attendant01", "Client001"}) {
    file += std::string("[") + section + "]\nNumber=1\n";
  }
  std::map<std::string, std::string> sectionOf = {
      {"Port", "[Port01]"}, {"Grade", "[Grade01]"}, {"Tank", "[Tank01]"},
      {"ZigBee", "[ZigBee05]"}, {"Pump", "[Pump01]"}, {"Hose", "[Pump01]"},
      {"Attendant", "[Attendant01]"}, {"Client", "[Client001]"}};
  auto numeric = [](const FieldSchema& f) {
    return f.key != nullptr && f.Has(kImportReads) && !f.Has(kReference | kIdentifier) &&
           (f.kind == FieldKind::kInt16 || f.kind == FieldKind::kInt32) &&
           std::string(f.key) != "Number";
  };
  for (size_t t = 0; t < kTableCount; ++t) {
    const TableSchema& table = SchemaOf(static_cast<Table>(t));
    std::string keys;
    for (const FieldSchema& f : table) {
      if (numeric(f)) keys += NumberedName(f.key, 1) + "=70000\n";
    }
    const std::string header = sectionOf[table.word];
    file.insert(file.find(header) + header.size() + 1, keys);
  }
  const std::string path = e2e::TempDir() + "/narrowed.ini";
  e2e::WriteFile(path, file);
  FileCheck check;
  std::string error;
  ASSERT_TRUE(CheckFile(path, &check, &error)) << error;
  ASSERT_EQ(check.prediction.records.size(), kTableCount) << CheckReport(path, check, false);
  int narrowed = 0;
  for (const Record& r : check.prediction.records) {
    for (const FieldSchema& f : SchemaOf(r.table)) {
      if (!numeric(f) || f.param == nullptr) continue;
      const std::string key = NumberedName(f.key, r.hose);
      const int64_t sent = r.Find(f.param)->value.number;
      const bool warned = std::any_of(check.findings.begin(), check.findings.end(), [&](auto& w) {
        return std::string(w.code) == "wraps-16-bits" && w.key == key && w.reads == "4464";
      });
      EXPECT_TRUE(sent == 70000 || sent == 4464) << r.Name() << " " << key << " " << sent;
      EXPECT_EQ(warned, sent == 4464) << r.Name() << " " << key;
      narrowed += sent == 4464 ? 1 : 0;
    }
  }
  EXPECT_GE(narrowed, 10);
}

// The report for people is UTF-8 whatever the file's encoding: without a
// mark each byte is the character of its code, with one the texts are UTF-8
// and a stray byte is the character of its code; a surrogate without its
// pair is U+FFFD. Control characters, C1 ones too, are written visibly.
TEST(CheckCases, TextsForPeopleAreUtf8) {
  using file_encoding::Mark;
  EXPECT_EQ("Caf\xC3\xA9 \xC3\x83\xC2\xA9", ShownText("Caf\xE9 \xC3\xA9", Mark::kNone));
  for (Mark m : {Mark::kUtf8, Mark::kUtf16Le, Mark::kUtf16Be}) {
    EXPECT_EQ("Caf\xC3\xA9 \xC3\xA9 \xEF\xBF\xBD", ShownText("Caf\xC3\xA9 \xE9 \xED\xA0\x80", m));
  }
  EXPECT_EQ("\\t\\r\\x1B\\x7F\\x9B", ShownText("\t\r\x1B\x7F\x9B", Mark::kNone));
  EXPECT_EQ("\\x1B\\x9B", ShownText("\x1B\xC2\x9B", Mark::kUtf8));
  EXPECT_EQ("\xF0\x9F\x98\x80\xEF\xBF\xBD\xE2\x82\xAC", ShownUnits(u"\U0001F600\xDC00\x20AC"));
}

}  // namespace
