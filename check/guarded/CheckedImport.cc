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
#include "platform/Interrupts.h"
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
  // A file that writes nothing would pass for "nothing to change": an empty
  // or cut file is no configuration.
  if (run.check.prediction.records.empty()) {
    Say(run, "\nNothing to import: the file holds no record. Nothing written.\n");
    run.Step("check", "refused", "nothing to import: the file holds no record");
    run.ending = "refused";
    return kImportRefused;
  }
  run.Step("check", "done", Counts(run.check));
  return kGoOn;
}

// Where the EXPORTs' files go.
std::string Where(const GuardedRun& run) {
  return run.backupFolder.empty() ? " beside the file" : " into " + run.backupFolder;
}

int BackUp(GuardedRun& run, ReplayLibrary& library) {
  run.stamp = platform::LocalIsoStamp();
  Say(run, "\nBackup: EXPORT of " + run.server + Where(run) + "\n");
  std::string error;
  BackupFile file;
  if (!run.backupFolder.empty() && !platform::MakeFolder(run.backupFolder, &error)) {
    return Fail(run, "backup",
                "Backup failed - cannot make the folder " + run.backupFolder + " - " + error +
                    ". Nothing written.");
  }
  const bool saved = ExportWhole(run, "before", library, &file, &error);
  library.SetMode(Mode::kForward);
  if (!saved) return Fail(run, "backup", "Backup failed - " + error + ". Nothing written.");
  run.backupPath = file.path;
  Say(run, "Backup: " + run.backupPath + EncodingNote(file.mark) + "\n");
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

// An interrupt before the import: nothing was written.
int Interrupt(GuardedRun& run, const char* step) {
  Say(run, "\nNot imported: interrupted. Nothing written.\n");
  run.Step(step, "interrupted", "interrupted before the import");
  run.ending = "interrupted";
  return kImportRefused;
}

// The logon was held while the question waited: one harmless read finds out
// whether the controller still answers before anything is written.
int StillAnswers(GuardedRun& run, ClientLibrary& library) {
  int32_t count = 0;
  if (library.GetPortsCount(&count) == 0) return kGoOn;
  return Fail(run, "import",
              "The controller closed the connection while the question waited: nothing "
              "written; run again.");
}

int Ask(GuardedRun& run, ClientLibrary& library) {
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
  platform::CatchInterrupts(true);
  const bool yes = ReadsYes(stdin);
  platform::CatchInterrupts(false);
  if (platform::Interrupted()) return Interrupt(run, "ask");
  if (!yes) {
    Say(run, "Not imported: the answer was no. Nothing written.\n");
    run.Step("ask", "refused", "the answer was no");
    run.ending = "answered-no";
    return kImportRefused;
  }
  run.Step("ask", "done", "yes");
  return StillAnswers(run, library);
}

int VerifyTheImport(GuardedRun& run, ReplayLibrary& library);

// The import through the watch; a refused call or an interrupt stops it.
// After a refusal the controller is exported and verified again when it
// still answers, so that what was written and what not is told.
int Import(GuardedRun& run, ReplayLibrary& library, CProfile& profile) {
  Say(run, "\nIMPORT " + run.path + " into " + run.server + "\n");
  ImportWatch watch(library.Target());
  int32_t result = -1;
  try {
    result = RunImport(profile, watch, run.out);
  } catch (const ImportInterrupted&) {
    run.interrupted = true;
  }
  if (result == 0) {
    run.Step("import", "done");
    return kGoOn;
  }
  run.importStopped = true;
  run.ending = run.interrupted ? "interrupted" : "stopped";
  run.refused = watch.LastRefused();
  const char* what = run.interrupted
                         ? "interrupted: the controller is partly written"
                         : "the import stopped part-way: the controller is partly written";
  run.Step("import", run.interrupted ? "interrupted" : "failed", what);
  run.steps.back().stop = true;
  run.steps.back().refused = run.refused;
  Say(run, StopText(run));
  int32_t count = 0;
  if (!run.interrupted && library.Target().GetPortsCount(&count) == 0) {
    VerifyTheImport(run, library);
  } else {
    Say(run,
        std::string(run.interrupted ? "" : "\nNot verified: the controller no longer answers.\n") +
            GoBackText(run));
  }
  return kImportStopped;
}

// EXPORT again, then the controller as that EXPORT read it against the
// prediction.
int VerifyTheImport(GuardedRun& run, ReplayLibrary& library) {
  Say(run, "\nVerification: EXPORT of " + run.server + Where(run) + "\n");
  std::string error;
  std::vector<Record> controller;
  BackupFile file;
  bool read = ExportWhole(run, "after", library, &file, &error);
  run.afterPath = file.path;
  library.SetMode(Mode::kReplay);
  read = read && ReadController(library, &controller, &error);
  library.SetMode(Mode::kForward);
  library.Forget();
  if (!read) {
    run.verification.failure = error;
    run.Step("verify", "failed", error);
    Say(run, "\nnot verified: the EXPORT after the import failed - " + error + "\n");
  } else {
    Say(run, "After: " + run.afterPath + EncodingNote(file.mark) + "\n");
    run.verification = Verify(controller, run.check);
    run.Step("verify", run.verification.Clean() ? "done" : "differences");
    Say(run,
        "\n" + (run.importStopped ? StoppedVerificationText(run.verification) : VerdictText(run)));
  }
  if (!run.importStopped) run.ending = run.verification.Clean() ? "verified" : "differences";
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
  if (code == kGoOn && platform::Interrupted()) code = Interrupt(run, "backup");
  if (code == kGoOn) code = Show(run, library);
  if (code == kGoOn && platform::Interrupted()) code = Interrupt(run, "show");
  if (code == kGoOn) code = Ask(run, library);
  if (code == kGoOn && platform::Interrupted()) code = Interrupt(run, "ask");
  if (code == kGoOn) code = Import(run, library, profile);
  if (code == kGoOn) code = VerifyTheImport(run, library);
  return code;
}

}  // namespace

void GuardedRun::Step(const char* step, const char* outcome, const std::string& message) {
  StepOutcome s;
  s.step = step;
  s.outcome = outcome;
  s.message = message;
  steps.push_back(s);
}

int CheckedImport(const CheckSettings& settings) {
  GuardedRun run;
  run.path = settings.operands[0];
  run.server = settings.operands.size() > 1 ? settings.operands.back() : "127.0.0.1";
  run.yes = settings.yes;
  run.full = settings.full;
  run.backupFolder = settings.backupFolder;
  run.json = settings.json;
  run.out = settings.json ? stderr : stdout;
  // From here an interrupt is noted and acted on where the run can stop
  // cleanly: nothing written before the import, the way back after it.
  platform::CatchInterrupts(false);
  run.exitCode = RunSteps(run);
  if (run.json) {
    const std::string doc = ImportDocument(run);
    std::fwrite(doc.data(), 1, doc.size(), stdout);
    std::fflush(stdout);
  }
  return run.exitCode;
}
