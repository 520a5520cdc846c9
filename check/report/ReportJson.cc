#include "check/report/ReportJson.h"

#include <cstring>
#include <map>
#include <utility>

#include <nlohmann/json.hpp>

#include "check/plan/PlanNotes.h"
#include "check/plan/PlanRefusals.h"
#include "check/plan/PlanRestore.h"
#include "check/report/ReportParts.h"
#include "check/text/FindingText.h"
#include "check/text/JsonText.h"
#include "profile/RecordNames.h"

using json = nlohmann::ordered_json;

const char kCheckVersion[] = TARVO_VERSION;

namespace {

// A string, or null when empty.
json TextOrNull(const std::string& text) { return text.empty() ? json() : json(text); }

// The writes' key of a table: its plural in camel case ("cardClients").
std::string WritesKey(Table table) {
  std::string out;
  bool upper = false;
  for (char c : std::string(TablePlural(table))) {
    if (c == ' ') {
      upper = true;
      continue;
    }
    if (out.empty() && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out.push_back(upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    upper = false;
  }
  return out;
}

json FindingJson(const Finding& f, bool utf8) {
  return json{{"code", f.code},
              {"level", LevelName(f.level)},
              {"line", f.line},
              {"section", Utf8Of(f.section, utf8)},
              {"key", Utf8Of(f.key, utf8)},
              {"field", TextOrNull(f.field)},
              {"value", f.hasValue ? json(Utf8Of(f.value, utf8)) : json()},
              {"reads", f.reads.empty() ? json() : json(Utf8Of(f.reads, utf8))},
              {"message", Utf8Of(MessageAsIs(f.message), utf8)},
              {"partOf", f.partOf == nullptr ? json() : json(f.partOf)}};
}

// The file key that carries a record's field, or null (a value the file
// cannot carry).
json FileKeyOf(const Record& r, const char* param) {
  for (int level = 1; r.table == Table::kGrade && level <= kPriceLevels; ++level) {
    if (std::strcmp(PriceLevelParam(level), param) == 0) {
      return NumberedName(kPriceLevelKey, level);
    }
  }
  const FieldSchema* field = SchemaOf(r.table).Param(param);
  if (field == nullptr || field->key == nullptr) return json();
  return r.table == Table::kHose ? NumberedName(field->key, r.hose) : std::string(field->key);
}

json ChangeJson(const Record& r, const char* param, const Value* before, const Value* after,
                const std::string& note) {
  const bool secret = IsSecret(r, param);
  return json{{"key", FileKeyOf(r, param)},
              {"field", param},
              {"before", before == nullptr || secret ? json() : ValueJson(*before)},
              {"after", after == nullptr || secret ? json() : ValueJson(*after)},
              {"secret", secret},
              {"note", TextOrNull(note)}};
}

const char* StatusOf(const RecordChange& rc, bool plan) {
  switch (rc.kind) {
    case RecordChange::Kind::kNew:
      return plan ? "new" : "onlyInB";
    case RecordChange::Kind::kOnlyBefore:
      return plan ? "controllerOnly" : "onlyInA";
    case RecordChange::Kind::kChanged:
      break;
  }
  return rc.changes.empty() ? "kept" : "changed";
}

}  // namespace

json JsonDocument(const char* command, const std::vector<std::string>& files,
                  const std::string* server) {
  json names = json::array();
  // File names reach the program as UTF-8 (or as bytes of no encoding).
  for (const std::string& f : files) names.push_back(Utf8Of(f, true));
  // Revisions only add keys, codes and enum values to schema 1.
  return json{{"schema", 1},
              {"schemaRevision", 3},
              {"program", "TarvoCheck"},
              {"version", kCheckVersion},
              {"command", command == nullptr ? json() : json(command)},
              {"exitCode", 0},
              {"error", nullptr},
              {"files", names},
              {"server", server == nullptr ? json() : json(Utf8Of(*server, true))},
              {"check", nullptr},
              {"checks", nullptr},
              {"plan", nullptr},
              {"diff", nullptr}};
}

json CheckResultJson(const FileCheck& check) {
  int prices = 0;
  json writes = json::object();
  for (const auto& w : Writes(check.prediction, &prices)) writes[WritesKey(w.first)] = w.second;
  writes["priceLevels"] = prices;
  json findings = json::array();
  std::map<std::string, size_t> left;
  for (const Finding* f : Listed(check.findings, &left))
    findings.push_back(FindingJson(*f, check.utf8));
  json omitted = json::object();
  for (const auto& o : left) omitted[o.first] = o.second;
  return json{{"errors", check.errors},
              {"warnings", check.warnings},
              {"notes", check.notes},
              {"folded", check.folded},
              {"stops", check.prediction.result != 0},
              {"writes", std::move(writes)},
              {"findings", std::move(findings)},
              {"omitted", std::move(omitted)}};
}

json RecordChangeJson(const RecordChange& rc, bool plan) {
  const Record& r = rc.record;
  json changes = json::array();
  json kept = json::array();
  if (rc.kind == RecordChange::Kind::kChanged) {
    for (const Change& c : rc.changes) {
      changes.push_back(ChangeJson(r, c.field, c.hasBefore ? &c.before : nullptr,
                                   c.hasAfter ? &c.after : nullptr, c.note));
    }
  } else if (rc.kind == RecordChange::Kind::kNew || !plan) {
    // A record on one side only: its fields, on its side. New records' values
    // without a file key are said once per table (zeroedMeasures).
    const bool after = rc.kind == RecordChange::Kind::kNew;
    for (const Field& f : r.fields) {
      if (plan && HasNoKey(r, f.name)) continue;
      changes.push_back(ChangeJson(r, f.name, after ? nullptr : &f.value,
                                   after ? &f.value : nullptr, std::string()));
    }
  }
  for (const Field& f : rc.kept) {
    kept.push_back(
        json{{"key", FileKeyOf(r, f.name)}, {"field", f.name}, {"value", ValueJson(f.value)}});
  }
  return json{{"section", r.Name()},          {"table", TableName(r.table)}, {"id", r.id},
              {"status", StatusOf(rc, plan)}, {"changes", changes},          {"kept", kept}};
}

std::string CheckJson(const std::string& path, const FileCheck& check, int exitCode) {
  json doc = JsonDocument("CHECK", {path}, nullptr);
  doc["exitCode"] = exitCode;
  doc["check"] = CheckResultJson(check);
  return DumpJson(doc);
}

json PlanResultJson(const Comparison& plan, const FileCheck& check) {
  json records = json::array();
  for (const RecordChange& rc : plan.records) records.push_back(RecordChangeJson(rc, true));
  json refused = RefusalsJson(plan);
  // What a gate on drift asks: would IMPORT change the controller's records,
  // or leave records of the file missing from it?
  const bool changes = plan.changed + plan.added > 0 || !plan.notRestored.empty();
  return json{{"changes", changes},
              {"counts",
               {{"changed", plan.changed},
                {"new", plan.added},
                {"controllerOnly", plan.onlyBefore},
                {"kept", plan.keeping},
                {"notRestored", plan.notRestored.size()},
                {"mayBeRefused", refused.size()}}},
              {"records", std::move(records)},
              {"hoseMoves", HoseMovesJson(plan)},
              {"sharedHoseNumbers", SharedNumbersJson(plan)},
              {"notRestored", NotRestoredJson(plan, check.utf8)},
              {"zeroedMeasures", ZeroedJson(plan)},
              {"mayBeRefused", std::move(refused)}};
}

std::string PlanJson(const std::string& path, const std::string& server, const Comparison& plan,
                     const FileCheck& check, int exitCode) {
  json doc = JsonDocument("PLAN", {path}, &server);
  doc["exitCode"] = exitCode;
  doc["check"] = CheckResultJson(check);
  doc["plan"] = PlanResultJson(plan, check);
  return DumpJson(doc);
}

std::string DiffJson(const std::string& a, const std::string& b, const Comparison& diff,
                     const std::vector<FileDifference>& fileDiffs, const FileCheck& checkA,
                     const FileCheck& checkB, int exitCode) {
  json doc = JsonDocument("DIFF", {a, b}, nullptr);
  doc["exitCode"] = exitCode;
  doc["checks"] = json::array({CheckResultJson(checkA), CheckResultJson(checkB)});
  json records = json::array();
  for (const RecordChange& rc : diff.records) records.push_back(RecordChangeJson(rc, false));
  doc["diff"] = json{{"counts",
                      {{"differ", diff.changed},
                       {"onlyInA", diff.onlyBefore},
                       {"onlyInB", diff.added},
                       {"fileDiffer", fileDiffs.size()}}},
                     {"records", std::move(records)},
                     {"fileDifferences", FileDifferencesJson(fileDiffs, checkA.utf8, checkB.utf8)}};
  return DumpJson(doc);
}

std::string FailureJson(const char* command, const std::vector<std::string>& files,
                        const std::string* server, const std::string& error) {
  json doc = JsonDocument(command, files, server);
  doc["exitCode"] = -1;
  // The reason may quote a file name or the library's text: bytes of no
  // known encoding are each the character of their code.
  doc["error"] = Utf8Of(error, true);
  return DumpJson(doc);
}
