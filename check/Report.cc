#include "check/Report.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "check/PlanNotes.h"
#include "check/PlanRestore.h"
#include "check/ReportParts.h"

std::string CheckReport(const std::string& path, const FileCheck& check, bool json) {
  int prices = 0;
  std::vector<std::pair<Table, int>> writes = Writes(check.prediction, &prices);
  if (json) {
    std::string out =
        "{\n  \"command\": \"CHECK\",\n  \"file\": " + JsonArgument(path) + ",\n  \"writes\": {";
    bool first = true;
    for (const auto& w : writes) {
      out += std::string(first ? "" : ", ") + "\"" + TablePlural(w.first) +
             "\": " + std::to_string(w.second);
      first = false;
    }
    if (prices > 0)
      out += std::string(first ? "" : ", ") + "\"price levels\": " + std::to_string(prices);
    out += "},\n  \"stops\": " + Stopped(check) +
           ",\n  \"findings\": " + FindingsJson(check.findings, false) +
           ",\n  \"errors\": " + std::to_string(check.errors) +
           ",\n  \"warnings\": " + std::to_string(check.warnings) +
           (check.notes > 0 ? ",\n  \"notes\": " + std::to_string(check.notes) : "") + "\n}\n";
    return out;
  }
  std::string out = "CHECK " + path + "\n\nIMPORT would write, in this order:\n";
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
  if (check.prediction.result != 0) out += "and then stop, with exit code -1 (see the error)\n";
  out += "\n" + FindingsText(check.findings, Finding::Level::kWarning, check.encoding);
  return out + Counts(check) + "\n";
}

std::string PlanReport(const std::string& path, const std::string& server, const Comparison& plan,
                       const FileCheck& check, bool json) {
  const char* onlyBefore = "in the controller only: IMPORT leaves it as it is";
  if (json) {
    std::string out = "{\n  \"command\": \"PLAN\",\n  \"file\": " + JsonArgument(path) +
                      ",\n  \"server\": " + JsonArgument(server) +
                      ",\n  \"check\": {\"findings\": " + FindingsJson(check.findings, false) +
                      ", \"errors\": " + std::to_string(check.errors) +
                      ", \"warnings\": " + std::to_string(check.warnings) +
                      ", \"notes\": " + std::to_string(check.notes) + "},\n  \"records\": [";
    bool first = true;
    for (const RecordChange& rc : plan.records) {
      out += (first ? "" : ",") + RecordJson(rc, "controller only");
      first = false;
    }
    out += first ? "]" : "\n  ]";
    out += ",\n  \"stops\": " + Stopped(check) +
           ",\n  \"errors\": " + FindingsJson(check.findings, true) +
           ",\n  \"changed\": " + std::to_string(plan.changed) +
           ",\n  \"new\": " + std::to_string(plan.added) +
           ",\n  \"controllerOnly\": " + std::to_string(plan.onlyBefore) +
           ",\n  \"kept\": " + std::to_string(plan.keeping) + ",\n  " + HoseNotesJson(plan) +
           ",\n  " + ZeroedJson(plan) + ",\n  " + NotRestoredJson(plan) + "\n}\n";
    return out;
  }
  // CHECK's findings first, so that PLAN alone tells all of them.
  std::string out = "PLAN " + path + " against " + server + "\n\nCHECK: " + Counts(check) + "\n\n" +
                    FindingsText(check.findings, Finding::Level::kWarning, check.encoding);
  for (size_t i = 0; i < plan.records.size(); ++i) {
    out += HoseNotesText(plan, i) + RecordBlock(plan.records[i], onlyBefore, "new") + "\n";
  }
  out += HoseNotesText(plan, plan.records.size()) + NotRestoredText(plan, check.encoding) +
         ZeroedText(plan) + ErrorsText(check, "IMPORT");
  out += Plural(plan.changed, "record changes", "records change") + ", " +
         std::to_string(plan.added) + " new, " + std::to_string(plan.onlyBefore) +
         " in the controller only" + NotRestoredSummary(plan);
  if (plan.keeping > 0) {
    out += ", " + Plural(plan.keeping, "record keeps", "records keep") +
           " price levels IMPORT does not write";
  }
  out += HoseNotesSummary(plan) + "\n";
  return out;
}

std::string DiffReport(const std::string& a, const std::string& b, const Comparison& diff,
                       const std::vector<FileDifference>& fileDiffs, const FileCheck& checkA,
                       const FileCheck& checkB, bool json) {
  if (json) {
    std::string out = "{\n  \"command\": \"DIFF\",\n  \"a\": " + JsonArgument(a) +
                      ",\n  \"b\": " + JsonArgument(b) + ",\n  \"records\": [";
    bool first = true;
    for (const RecordChange& rc : diff.records) {
      RecordChange shown = rc;
      std::string item = RecordJson(shown, "only in a");
      // New records are those only in b.
      if (rc.kind == RecordChange::Kind::kNew) {
        size_t at = item.find("\"status\": \"new\"");
        if (at != std::string::npos) item.replace(at, 15, "\"status\": \"only in b\"");
      }
      out += (first ? "" : ",") + item;
      first = false;
    }
    out += first ? "]" : "\n  ]";
    out += ",\n  \"stops\": {\"a\": " + Stopped(checkA) + ", \"b\": " + Stopped(checkB) +
           "},\n  \"differ\": " + std::to_string(diff.changed) +
           ",\n  \"onlyInA\": " + std::to_string(diff.onlyBefore) +
           ",\n  \"onlyInB\": " + std::to_string(diff.added) + ",\n  " +
           FileDifferencesJson(fileDiffs) + "\n}\n";
    return out;
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

std::string FailureReport(const char* command, const std::string& message, bool json) {
  if (json) {
    return "{\n  \"command\": \"" + std::string(command) +
           "\",\n  \"error\": " + JsonArgument(message) + "\n}\n";
  }
  return message + "\n";
}
