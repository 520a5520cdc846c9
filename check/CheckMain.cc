#include "check/CheckMain.h"

#include <cstdio>

#include "check/Check.h"
#include "check/Compare.h"
#include "check/Controller.h"
#include "check/LibraryReport.h"
#include "check/PlanNotes.h"
#include "check/PlanRestore.h"
#include "check/Prediction.h"
#include "check/Report.h"
#include "client/CheckResult.h"
#include "client/ClientBinding.h"
#include "client/LibString.h"
#include "client/LogOn.h"
#include "profile/Profile.h"
#include "profile/ProfileLines.h"
#include "profile/Text.h"

const char kCheckHelp[] =
    "TarvoCheck shows what TarvoExtract IMPORT would do, before it does it.\n"
    "\n"
    "  TarvoCheck CHECK <INI file>                     what IMPORT reads from the file, and\n"
    "                                                  the lines it passes over or misreads\n"
    "  TarvoCheck PLAN <INI file> [<server>]           what IMPORT would change in the\n"
    "                                                  controller (read only, default 127.0.0.1)\n"
    "  TarvoCheck DIFF <INI file a> <INI file b>       the records and fields that differ, and\n"
    "                                                  every other key and section\n"
    "  TarvoCheck LIBRARY [<server>]                   the client library the programs use\n"
    "                                                  (and the logon to the server)\n"
    "\n"
    "  /JSON   one JSON document instead of the report\n"
    "\n"
    "Exit code: 0 nothing to report, 1 something to report, -1 an error (the file cannot be\n"
    "read, the logon fails, or the import would stop part-way or give a hose to a later pump).\n";

namespace {

// Command words and options are recognised in any letter case.
bool IsWord(const std::string& argument, const char* word) {
  return profile_lines::EqualsIgnoringCase(argument, word);
}

// Writes a report. Names and values from the file reach the terminal: in a
// report for people a control character is shown as "?" so that it cannot
// move the cursor or hide a line. JSON escapes its own and is written as it
// is, so that it carries the values exactly.
int Emit(std::string text, int code, bool json) {
  for (char& c : text) {
    if (!json && ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F)) c = '?';
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return code;
}

int Usage(const char* problem) {
  std::printf("%s\n\n%s", problem, kCheckHelp);
  std::fflush(stdout);
  return -1;
}

// The library's text for a result code; ResultString hands over a new
// string (or null), freed once its text has been taken.

int Check(const CheckSettings& s) {
  FileCheck check;
  std::string error;
  const std::string& path = s.operands[0];
  if (!CheckFile(path, &check, &error)) {
    return Emit(FailureReport("CHECK", "Cannot read " + path + " - " + error + ".", s.json), -1,
                s.json);
  }
  int code = check.errors > 0 ? -1 : check.warnings > 0 ? 1 : 0;
  return Emit(CheckReport(path, check, s.json), code, s.json);
}

int Plan(const CheckSettings& s) {
  const std::string& path = s.operands[0];
  const std::string server = s.operands.size() > 1 ? s.operands.back() : "127.0.0.1";
  std::string error;
  CProfile profile(path.c_str(), false);
  if (!profile.Open(&error)) {
    return Emit(FailureReport("PLAN", "Cannot read " + path + " - " + error + ".", s.json), -1,
                s.json);
  }
  const ClientBinding binding = BindClientLibrary();
  if (binding.library == nullptr) {
    return Emit(FailureReport("PLAN", binding.problem, s.json), -1, s.json);
  }
  ClientLibrary& library = *binding.library;
  const int32_t logon = LogOn(library, Text(server));
  if (logon != 0) {
    const std::string failure = "Logon failed - " + ResultText(library, logon).Narrow() + ".";
    return Emit(FailureReport("PLAN", failure, s.json), -1, s.json);
  }
  // The import runs once logged on, so that it reads the measures the
  // controller holds for the tanks and hoses it writes.
  FileCheck check;
  if (!CheckProfile(profile, &library, &check, &error)) {
    return Emit(FailureReport("PLAN", "Cannot read " + path + " - " + error + ".", s.json), -1,
                s.json);
  }
  std::vector<Record> controller;
  if (!ReadController(library, &controller, &error)) {
    return Emit(FailureReport("PLAN", error, s.json), -1, s.json);
  }
  Comparison plan = Compare(controller, check.prediction.records, false, false);
  FindHoseMoves(controller, check.prediction.records, &plan);
  FindNotRestored(controller, check, &plan);
  const bool nothing = plan.records.empty() && plan.shared.empty() && plan.notRestored.empty();
  int code = check.errors > 0 ? -1 : nothing ? 0 : 1;
  return Emit(PlanReport(path, server, plan, check, s.json), code, s.json);
}

int Diff(const CheckSettings& s) {
  FileCheck a, b;
  std::string error;
  for (size_t i = 0; i < 2; ++i) {
    if (!CheckFile(s.operands[i], i == 0 ? &a : &b, &error)) {
      return Emit(
          FailureReport("DIFF", "Cannot read " + s.operands[i] + " - " + error + ".", s.json), -1,
          s.json);
    }
  }
  Comparison diff = Compare(a.prediction.records, b.prediction.records, true, true);
  // A difference IMPORT does not read is a difference all the same.
  const std::vector<FileDifference> fileDiffs = DiffFiles(a, b);
  int code = a.errors > 0 || b.errors > 0 ? -1 : diff.records.empty() && fileDiffs.empty() ? 0 : 1;
  return Emit(DiffReport(s.operands[0], s.operands[1], diff, fileDiffs, a, b, s.json), code,
              s.json);
}

}  // namespace

CheckSettings ParseCheckArguments(int argc, const char* const* argv) {
  CheckSettings s;
  if (argc < 2) s.help = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i] != nullptr ? argv[i] : "";
    if (IsWord(a, "CHECK")) {
      s.command = CheckSettings::Command::kCheck;
    } else if (IsWord(a, "PLAN")) {
      s.command = CheckSettings::Command::kPlan;
    } else if (IsWord(a, "DIFF")) {
      s.command = CheckSettings::Command::kDiff;
    } else if (IsWord(a, "LIBRARY")) {
      s.command = CheckSettings::Command::kLibrary;
    } else if (IsWord(a, "/JSON")) {
      s.json = true;
    } else if (a == "/?" || IsWord(a, "-H") || IsWord(a, "--HELP") || IsWord(a, "/HELP")) {
      s.help = true;
    } else if (!a.empty()) {
      s.operands.push_back(a);
    }
  }
  return s;
}

int CheckMain(int argc, char** argv) {
  const CheckSettings s = ParseCheckArguments(argc, argv);
  if (s.help) return Emit(kCheckHelp, 0, false);
  switch (s.command) {
    case CheckSettings::Command::kNone:
      return Usage("No command: CHECK, PLAN, DIFF or LIBRARY.");
    case CheckSettings::Command::kCheck:
      if (s.operands.size() != 1) return Usage("CHECK takes one file.");
      return Check(s);
    case CheckSettings::Command::kPlan:
      if (s.operands.empty() || s.operands.size() > 2) {
        return Usage("PLAN takes one file and, optionally, the server.");
      }
      return Plan(s);
    case CheckSettings::Command::kDiff:
      if (s.operands.size() != 2) return Usage("DIFF takes two files.");
      return Diff(s);
    case CheckSettings::Command::kLibrary: {
      if (s.operands.size() > 1) return Usage("LIBRARY takes, optionally, the server.");
      std::string text;
      const int code = LibraryReport(s.operands, &text);
      return Emit(text, code, false);
    }
  }
  return -1;
}
