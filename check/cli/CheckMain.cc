#include "check/cli/CheckMain.h"

#include <cstdio>

#include "check/cli/LibraryReport.h"
#include "check/guarded/CheckedImport.h"
#include "check/plan/PlanNotes.h"
#include "check/plan/PlanRefusals.h"
#include "check/plan/PlanRestore.h"
#include "check/records/Compare.h"
#include "check/records/Controller.h"
#include "check/records/Prediction.h"
#include "check/report/Report.h"
#include "check/report/ReportJson.h"
#include "check/rules/Check.h"
#include "check/text/ShownText.h"
#include "client/CheckResult.h"
#include "client/ClientBinding.h"
#include "client/LibString.h"
#include "client/LogOn.h"
#include "platform/Platform.h"
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
    "  TarvoCheck IMPORT <INI file> [<server>] [/YES] [/FULL] [/BACKUP:<folder>]\n"
    "                                                  the checked import: CHECK, a backup\n"
    "                                                  EXPORT, the PLAN, a question, IMPORT,\n"
    "                                                  an EXPORT after it and its verification\n"
    "                                                  (exit 0 verified or nothing to change,\n"
    "                                                  1 not verified, 2 nothing written: look,\n"
    "                                                  3 stopped part-way); the EXPORTs'\n"
    "                                                  files go beside the file, or into\n"
    "                                                  the /BACKUP folder\n"
    "  TarvoCheck LIBRARY [<server>]                   the client library the programs use\n"
    "                                                  (and the logon to the server)\n"
    "\n"
    "  /JSON   one JSON document instead of the report\n"
    "\n"
    "  --version  the program's version\n"
    "\n"
    "Exit code: 0 nothing to report; 1 something to report (warnings, changes, differences);\n"
    "2 the file would not import as written (the import would stop part-way or give a hose\n"
    "to a later pump; PLAN: records it would not restore); -1 TarvoCheck could not run (usage,\n"
    "the file cannot be read, the logon fails).\n";

namespace {

// Command words and options are recognised in any letter case.
bool IsWord(const std::string& argument, const char* word) {
  return profile_lines::EqualsIgnoringCase(argument, word);
}

// Writes a report, UTF-8, so that people read the file's names in any
// console (platform::WriteText). Names and values from the file reach the
// terminal: the report for people writes their control characters visibly,
// and any other control character is shown as "?" so that it cannot move the
// cursor or hide a line. JSON escapes its own and is written as it is, so
// that it carries the values exactly. A reader that has gone changes no exit
// code.
int Emit(std::string text, int code, bool json) {
  for (char& c : text) {
    if (!json && ((static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7F)) c = '?';
  }
  platform::WriteText(stdout, text);
  return code;
}

const char* CommandName(CheckSettings::Command command) {
  switch (command) {
    case CheckSettings::Command::kCheck:
      return "CHECK";
    case CheckSettings::Command::kPlan:
      return "PLAN";
    case CheckSettings::Command::kDiff:
      return "DIFF";
    case CheckSettings::Command::kImport:
      return "IMPORT";
    case CheckSettings::Command::kLibrary:
      return "LIBRARY";
    case CheckSettings::Command::kNone:
      break;
  }
  return nullptr;
}

// A run that could not be made; with /JSON one document all the same.
int Fail(const CheckSettings& s, const std::string& message, const std::string* server) {
  return Emit(FailureReport(CommandName(s.command), s.operands, server, message, s.json), -1,
              s.json);
}

int Usage(const CheckSettings& s, const char* problem) {
  if (s.json) return Fail(s, problem, nullptr);
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
    return Fail(s, "Cannot read " + path + " - " + error + ".", nullptr);
  }
  return Emit(CheckReport(path, check, s.json), CheckExitCode(check), s.json);
}

int Plan(const CheckSettings& s) {
  const std::string& path = s.operands[0];
  const std::string server = s.operands.size() > 1 ? s.operands.back() : "127.0.0.1";
  std::string error;
  CProfile profile(path.c_str(), false);
  if (!profile.Open(&error)) return Fail(s, "Cannot read " + path + " - " + error + ".", &server);
  const ClientBinding binding = BindClientLibrary();
  if (binding.library == nullptr) return Fail(s, binding.problem, &server);
  ClientLibrary& library = *binding.library;
  const int32_t logon = LogOn(library, Text(server));
  if (logon != 0) {
    const std::string failure =
        "Logon failed - " + LibraryTextUtf8(ResultText(library, logon)) + ".";
    return Fail(s, failure, &server);
  }
  // The import runs once logged on, so that it reads the measures the
  // controller holds for the tanks and hoses it writes.
  FileCheck check;
  if (!CheckProfile(profile, &library, &check, &error)) {
    return Fail(s, "Cannot read " + path + " - " + error + ".", &server);
  }
  std::vector<Record> controller;
  if (!ReadController(library, &controller, &error)) {
    return Fail(s, error, &server);
  }
  Comparison plan = Compare(controller, check.prediction.records, false, false);
  FindHoseMoves(controller, check.prediction.records, &plan);
  FindNotRestored(controller, check, &plan);
  if (!FindRefusals(profile, check.prediction, &plan, &error)) {
    return Fail(s, error, &server);
  }
  return Emit(PlanReport(path, server, plan, check, s.json), PlanExitCode(plan, check), s.json);
}

int Diff(const CheckSettings& s) {
  FileCheck a, b;
  std::string error;
  for (size_t i = 0; i < 2; ++i) {
    if (!CheckFile(s.operands[i], i == 0 ? &a : &b, &error)) {
      return Fail(s, "Cannot read " + s.operands[i] + " - " + error + ".", nullptr);
    }
  }
  FilesDiff diff = DiffFiles(a, b);
  // A hose on another pump moves there, as PLAN tells it; two files' hoses
  // never meet in one controller, so no pump holds two of one number.
  FindHoseMoves(a.prediction.records, b.prediction.records, &diff.records);
  diff.records.shared.clear();
  return Emit(DiffReport(s.operands[0], s.operands[1], diff.records, diff.others, a, b, s.json),
              DiffExitCode(diff.records, diff.others, a, b), s.json);
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
    } else if (IsWord(a, "IMPORT")) {
      s.command = CheckSettings::Command::kImport;
    } else if (IsWord(a, "/YES")) {
      s.yes = true;
    } else if (IsWord(a, "/FULL")) {
      s.full = true;
    } else if (IsWord(a.substr(0, 8), "/BACKUP:")) {  // an empty folder: beside the file
      s.backupFolder = a.substr(8);
    } else if (IsWord(a, "LIBRARY")) {
      s.command = CheckSettings::Command::kLibrary;
    } else if (IsWord(a, "/JSON")) {
      s.json = true;
    } else if (IsWord(a, "--VERSION")) {
      s.version = true;
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
  if (s.version) return Emit(std::string("TarvoCheck ") + kCheckVersion + "\n", 0, false);
  switch (s.command) {
    case CheckSettings::Command::kNone:
      return Usage(s, "No command: CHECK, PLAN, DIFF, IMPORT or LIBRARY.");
    case CheckSettings::Command::kCheck:
      if (s.operands.size() != 1) return Usage(s, "CHECK takes one file.");
      return Check(s);
    case CheckSettings::Command::kPlan:
      if (s.operands.empty() || s.operands.size() > 2) {
        return Usage(s, "PLAN takes one file and, optionally, the server.");
      }
      return Plan(s);
    case CheckSettings::Command::kDiff:
      if (s.operands.size() != 2) return Usage(s, "DIFF takes two files.");
      return Diff(s);
    case CheckSettings::Command::kImport:
      if (s.operands.empty() || s.operands.size() > 2) {
        return Usage(s, "IMPORT takes one file and, optionally, the server.");
      }
      return CheckedImport(s);
    case CheckSettings::Command::kLibrary: {
      if (s.operands.size() > 1) return Usage(s, "LIBRARY takes, optionally, the server.");
      std::string text;
      const int code = LibraryReport(s.operands, &text, s.json);
      return Emit(text, code, s.json);
    }
  }
  return -1;
}
