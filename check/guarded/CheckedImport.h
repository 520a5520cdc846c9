// TarvoCheck IMPORT: the checked import. It CHECKs the file (errors end it
// before the logon), backs the controller up with EXPORT into a new file
// beside it (or in the /BACKUP folder), shows the PLAN, asks on the console (or takes /YES),
// imports with the import's own code, EXPORTs again and verifies the controller against the PLAN's
// prediction, and says how to go back.
//
// Exit codes: 0 imported and verified, or nothing to change; 1 imported, but
// the verification found differences or could not be made; 2 the program ran
// and wrote nothing, look (CHECK errors, a file with no record, the answer no, no console and no
// /YES, or nothing to change while lines of the file are not read as written
// or the controller holds records the file lacks); 3 the import stopped
// part-way; -1 could not run, nothing written (usage, unreadable file, logon,
// backup).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "check/guarded/ImportWatch.h"
#include "check/records/Compare.h"
#include "check/rules/Check.h"
#include "profile/FileEncoding.h"

struct CheckSettings;

constexpr int kImportRefused = 2;
constexpr int kImportStopped = 3;

// One step of the run and how it ended: "done", "failed", "refused",
// "skipped" (not needed), "notReached", "interrupted".
struct StepOutcome {
  std::string step;  // "check", "backup", "show", "ask", "import", "verify"
  std::string outcome;
  std::string message;  // what the step said of its end, for JSON
  bool stop = false;    // the import's stop: `refused` says where and why
  StopCall refused;     // the refused Set call (code 0 when none was)
};

// What the verification found: the records IMPORT wrote whose fields the
// controller holds otherwise (kChanged, the predicted values as "after") or
// lacks (kNew), and the file's records that the controller does not hold.
struct Verification {
  bool made = false;
  std::string failure;  // why it could not be made
  Comparison differences;
  std::vector<UnwrittenRecord> missing;
  bool Clean() const { return made && differences.records.empty() && missing.empty(); }
};

struct GuardedRun {
  std::string path;
  std::string server;
  bool yes = false;
  bool full = false;
  bool json = false;
  std::string backupFolder;  // /BACKUP: the files' folder; empty: beside the file
  std::FILE* out = stdout;   // what people read: standard error with /JSON
  FileCheck check;
  Comparison plan;
  std::string stamp;
  std::string backupPath;  // empty until the backup file exists
  std::string afterPath;
  bool importStopped = false;
  bool interrupted = false;  // the person at the console ended the import
  StopCall refused;          // the Set call the import stopped at, if any
  Verification verification;
  std::vector<StepOutcome> steps;
  std::string error;  // why the run could not be made (-1)
  // How the run ended, for JSON's "outcome" ("verified", "lines-not-read",
  // ...); empty when it could not run.
  std::string ending;
  int exitCode = 0;

  void Step(const char* step, const char* outcome, const std::string& message = "");
};

// The whole command; returns its exit code.
int CheckedImport(const CheckSettings& settings);

// ImportBackup.cc: "dir/site.before-STAMP.ini" for "dir/site.ini" (the file's
// own extension kept, ".ini" when it has none); `which` is "before" or
// "after".
std::string StampedName(const std::string& path, const char* which, const std::string& stamp);
// The path the files' names are made from: the file's own, or its name in
// the /BACKUP folder.
std::string BackupBase(const GuardedRun& run);
class ReplayLibrary;
struct BackupFile {
  std::string path;
  file_encoding::Mark mark = file_encoding::Mark::kNone;
};
// EXPORT of the controller through library, recording its answers, into a
// new file named StampedName(BackupBase(run), which, run.stamp) (never one
// that exists), saved as EXPORT saves, and whole or not at all: filled under
// another name first. Without a mark when every text fits one byte per
// character, else with a UTF-8 mark (UTF-16 for a lone surrogate). Its lines
// go to run.out. False, with the reason, when it cannot be made.
bool ExportWhole(const GuardedRun& run, const char* which, ReplayLibrary& library, BackupFile* file,
                 std::string* error);
// " (UTF-8 with a byte-order mark: ...)" for a file with a mark, else empty.
std::string EncodingNote(file_encoding::Mark mark);

// ImportShow.cc: the short PLAN (counts per table, then only what deserves
// a look), or with full PLAN's whole report.
std::string ShortPlan(const GuardedRun& run);
// True when the plan has something for IMPORT to change or leaves records
// unrestored.
bool PlanHasWork(const Comparison& plan);

// ImportVerdict.cc: the warnings of CHECK that tell of a line IMPORT reads
// otherwise than it is written (a key it does not read as named, a value read
// otherwise, a second copy of a section, a header it does not read), each
// once; folded findings stay under the one they are folded into.
Findings LinesNotRead(const FileCheck& check);
// The records the controller holds and the file has no section of (a record
// the file holds where IMPORT never reaches it is not one of them).
std::vector<std::string> ControllerOnly(const Comparison& plan);
// "Client005 stays in the controller" or "Client005, Client006 stay in the
// controller", with ": IMPORT deletes no record"; empty when there are none.
std::string StayText(const std::vector<std::string>& names);
// What the run says when PLAN finds nothing to change: the verdict's lines,
// and its exit code and outcome.
std::string NothingToChange(GuardedRun& run, int* exitCode);
// A record's name as the short view and the verdicts give it: a hose's with
// its identifier ("Pump01 Hose1 (id 11)"), as two hoses may share a number.
std::string RecordName(const Record& r);
// At most this many names in one list; the rest counted.
std::string NamesList(const std::vector<std::string>& names, size_t shown = 12);

// ImportVerify.cc: the controller's records after the import against the
// prediction, and the file's records the controller does not hold.
Verification Verify(const std::vector<Record>& controller, const FileCheck& check);
std::string VerificationText(const Verification& v);
// The verdict after the verification: VerificationText with the records
// that stay in the controller ("verified; 2 records stay ..." when clean).
std::string VerdictText(const GuardedRun& run);
// How to go back with the before-file, and what it cannot restore.
std::string GoBackText(const GuardedRun& run);

// ImportStop.cc: the answer to the question, one line read whole: true for
// "y" or "yes" (any case, blanks around it); false for anything else, a
// line holding a NUL byte, or the end of input before the line ends.
bool ReadsYes(std::FILE* in);
// Where and why the import stopped, for people.
std::string StopText(const GuardedRun& run);
// The verification after a stop: what the controller holds otherwise than
// the file says (not written), the rest written or held already.
std::string StoppedVerificationText(const Verification& v);
// What the way back can be foreseen to do at the record the import stopped
// at; empty when nothing can be foreseen.
std::string WayBackForesight(const GuardedRun& run);
// The way back's command, quoted for the console it is typed into.
std::string WayBackCommand(const GuardedRun& run);

// ImportJson.cc: the parts of the JSON document that are the checked
// import's own: "outcome", "steps", "backup", "after", "verification".
nlohmann::ordered_json ImportParts(const GuardedRun& run);
// The whole document: the shared top level (schema, program, command,
// exitCode, error, files, server), the file's CHECK and the PLAN where the
// run reached them (else null), and the import's own parts.
std::string ImportDocument(const GuardedRun& run);
