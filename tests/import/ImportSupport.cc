#include "tests/import/ImportSupport.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace importtest {

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
  for (const json& entry : emulator.Journal()) {
    std::string name = entry.at("call").get<std::string>();
    if (name.rfind("Set", 0) == 0) {
      result.sets.push_back(entry);
    } else {
      // The import reads nothing from the controller.
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
