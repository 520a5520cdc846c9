// The checked import's verification (the controller after the import
// against the prediction the PLAN showed) and its way back.
#include <string>
#include <vector>

#include "check/guarded/CheckedImport.h"
#include "check/plan/PlanRestore.h"
#include "check/report/ReportParts.h"

namespace {

std::string DifferenceText(const RecordChange& rc) {
  if (rc.kind == RecordChange::Kind::kNew) {
    return rc.record.Name() + "  not in the controller (the import wrote it)\n";
  }
  std::string out;
  for (const Change& c : rc.changes) {
    out += rc.record.Name() + "  " + c.field + "  ";
    if (c.secret) {
      out += "the controller holds another value than the import wrote\n";
    } else {
      out +=
          "the controller holds " + c.before.Show() + ", the import wrote " + c.after.Show() + "\n";
    }
  }
  return out;
}

// A new record that the verification after a stop found missing: the import
// never wrote it.
bool NotInController(const GuardedRun& run, const Record& record) {
  if (!run.importStopped) return false;
  for (const RecordChange& rc : run.verification.differences.records) {
    if (rc.kind == RecordChange::Kind::kNew && rc.record.Name() == record.Name()) return true;
  }
  return false;
}

}  // namespace

Verification Verify(const std::vector<Record>& controller, const FileCheck& check) {
  Verification v;
  v.made = true;
  Comparison all = Compare(controller, check.prediction.records, false, false);
  for (RecordChange& rc : all.records) {
    if (rc.kind == RecordChange::Kind::kNew) {
      ++v.differences.added;
    } else if (rc.kind == RecordChange::Kind::kChanged && !rc.changes.empty()) {
      ++v.differences.changed;
    } else {
      continue;
    }
    rc.kept.clear();
    v.differences.records.push_back(std::move(rc));
  }
  Comparison unwritten;
  FindNotRestored(controller, check, &unwritten);
  v.missing = unwritten.notRestored;
  return v;
}

std::string VerificationText(const Verification& v) {
  if (!v.made) return "not verified: " + v.failure + "\n";
  if (v.Clean()) return "verified: the controller holds what the import wrote\n";
  std::string out;
  if (!v.differences.records.empty()) {
    out += "not verified: the controller does not hold what the import wrote:\n\n";
    for (const RecordChange& rc : v.differences.records) out += DifferenceText(rc);
  }
  if (!v.missing.empty()) {
    out += v.differences.records.empty() ? "not verified: " : "\n";
    out += "the file's records that are not in the controller:\n\n";
    for (const UnwrittenRecord& u : v.missing) {
      out += u.section + "  not in the controller (" + u.reason + ")\n";
    }
  }
  if (!v.Clean()) {
    out += "\n" + Plural(v.differences.changed, "record differs", "records differ") + ", " +
           std::to_string(v.differences.added + static_cast<int>(v.missing.size())) +
           " not in the controller\n";
  }
  return out;
}

std::string GoBackText(const GuardedRun& run) {
  if (run.backupPath.empty()) return std::string();
  std::string out = "\nTo go back: " + WayBackCommand(run) +
                    "\nThat file is a full EXPORT made before the import: importing it writes "
                    "back the fields\nthe import overwrote.";
  std::vector<std::string> added;
  for (const RecordChange& rc : run.plan.records) {
    if (rc.kind == RecordChange::Kind::kNew && !NotInController(run, rc.record)) {
      added.push_back(rc.record.Name());
    }
  }
  if (!added.empty()) {
    out += " It cannot remove the records the import added (the library has no\ndelete call): " +
           NamesList(added) + ".";
  }
  std::vector<UnwrittenRecord> unwritten;
  std::string error;
  std::vector<std::string> unreached;
  if (FindUnwritten(run.backupPath, &unwritten, &error)) {
    for (const UnwrittenRecord& u : unwritten) unreached.push_back(u.section);
  }
  if (!unreached.empty()) {
    out +=
        "\nIt cannot restore its records that IMPORT never reaches (after a gap of seven "
        "numbers,\nZigBee01 to ZigBee04, hoses above 8, identifiers of 0 or below): " +
        NamesList(unreached) + ".";
  }
  return out + "\n" + WayBackForesight(run);
}
