#include "check/guarded/CheckedImport.h"

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "check/guarded/ReplayLibrary.h"
#include "check/plan/PlanNotes.h"
#include "check/plan/PlanRestore.h"
#include "check/records/Controller.h"
#include "check/records/Prediction.h"
#include "check/report/Report.h"
#include "check/report/ReportParts.h"
#include "check/text/CheckSettings.h"
#include "check/text/ShownText.h"
#include "client/CheckResult.h"
#include "client/ClientBinding.h"
#include "client/LogOn.h"
#include "import/ImportConfiguration.h"
#include "platform/Guarded.h"
#include "platform/Platform.h"
#include "profile/Profile.h"
#include "profile/ProfileLines.h"

namespace {

// A step's result that lets the run go on to the next step.
constexpr int kGoOn = 100;
using Mode = ReplayLibrary::Mode;

void Say(const GuardedRun& run, const std::string& text) {
  // UTF-8 text: through a Windows console's Unicode output, as bytes elsewhere.
  platform::WriteText(run.out, text);
  std::fflush(run.out);
}

int Fail(GuardedRun& run, const char* step, const std::string& message) {
  run.error = message;
  run.Step(step, "failed", message);
  Say(run, message + "\n");
  return -1;
}

int CheckTheFile(GuardedRun& run, CProfile& profile) {
  std::string error;
  if (!profile.Open(&error) || !CheckProfile(profile, nullptr, &run.check, &error)) {
    return Fail(run, "check", "Cannot read " + run.path + " - " + error + ".");
  }
  Say(run, "CHECK " + run.path + ": " + Counts(run.check) + "\n");
  // An import that would stop part-way is among CHECK's errors.
  if (run.check.errors > 0 || run.check.prediction.result != 0) {
    Say(run, "\n" + ErrorsText(run.check, "IMPORT") +
                 "Nothing written: the file has errors (TarvoCheck CHECK tells them all).\n");
    run.Step("check", "refused", Counts(run.check));
    run.ending = "refused";
    return kImportRefused;
  }
  run.Step("check", "done", Counts(run.check));
  return kGoOn;
}

// EXPORT into the new file "<file>.<which>-STAMP.ini" beside the file; a
// name taken meanwhile gets "-2" to "-9" after the stamp.
bool ExportBeside(GuardedRun& run, const char* which, ClientLibrary& library, std::string* path,
                  std::string* error) {
  for (int n = 1; n <= 9; ++n) {
    const std::string stamp = n == 1 ? run.stamp : run.stamp + "-" + std::to_string(n);
    const std::string name = StampedName(run.path, which, stamp);
    if (ExportIntoNewFile(name, library, run.out, error)) {
      *path = name;
      return true;
    }
    if (*error != "File exists") return false;
  }
  return false;
}

int BackUp(GuardedRun& run, ReplayLibrary& library) {
  run.stamp = platform::LocalIsoStamp();
  Say(run, "\nBackup: EXPORT of " + run.server + " beside the file\n");
  std::string error;
  library.SetMode(Mode::kRecord);
  const bool saved = ExportBeside(run, "before", library, &run.backupPath, &error);
  library.SetMode(Mode::kForward);
  if (!saved) return Fail(run, "backup", "Backup failed - " + error + ". Nothing written.");
  Say(run, "Backup: " + run.backupPath + "\n");
  run.Step("backup", "done", run.backupPath);
  return kGoOn;
}

// The PLAN, from the answers the backup received. The CHECK's prediction
// becomes the import's with the controller's measures of tanks and hoses.
int Show(GuardedRun& run, ReplayLibrary& library) {
  std::string error;
  std::vector<Record> controller;
  library.SetMode(Mode::kReplay);
  AnswerMeasures(&run.check.prediction, library);
  const bool read = ReadController(library, &controller, &error);
  library.SetMode(Mode::kForward);
  library.Forget();
  if (!read) return Fail(run, "show", error + " Nothing written.");
  run.plan = Compare(controller, run.check.prediction.records, false, false);
  FindHoseMoves(controller, run.check.prediction.records, &run.plan);
  FindNotRestored(controller, run.check, &run.plan);
  Say(run, "\n" + ShortPlan(run));
  if (!PlanHasWork(run.plan)) {
    int code = 0;
    Say(run, NothingToChange(run, &code));
    run.Step("show", "done", code == 0 ? "nothing to change" : "nothing written");
    return code;
  }
  run.Step("show", "done");
  return kGoOn;
}

bool IsYes(std::string answer) {
  while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' ||
                             answer.back() == ' ' || answer.back() == '\t')) {
    answer.pop_back();
  }
  return profile_lines::EqualsIgnoringCase(answer, "y") ||
         profile_lines::EqualsIgnoringCase(answer, "yes");
}

int Ask(GuardedRun& run) {
  if (run.yes) {
    Say(run, "\n/YES given: importing without asking.\n");
    run.Step("ask", "skipped", "/YES");
    return kGoOn;
  }
  if (!platform::StdinIsConsole()) {
    const char* why = "no console to ask on and no /YES";
    Say(run, std::string("\nNot imported: ") + why +
                 " (give /YES to import without asking). Nothing written.\n");
    run.Step("ask", "refused", why);
    run.ending = "no-console";
    return kImportRefused;
  }
  Say(run, "\nImport these changes into " + run.server + "? [y/N] ");
  char line[256];
  const bool yes = std::fgets(line, sizeof line, stdin) != nullptr && IsYes(line);
  if (!yes) {
    Say(run, "Not imported: the answer was no. Nothing written.\n");
    run.Step("ask", "refused", "the answer was no");
    run.ending = "answered-no";
    return kImportRefused;
  }
  run.Step("ask", "done", "yes");
  return kGoOn;
}

int Import(GuardedRun& run, ClientLibrary& library, CProfile& profile) {
  Say(run, "\nIMPORT " + run.path + " into " + run.server + "\n");
  if (RunImport(profile, library, run.out) != 0) {
    run.importStopped = true;
    const char* what = "the import stopped part-way: the controller is partly written";
    run.Step("import", "failed", what);
    run.ending = "stopped";
    Say(run, std::string("\nNot verified: ") + what + ".\n" + GoBackText(run));
    return kImportStopped;
  }
  run.Step("import", "done");
  return kGoOn;
}

// EXPORT again, then the controller as that EXPORT read it against the
// prediction.
int VerifyTheImport(GuardedRun& run, ReplayLibrary& library) {
  Say(run, "\nVerification: EXPORT of " + run.server + " beside the file\n");
  std::string error;
  std::vector<Record> controller;
  library.SetMode(Mode::kRecord);
  bool read = ExportBeside(run, "after", library, &run.afterPath, &error);
  library.SetMode(Mode::kReplay);
  read = read && ReadController(library, &controller, &error);
  library.SetMode(Mode::kForward);
  library.Forget();
  if (!read) {
    run.verification.failure = error;
    run.Step("verify", "failed", error);
    Say(run, "\nnot verified: the EXPORT after the import failed - " + error + "\n");
  } else {
    Say(run, "After: " + run.afterPath + "\n");
    run.verification = Verify(controller, run.check);
    run.Step("verify", run.verification.Clean() ? "done" : "differences");
    Say(run, "\n" + VerdictText(run));
  }
  run.ending = run.verification.Clean() ? "verified" : "differences";
  Say(run, GoBackText(run));
  return run.verification.Clean() ? 0 : 1;
}

int RunSteps(GuardedRun& run) {
  CProfile profile(run.path.c_str(), false);
  int code = CheckTheFile(run, profile);
  if (code != kGoOn) return code;
  const ClientBinding binding = BindClientLibrary();
  if (binding.library == nullptr) return Fail(run, "backup", binding.problem);
  ClientLibrary& linked = *binding.library;
  const int32_t logon = LogOn(linked, Text(run.server));
  if (logon != 0) {
    return Fail(
        run, "backup",
        "Logon failed - " + LibraryTextUtf8(ResultText(linked, logon)) + ". Nothing written.");
  }
  ReplayLibrary library(linked);
  code = BackUp(run, library);
  if (code == kGoOn) code = Show(run, library);
  if (code == kGoOn) code = Ask(run);
  if (code == kGoOn) code = Import(run, linked, profile);
  if (code == kGoOn) code = VerifyTheImport(run, library);
  return code;
}

}  // namespace

void GuardedRun::Step(const char* step, const char* outcome, const std::string& message) {
  steps.push_back(StepOutcome{step, outcome, message});
}

int CheckedImport(const CheckSettings& settings) {
  GuardedRun run;
  run.path = settings.operands[0];
  run.server = settings.operands.size() > 1 ? settings.operands.back() : "127.0.0.1";
  run.yes = settings.yes;
  run.full = settings.full;
  run.json = settings.json;
  run.out = settings.json ? stderr : stdout;
  run.exitCode = RunSteps(run);
  if (run.json) {
    const std::string doc = ImportDocument(run);
    std::fwrite(doc.data(), 1, doc.size(), stdout);
    std::fflush(stdout);
  }
  return run.exitCode;
}
