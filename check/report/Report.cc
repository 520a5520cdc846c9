#include "check/report/Report.h"

#include <cstdio>

#include "check/plan/PlanNotes.h"
#include "check/plan/PlanRefusals.h"
#include "check/plan/PlanRestore.h"
#include "check/report/ReportJson.h"
#include "check/report/ReportParts.h"

std::string CheckReport(const std::string& path, const FileCheck& check, bool json) {
  if (json) return CheckJson(path, check, CheckExitCode(check));
  int prices = 0;
  std::vector<std::pair<Table, int>> writes = Writes(check.prediction, &prices);
  // The errors first: they are what keeps the file from importing as written.
  std::string out = "CHECK " + path + "\n\n" + ErrorsText(check, "IMPORT") +
                    "IMPORT would write, in this order:\n";
  if (writes.empty()) out += "  nothing\n";
  int hoses = 0;
  for (const auto& w : writes) {
    if (w.first == Table::kHose) hoses = w.second;
  }
  for (const auto& w : writes) {
    if (w.first == Table::kHose) continue;
    char count[16];
    std::snprintf(count, sizeof count, "%5d", w.second);
    out += "  " + Pad(TablePlural(w.first), 14) + count;
    if (w.first == Table::kGrade && prices > 0) {
      out += "  with " + Plural(prices, "price level", "price levels");
    }
    if (w.first == Table::kPump && hoses > 0) out += "  with " + Plural(hoses, "hose", "hoses");
    out += "\n";
  }
  if (check.prediction.result != 0) {
    out += "and then stop: TarvoExtract IMPORT would end with exit code -1 (see the error)\n";
  }
  out += "\n" + FindingsText(check.findings, Finding::Level::kWarning, check.encoding, false);
  return out + Counts(check) + "\n";
}

std::string PlanReport(const std::string& path, const std::string& server, const Comparison& plan,
                       const FileCheck& check, bool json) {
  const char* onlyBefore = "in the controller only: IMPORT leaves it as it is";
  if (json) return PlanJson(path, server, plan, check, PlanExitCode(plan, check));
  // CHECK's findings first, so that PLAN alone tells all of them.
  std::string out = "PLAN " + path + " against " + server + "\n\nCHECK: " + Counts(check) + "\n\n" +
                    FindingsText(check.findings, Finding::Level::kWarning, check.encoding);
  for (size_t i = 0; i < plan.records.size(); ++i) {
    out += HoseNotesText(plan, i) + RecordBlock(plan.records[i], onlyBefore, "new") +
           RefusalText(plan, i) + "\n";
  }
  const std::string unshown = RefusalText(plan, plan.records.size());
  out += HoseNotesText(plan, plan.records.size()) + (unshown.empty() ? "" : unshown + "\n") +
         NotRestoredText(plan, check.encoding) + ZeroedText(plan) + ErrorsText(check, "IMPORT");
  out += Plural(plan.changed, "record changes", "records change") + ", " +
         std::to_string(plan.added) + " new, " + std::to_string(plan.onlyBefore) +
         " in the controller only" + NotRestoredSummary(plan);
  if (plan.keeping > 0) {
    out += ", " + Plural(plan.keeping, "record keeps", "records keep") +
           " price levels IMPORT does not write";
  }
  out += HoseNotesSummary(plan) + RefusalSummary(plan) + "\n";
  return out;
}

std::string DiffReport(const std::string& a, const std::string& b, const Comparison& diff,
                       const std::vector<FileDifference>& fileDiffs, const FileCheck& checkA,
                       const FileCheck& checkB, bool json) {
  if (json) {
    return DiffJson(a, b, diff, fileDiffs, checkA, checkB,
                    DiffExitCode(diff, fileDiffs, checkA, checkB));
  }
  std::string out = "DIFF " + a + " " + b + "\n\n";
  for (const RecordChange& rc : diff.records) {
    out += RecordBlock(rc, "only in " + a, "only in " + b) + "\n";
  }
  for (const auto* c : {&checkA, &checkB})
    out += ErrorsText(*c, "IMPORT of " + (c == &checkA ? a : b));
  out += Plural(diff.changed, "record differs", "records differ") + ", " +
         std::to_string(diff.onlyBefore) + " only in " + a + ", " + std::to_string(diff.added) +
         " only in " + b + "\n";
  return out + FileDifferencesText(fileDiffs, a, b, checkA.encoding, checkB.encoding);
}

std::string FailureReport(const char* command, const std::vector<std::string>& files,
                          const std::string* server, const std::string& message, bool json) {
  return json ? FailureJson(command, files, server, message) : message + "\n";
}

int CheckExitCode(const FileCheck& check) {
  return check.errors > 0 ? 2 : check.warnings > 0 ? 1 : 0;
}

int PlanExitCode(const Comparison& plan, const FileCheck& check) {
  if (check.errors > 0 || !plan.notRestored.empty()) return 2;
  // CHECK's warnings count as PLAN's own: PLAN alone tells all.
  // A write a controller may refuse is a warning: the controller may accept it.
  return plan.records.empty() && plan.shared.empty() && plan.refusals.empty() && check.warnings == 0
             ? 0
             : 1;
}

int DiffExitCode(const Comparison& diff, const std::vector<FileDifference>& fileDiffs,
                 const FileCheck& checkA, const FileCheck& checkB) {
  if (checkA.errors > 0 || checkB.errors > 0) return 2;
  // A difference IMPORT does not read is a difference all the same.
  return diff.records.empty() && fileDiffs.empty() ? 0 : 1;
}
