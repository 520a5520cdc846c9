// The checked import's JSON document, written with nlohmann-json: the
// shared top level, the file's CHECK and the PLAN, and the import's own
// parts (how the run ended, the steps with their outcome, the backup, the
// file after, the verification).
#include <nlohmann/json.hpp>
#include <string>

#include "check/guarded/CheckedImport.h"
#include "check/report/ReportJson.h"
#include "check/text/JsonText.h"

using json = nlohmann::ordered_json;

namespace {

// A text holding the file's or the system's bytes (a path, a message): UTF-8
// when it is, else each byte the character of its code.
json Str(const std::string& text) { return Utf8Of(text, true); }

json FileOrNull(const std::string& path) {
  return path.empty() ? json() : json{{"file", Str(path)}};
}

json ValueOrNull(bool has, const Value& v, bool secret) {
  return !has || secret ? json() : ValueJson(v);
}

json DifferenceJson(const RecordChange& rc) {
  json changes = json::array();
  for (const Change& c : rc.changes) {
    changes.push_back({{"field", c.field},
                       {"controller", ValueOrNull(c.hasBefore, c.before, c.secret)},
                       {"imported", ValueOrNull(c.hasAfter, c.after, c.secret)},
                       {"secret", c.secret}});
  }
  const bool missing = rc.kind == RecordChange::Kind::kNew;
  return {{"section", Str(rc.record.Name())},
          {"table", TableName(rc.record.table)},
          {"id", rc.record.id},
          {"status", missing ? "notInController" : "differs"},
          {"changes", changes}};
}

json VerificationJson(const Verification& v) {
  if (!v.made && v.failure.empty()) return json();
  json differences = json::array(), missing = json::array();
  for (const RecordChange& rc : v.differences.records) differences.push_back(DifferenceJson(rc));
  for (const UnwrittenRecord& u : v.missing) {
    missing.push_back({{"section", Str(u.section)},
                       {"table", TableName(u.table)},
                       {"id", u.id},
                       {"reason", u.reason},
                       {"reasonCode", u.reasonCode}});
  }
  return {{"verified", v.Clean()},
          {"error", v.made ? json() : Str(v.failure)},
          {"differences", differences},
          {"notInController", missing}};
}

}  // namespace

json ImportParts(const GuardedRun& run) {
  json steps = json::array();
  for (const StepOutcome& s : run.steps) {
    json step = {{"step", s.step},
                 {"outcome", s.outcome},
                 {"message", s.message.empty() ? json() : Str(s.message)}};
    if (s.stop) {
      // Where the import stopped and why: null when no call was refused.
      const bool refused = s.refused.code != 0;
      step["record"] = refused && !s.refused.record.empty() ? json(s.refused.record) : json();
      step["call"] = refused ? json(s.refused.call) : json();
      step["reason"] = refused ? Str(s.refused.reason) : json();
    }
    steps.push_back(step);
  }
  return {{"outcome", run.ending.empty() ? json() : json(run.ending)},
          {"steps", steps},
          {"backup", FileOrNull(run.backupPath)},
          {"after", FileOrNull(run.afterPath)},
          {"verification", VerificationJson(run.verification)}};
}

std::string ImportDocument(const GuardedRun& run) {
  json doc = JsonDocument("IMPORT", {run.path}, &run.server);
  doc["exitCode"] = run.exitCode;
  if (!run.error.empty()) doc["error"] = Str(run.error);
  bool checked = false, planned = false;
  for (const StepOutcome& s : run.steps) {
    checked = checked || (s.step == "check" && s.outcome != "failed");
    planned = planned || (s.step == "show" && s.outcome == "done");
  }
  if (checked) doc["check"] = CheckResultJson(run.check);
  if (planned) doc["plan"] = PlanResultJson(run.plan, run.check);
  doc.update(ImportParts(run));
  return DumpJson(doc);
}
