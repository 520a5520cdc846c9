// The checked import's answer to its question and its stop: where and why
// the import stopped, what the way back can be foreseen to do there, and the
// way back's command as the console takes it.
#include <cstdio>
#include <string>

#include "check/guarded/CheckedImport.h"
#include "check/plan/PlanRefusals.h"
#include "platform/Interrupts.h"
#include "profile/Profile.h"
#include "profile/ProfileLines.h"

namespace {

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\r'; }

// A record the import changes or adds: the controller held other values (or
// none) before it.
bool PlanChanges(const Comparison& plan, const std::string& record) {
  for (const RecordChange& rc : plan.records) {
    if (rc.record.Name() != record) continue;
    if (rc.kind == RecordChange::Kind::kNew) return true;
    if (rc.kind == RecordChange::Kind::kChanged && !rc.changes.empty()) return true;
  }
  return false;
}

// The before-file's writes that a controller may refuse (identifiers below
// 1), each with what follows; empty when there are none or the file cannot
// be read again.
std::string BeforeFileRefusals(const std::string& path) {
  CProfile profile(path.c_str(), false);
  FileCheck check;
  Comparison plan;
  std::string error;
  if (!profile.Open(&error) || !CheckProfile(profile, nullptr, &check, &error) ||
      !FindRefusals(profile, check.prediction, &plan, &error)) {
    return std::string();
  }
  return RefusalText(plan, plan.records.size());
}

// The way back stops where the import did when it sends the same values.
std::string SameValuesRefused(const GuardedRun& run) {
  const StopCall& r = run.refused;
  if (r.code == 0 || r.record.empty() || PlanChanges(run.plan, r.record)) return std::string();
  // The controller held the file's values of that record before the import:
  // the before-file holds the very values the controller refused.
  return "The way back may stop at " + r.record + " too: the before-file holds the values the " +
         "controller refused\nin " + r.call + ". It would still write back what the import " +
         "changed before " + r.record + ";\n" + r.record +
         " and what follows it would stay as they are (the import did not reach them either).\n";
}

// A record the verification found otherwise than the file says: after a
// stop, most are records the import never reached.
std::string NotWrittenText(const RecordChange& rc) {
  if (rc.kind == RecordChange::Kind::kNew) return rc.record.Name() + "  not in the controller\n";
  std::string out;
  for (const Change& c : rc.changes) {
    out += rc.record.Name() + "  " + c.field + "  ";
    out += c.secret ? "the controller holds another value than the file\n"
                    : "the controller holds " + c.before.Show() + ", the file says " +
                          c.after.Show() + "\n";
  }
  return out;
}

}  // namespace

std::string StoppedVerificationText(const Verification& v) {
  if (!v.made) return "Not verified: " + v.failure + "\n";
  std::string out;
  if (v.differences.records.empty()) {
    out +=
        "Every record the import reaches is in the controller as the file says, although "
        "the import stopped.\n";
  } else {
    out += "Not as the file says (not written before the stop, or refused):\n\n";
    for (const RecordChange& rc : v.differences.records) out += NotWrittenText(rc);
  }
  for (const UnwrittenRecord& u : v.missing) {
    out += u.section + "  not in the controller (" + u.reason + ")\n";
  }
  return out;
}

bool ReadsYes(std::FILE* in) {
  // The line is read to its end whatever its length, keeping only what can
  // decide it: at most four characters between the blanks around them.
  std::string word;
  bool blankAfterWord = false, no = false;
  int c = 0;
  while ((c = std::fgetc(in)) != EOF && c != '\n') {
    if (IsBlank(c)) {
      blankAfterWord = !word.empty();
      continue;
    }
    if (c == '\0' || blankAfterWord || word.size() >= 4) no = true;
    if (!no) word += static_cast<char>(c);
  }
  // The end of input (or a read ended by an interrupt) before the line ends.
  if (c == EOF || no) return false;
  return profile_lines::EqualsIgnoringCase(word, "y") ||
         profile_lines::EqualsIgnoringCase(word, "yes");
}

std::string StopText(const GuardedRun& run) {
  if (run.interrupted) {
    return "\nInterrupted: the import ended between two calls; the controller is partly "
           "written.\n";
  }
  std::string out =
      "\nIncomplete: the import stopped part-way: the controller is partly written.\n";
  const StopCall& r = run.refused;
  if (r.code == 0) return out;
  return out + "It stopped at " + (r.record.empty() ? std::string("a record") : r.record) +
         ": the controller refused " + r.call + " - " + r.reason + ".\n";
}

std::string WayBackForesight(const GuardedRun& run) {
  if (!run.importStopped || run.backupPath.empty()) return std::string();
  std::string out = run.interrupted ? std::string() : SameValuesRefused(run);
  const std::string refusals = BeforeFileRefusals(run.backupPath);
  if (!refusals.empty()) out += "Writes of the way back that a controller may refuse:\n" + refusals;
  return out;
}

std::string WayBackCommand(const GuardedRun& run) {
  return "TarvoCheck IMPORT " + platform::QuotedForConsole(run.backupPath) + " " +
         platform::QuotedForConsole(run.server);
}
