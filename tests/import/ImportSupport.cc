#include "tests/import/ImportSupport.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace importtest {

namespace {

bool IsCall(const json& journal, size_t i, const char* call) {
  return i < journal.size() && journal[i].at("call") == call;
}

// True for the reads the import makes, each checked in its place: the
// measures of a tank or hose right before its Set call, or, when that read
// fails, before the controller's list of the tanks or of the pump's hoses;
// that list's calls in a row; and the count of a port's, grade's or tank's
// table right after a refused Set call of it.
bool ReadByTheImport(const json& journal, size_t i) {
  const json& entry = journal[i];
  const std::string name = entry.at("call").get<std::string>();
  const char* const kBefore[][3] = {
      {"GetTankProperties", "SetTankProperties", "GetTanksCount"},
      {"GetHosePropertiesEx2", "SetHosePropertiesEx2", "GetPumpHosesCount"}};
  for (const auto& before : kBefore) {
    if (name != before[0]) continue;
    EXPECT_TRUE((IsCall(journal, i + 1, before[1]) &&
                 journal[i + 1].at("args")[0] == entry.at("args")[0]) ||
                IsCall(journal, i + 1, before[2]))
        << name << " not followed by its " << before[1] << " or " << before[2];
    return true;
  }
  const char* const kAfter[][3] = {{"GetPortsCount", "SetPortProperties", ""},
                                   {"GetGradesCount", "SetGradeProperties", "SetGradePrice"},
                                   {"GetTanksCount", "SetTankProperties", "GetTankProperties"},
                                   {"GetTankByOrdinal", "GetTanksCount", "GetTankByOrdinal"},
                                   {"GetPumpHosesCount", "GetHosePropertiesEx2", ""},
                                   {"GetPumpHoseByNumber", "GetPumpHosesCount",
                                    "GetPumpHoseByNumber"}};
  for (const auto& after : kAfter) {
    if (name != after[0]) continue;
    EXPECT_TRUE(i > 0 && (IsCall(journal, i - 1, after[1]) || IsCall(journal, i - 1, after[2])))
        << name << " not after a " << after[1];
    return true;
  }
  return false;
}

}  // namespace

Imported ImportPath(e2e::Emulator& emulator, const std::string& path) {
  emulator.ClearJournal();
  e2e::Run run = e2e::RunTarvo({"IMPORT", path, emulator.Server()});

  Imported result;
  result.exitCode = run.exitCode;
  // Progress is for terminals only; the tests' standard error is a pipe. A
  // launcher (wine) may say things of its own there.
  if (std::getenv("TARVO_LAUNCHER") == nullptr) {
    EXPECT_EQ(run.err, "");
  }
  // Console lines end in CR LF on Windows.
  std::string out;
  for (std::string::size_type i = 0; i < run.out.size(); ++i) {
    if (run.out[i] == '\r' && i + 1 < run.out.size() && run.out[i + 1] == '\n') continue;
    out += run.out[i];
  }
  run.out = out;
  result.path = path;
  // The banner and the connecting line belong to the driver.
  std::string::size_type connecting = run.out.find("Connecting to ");
  std::string::size_type end = connecting == std::string::npos
                                   ? std::string::npos
                                   : run.out.find('\n', connecting);
  EXPECT_NE(end, std::string::npos) << run.out;
  result.out = end == std::string::npos ? run.out : run.out.substr(end + 1);

  result.sets = json::array();
  result.reads = json::array();
  const json journal = emulator.Journal();
  for (size_t i = 0; i < journal.size(); ++i) {
    const json& entry = journal[i];
    std::string name = entry.at("call").get<std::string>();
    if (name.rfind("Set", 0) == 0) {
      result.sets.push_back(entry);
    } else if (ReadByTheImport(journal, i)) {
      result.reads.push_back(entry);
    } else {
      // The import reads nothing else from the controller.
      EXPECT_TRUE(name == "ClientLogonEx" || name == "ResultString") << name;
    }
  }
  return result;
}

Imported Import(e2e::Emulator& emulator, const std::string& ini) {
  std::string path = e2e::TempDir() + "/station.ini";
  e2e::WriteFile(path, ini);
  return ImportPath(emulator, path);
}

std::string Refused(const std::string& message, std::string call) {
  if (call.empty()) call = message.substr(0, message.find(' '));
  return message + " - Record not found (injected fault in " + call + ").\n";
}

json Call(const char* name, json args) { return json{{"call", name}, {"args", args}}; }

std::string Summary(const json& sets) {
  std::string summary;
  for (const json& entry : sets) {
    std::string name = entry.at("call").get<std::string>();
    const json& args = entry.at("args");
    std::string item;
    if (name == "SetGradePrice") {
      item = "Price " + args[0].dump() + "/" + args[1].dump();
    } else if (name == "SetHosePropertiesEx2") {
      item = "Hose " + args[0].dump() + "/" + args[1].dump() + "/" + args[2].dump();
    } else {
      std::string table = name.substr(3);  // without "Set"
      table = table.substr(0, table.find("Properties"));
      item = table + " " + args[0].dump();
    }
    if (!summary.empty()) summary += ", ";
    summary += item;
  }
  return summary;
}

}  // namespace importtest
