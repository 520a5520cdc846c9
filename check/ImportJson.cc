// The checked import's JSON document, written with nlohmann-json: the
// shared top level, the file's CHECK and the PLAN, and the import's own
// parts (the steps with their outcome, the backup, the file after, the
// verification).
#include <nlohmann/json.hpp>
#include <string>

#include "check/CheckedImport.h"
#include "check/Report.h"

using nlohmann::json;

namespace {

// A text holding the file's or the system's bytes (a path, a message): UTF-8
// when it is, else each byte the character of its code.
json Str(const std::string& text) { return json::parse(JsonArgument(text), nullptr, false); }

json FileOrNull(const std::string& path) {
  return path.empty() ? json() : json{{"file", Str(path)}};
}

json ValueOrNull(bool has, const Value& v, bool secret) {
  if (!has || secret) return json();
  return json::parse(v.Json(), nullptr, false);
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
          {"table", TablePlural(rc.record.table)},
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
                       {"table", TablePlural(u.table)},
                       {"id", u.id},
                       {"reason", u.reason}});
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
    steps.push_back({{"step", s.step},
                     {"outcome", s.outcome},
                     {"message", s.message.empty() ? json() : Str(s.message)}});
  }
  return {{"steps", steps},
          {"backup", FileOrNull(run.backupPath)},
          {"after", FileOrNull(run.afterPath)},
          {"verification", VerificationJson(run.verification)}};
}

std::string ImportDocument(const GuardedRun& run, const json& check, const json& plan) {
  json doc = {{"schema", 1},
              {"program", "TarvoCheck"},
              {"version", TARVO_VERSION},
              {"command", "IMPORT"},
              {"exitCode", run.exitCode},
              {"error", run.error.empty() ? json() : Str(run.error)},
              {"files", json::array({Str(run.path)})},
              {"server", Str(run.server)},
              {"check", check},
              {"plan", plan}};
  doc.update(ImportParts(run));
  return doc.dump(2) + "\n";
}

// Until the shared schema's writers are merged: the CHECK and PLAN reports'
// own JSON, parsed.
json CheckJson(const GuardedRun& run) {
  if (run.steps.empty() || run.steps.front().outcome == "failed") return json();
  return json::parse(CheckReport(run.path, run.check, true), nullptr, false);
}

json PlanJson(const GuardedRun& run) {
  for (const StepOutcome& s : run.steps) {
    if (s.step == "show" && s.outcome == "done") {
      return json::parse(PlanReport(run.path, run.server, run.plan, run.check, true), nullptr,
                         false);
    }
  }
  return json();
}
