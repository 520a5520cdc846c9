// The checked import's PLAN, short: what changes per table, what deserves a
// look before the import writes it, then each changed field, new record and
// record that stays in the controller, a screenful at most.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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

// At most this many lines of changes, flagged ones first; the rest counted.
constexpr int kShortLines = 40;
// Old values named in one line; the rest counted.
constexpr size_t kOldValuesNamed = 4;

// A hose move's note on its PumpId change: told with the move, not a value
// the file cannot carry.
bool IsMove(const RecordChange& rc, const Change& c) {
  return rc.record.table == Table::kHose && std::string(c.field) == "PumpId" &&
         c.note.rfind("id ", 0) == 0;
}

// Changes whose old value the file cannot carry (named, with why), and new
// tanks and hoses whose measures IMPORT passes as 0.
std::string CannotCarry(const Comparison& plan) {
  std::vector<std::string> old, zeroed;
  for (const RecordChange& rc : plan.records) {
    for (const Change& c : rc.changes) {
      if (c.note.empty() || IsMove(rc, c)) continue;
      old.push_back(rc.record.Name() + " " + c.field + " (" + c.note + ")");
    }
    const bool measured = rc.record.table == Table::kTank || rc.record.table == Table::kHose;
    if (rc.kind == RecordChange::Kind::kNew && measured) zeroed.push_back(RecordName(rc.record));
  }
  std::string out;
  if (!old.empty()) {
    out += Plural(static_cast<int>(old.size()), "old value", "old values") +
           " IMPORT cannot write back should you go back with the before-file: " +
           NamesList(old, kOldValuesNamed) + "\n";
  }
  if (!zeroed.empty()) {
    out += "The measures of " +
           Plural(static_cast<int>(zeroed.size()), "new tank or hose", "new tanks and hoses") +
           " passed as 0 (the file carries none): " + NamesList(zeroed) + "\n";
  }
  return out;
}

std::string ValueLine(const RecordChange& rc, const Change& c) {
  std::string out = rc.record.Name() + "  " + c.field + "  ";
  if (c.secret) return out + "changes\n";
  if (c.hasBefore) out += c.before.Show() + " -> ";
  out += c.after.Show();
  return out + (c.note.empty() ? std::string() : "  (" + c.note + ")") + "\n";
}

// One line per changed field that Flagged does not tell, new record and
// record that stays in the controller, in the PLAN's order.
// A line of the detail and what it tells of: a field (0), a new record (1),
// a record only in the controller (2).
using DetailLine = std::pair<int, std::string>;

std::vector<DetailLine> ValueLines(const Comparison& plan) {
  std::vector<DetailLine> lines;
  for (const RecordChange& rc : plan.records) {
    if (rc.kind == RecordChange::Kind::kNew) {
      lines.emplace_back(1, RecordName(rc.record) + "  new\n");
    } else if (rc.kind == RecordChange::Kind::kOnlyBefore) {
      if (rc.unwrittenBecause.empty()) {
        lines.emplace_back(
            2, RecordName(rc.record) + "  stays in the controller: IMPORT deletes no record\n");
      }
    } else {
      for (const Change& c : rc.changes) {
        if (IsMove(rc, c) || !FlaggedChange(rc, c).empty()) continue;
        lines.emplace_back(0, ValueLine(rc, c));
      }
    }
  }
  return lines;
}

// "and 22 more: 20 fields, 2 new records (/FULL shows every field)".
std::string Rest(const std::vector<DetailLine>& lines, size_t from) {
  int count[3] = {};
  for (size_t i = from; i < lines.size(); ++i) ++count[lines[i].first];
  const char* const kinds[3][2] = {
      {"field", "fields"},
      {"new record", "new records"},
      {"record only in the controller", "records only in the controller"}};
  std::string out;
  for (int k = 0; k < 3; ++k) {
    if (count[k] == 0) continue;
    out += (out.empty() ? "" : ", ") + Plural(count[k], kinds[k][0], kinds[k][1]);
  }
  return "and " + std::to_string(lines.size() - from) + " more: " + out +
         " (/FULL shows every field)\n";
}

int LinesIn(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n' ? 1 : 0;
  return n;
}

// The value lines that fit beside the flagged ones, then how many more.
std::string ValuesText(const Comparison& plan, const std::string& flagged) {
  const std::vector<DetailLine> lines = ValueLines(plan);
  if (lines.empty()) return std::string();
  const int used = LinesIn(flagged);
  const size_t room = used >= kShortLines - 1 ? 1 : static_cast<size_t>(kShortLines - used);
  const bool blank = flagged.size() >= 2 && flagged.compare(flagged.size() - 2, 2, "\n\n") == 0;
  std::string out = std::string(blank ? "" : "\n") + "In detail:\n\n";
  for (size_t i = 0; i < lines.size() && i < room; ++i) out += lines[i].second;
  return lines.size() > room ? out + Rest(lines, room) : out;
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
  out += ValuesText(run.plan, flagged);
  const size_t only = ControllerOnly(run.plan).size();
  return out + "\n" + Plural(run.plan.changed, "record changes", "records change") + ", " +
         std::to_string(run.plan.added) + " new" +
         (run.plan.notRestored.empty()
              ? std::string()
              : ", " + std::to_string(run.plan.notRestored.size()) + " not restored") +
         (only == 0 ? std::string() : ", " + std::to_string(only) + " only in the controller") +
         " (/FULL shows every field)\n";
}
