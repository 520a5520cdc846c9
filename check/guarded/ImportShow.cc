// The checked import's PLAN, short: what changes per table, then only what
// deserves a look before the import writes it.
#include <cmath>
#include <cstdio>
#include <string>

#include "check/guarded/CheckedImport.h"
#include "check/plan/PlanNotes.h"
#include "check/report/Report.h"
#include "check/report/ReportParts.h"

namespace {

bool IsDebris(char16_t unit) { return unit == u',' || unit == u';' || unit == u'\t'; }

// A text that ends in separators, holds two in a row or " ;": what a
// spreadsheet's save or an inline comment leaves in a value.
bool HasSeparatorDebris(const Value& v) {
  if (v.kind != Value::Kind::kText || v.text.empty()) return false;
  return IsDebris(v.text.back()) || v.text.find(u" ;") != std::u16string::npos ||
         v.text.find(u",,") != std::u16string::npos || v.text.find(u";;") != std::u16string::npos;
}

// An amount that changes by a factor of 10 or more, or becomes 0.
std::string Factor(const Change& c) {
  if (!c.hasBefore || c.before.kind != Value::Kind::kAmount) return std::string();
  const double before = std::fabs(c.before.amount), after = std::fabs(c.after.amount);
  if (before == 0.0) return std::string();
  if (after == 0.0) return "becomes 0";
  const double factor = after > before ? after / before : before / after;
  if (!(factor >= 10.0)) return std::string();
  char text[64];
  std::snprintf(text, sizeof text, "a factor of %.0f %s", factor, after > before ? "up" : "down");
  return text;
}

std::string FlaggedChange(const RecordChange& rc, const Change& c) {
  const std::string where = rc.record.Name() + "  " + c.field + "  ";
  if (c.secret) {
    if (!c.hasBefore) return std::string();
    return where + (HasSeparatorDebris(c.after) ? "changes (the new one ends in separators)\n"
                                                : "changes\n");
  }
  const std::string factor = Factor(c);
  if (!factor.empty()) {
    return where + c.before.Show() + " -> " + c.after.Show() + "  (" + factor + ")\n";
  }
  if (HasSeparatorDebris(c.after)) {
    return where + c.after.Show() + "  (separators or a \" ;\" comment in the text)\n";
  }
  return std::string();
}

// Changes whose old value the file cannot carry, and new tanks and hoses
// whose measures IMPORT passes as 0.
std::string CannotCarry(const Comparison& plan) {
  int noted = 0, zeroed = 0;
  for (const RecordChange& rc : plan.records) {
    for (const Change& c : rc.changes) noted += c.note.empty() ? 0 : 1;
    const bool measured = rc.record.table == Table::kTank || rc.record.table == Table::kHose;
    if (rc.kind == RecordChange::Kind::kNew && measured) ++zeroed;
  }
  if (noted == 0 && zeroed == 0) return std::string();
  return "Values the file cannot carry: " + Plural(noted, "old value", "old values") +
         " IMPORT cannot write back, the measures of " +
         Plural(zeroed, "new tank or hose", "new tanks and hoses") + " passed as 0 (/FULL)\n";
}

std::string Flagged(const Comparison& plan) {
  std::string out;
  for (size_t i = 0; i <= plan.records.size(); ++i) {
    out += HoseNotesText(plan, i);
    if (i == plan.records.size()) break;
    const RecordChange& rc = plan.records[i];
    if (rc.kind == RecordChange::Kind::kOnlyBefore) continue;
    if (rc.kind == RecordChange::Kind::kNew) {
      for (const Field& f : rc.record.fields) {
        if (!HasSeparatorDebris(f.value)) continue;
        out += rc.record.Name() + "  " + f.name + "  " +
               (IsSecret(rc.record, f.name) ? "(not shown)" : f.value.Show()) +
               "  (separators or a \" ;\" comment in the text)\n";
      }
    }
    for (const Change& c : rc.changes) out += FlaggedChange(rc, c);
  }
  for (const UnwrittenRecord& u : plan.notRestored) {
    out += u.section + "  not restored (" + u.reason + ")\n";
  }
  return out + CannotCarry(plan);
}

// Per table: records that change, new ones, and the file's records not
// restored.
std::string CountsPerTable(const Comparison& plan) {
  int changed[kTableCount] = {}, added[kTableCount] = {}, lost[kTableCount] = {};
  for (const RecordChange& rc : plan.records) {
    const size_t t = static_cast<size_t>(rc.record.table);
    if (rc.kind == RecordChange::Kind::kNew) ++added[t];
    if (rc.kind == RecordChange::Kind::kChanged && !rc.changes.empty()) ++changed[t];
  }
  for (const UnwrittenRecord& u : plan.notRestored) ++lost[static_cast<size_t>(u.table)];
  std::string out;
  for (size_t t = 0; t < kTableCount; ++t) {
    if (changed[t] + added[t] + lost[t] == 0) continue;
    char line[128];
    std::snprintf(line, sizeof line, "  %-14s %5d change, %5d new", TablePlural(Table(t)),
                  changed[t], added[t]);
    out += line;
    if (lost[t] > 0) out += ", " + std::to_string(lost[t]) + " not restored";
    out += "\n";
  }
  return out;
}

}  // namespace

bool PlanHasWork(const Comparison& plan) {
  return plan.changed > 0 || plan.added > 0 || !plan.notRestored.empty();
}

std::string ShortPlan(const GuardedRun& run) {
  if (run.full) return PlanReport(run.path, run.server, run.plan, run.check, false) + "\n";
  std::string out = "PLAN " + run.path + " against " + run.server + "\n";
  if (run.check.warnings > 0) {
    out += "\nCHECK: " + Counts(run.check) + "\n\n" +
           FindingsText(run.check.findings, Finding::Level::kWarning, run.check.encoding);
  }
  out += "\n" + CountsPerTable(run.plan);
  const std::string flagged = Flagged(run.plan);
  if (!flagged.empty()) out += "\nLook at these before you answer:\n\n" + flagged;
  return out + "\n" + Plural(run.plan.changed, "record changes", "records change") + ", " +
         std::to_string(run.plan.added) + " new" +
         (run.plan.notRestored.empty()
              ? std::string()
              : ", " + std::to_string(run.plan.notRestored.size()) + " not restored") +
         " (/FULL shows every field)\n";
}
