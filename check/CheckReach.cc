// Which sections IMPORT reaches: every record section is either written (its
// keys are checked) or passed over, and then the finding says why.
#include <string>

#include "check/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"
#include "profile/Text.h"

namespace pl = profile_lines;

namespace {

// The step and number of a record section name ("pump03": the pump step,
// 3), or null: the name begins with a table's word, then digits only.
const StepRule* ParseRecordName(std::string_view name, int32_t* n) {
  for (size_t i = 0; i < kImportStepCount; ++i) {
    const StepRule& rule = kImportSteps[i];
    const std::string_view word = Spec(rule.table).word;
    if (name.size() <= word.size() || !pl::EqualsIgnoringCase(name.substr(0, word.size()), word)) {
      continue;
    }
    int64_t value = 0;
    for (char c : name.substr(word.size())) {
      if (c < '0' || c > '9') return nullptr;
      value = value * 10 + (c - '0');
      if (value > 1000000000) return nullptr;
    }
    *n = static_cast<int32_t>(value);
    return &rule;
  }
  return nullptr;
}

std::string Section(Table table, int32_t n) { return NumberedName(Spec(table).section, n); }

// A section whose Number IMPORT reads as below 1: it is absent to IMPORT.
void WarnNoNumber(CheckContext& ctx, const FileScan::Section& s, const FileScan::Found& number,
                  int32_t value) {
  const std::string shown = number.found ? std::string(pl::Unquote(number.value)) : std::string();
  ctx.Warn(number.found ? number.line : s.line, s.name, "Number",
           !number.found ? "no Number: IMPORT skips the section as absent"
           : shown == std::to_string(value)
               ? "Number " + shown + " is below 1: IMPORT skips the section as absent"
               : "Number " + Quoted(number.value) + " reads as " + std::to_string(value) +
                     ": IMPORT skips the section as absent");
}

// The import stops part-way only at a hose whose tank it cannot write, in
// the pump step: no later step runs.
bool StepsAfterAStop(const StepRule& rule) { return &rule >= ImportStepOf(Table::kPump); }

// Says why IMPORT does not write section s, record n of the rule's table.
void ReportUnreached(CheckContext& ctx, const StepRule& rule, const FileScan::Section& s,
                     int32_t n) {
  const FileScan::Found number = ctx.file.FindKey(s, "Number");
  const int32_t value = number.found ? Text(std::string(pl::Unquote(number.value))).ToInt() : 0;
  if (value < 1) return WarnNoNumber(ctx, s, number, value);
  // Below a walk's first number (ZigBee01 to ZigBee04). A section 0 of a
  // walk from 1 is told as being past the walk's end.
  if (n < rule.first && rule.first > 1) {
    return ctx.Warn(s.line, s.name, "",
                    Section(rule.table, 1) + " to " + Section(rule.table, rule.first - 1) +
                        " are never read: IMPORT starts at " + Section(rule.table, rule.first));
  }
  if (n >= rule.limit) {
    return ctx.Warn(s.line, s.name, "",
                    "never reached: IMPORT tries " + Section(rule.table, rule.first) + " to " +
                        Section(rule.table, rule.limit - 1) + " only");
  }
  if (ctx.check->prediction.result != 0 && StepsAfterAStop(rule)) {
    return ctx.Warn(s.line, s.name, "", "never reached: IMPORT stops before it (see the error)");
  }
  const int32_t end = WalkEnd(ctx, rule);
  if (rule.table == Table::kTank && n <= end) {
    const FileScan::Found key = ctx.file.FindKey(s, "Grade");
    return ctx.Warn(key.found ? key.line : s.line, s.name, "Grade",
                    "refers to grade " + std::to_string(ctx.IntOf(s, "Grade")) +
                        ", which the file does not hold: IMPORT skips the tank");
  }
  ctx.Warn(s.line, s.name, "",
           "never reached: IMPORT stops looking after seven missing numbers, at " +
               Section(rule.table, end));
}

}  // namespace

int32_t WalkEnd(CheckContext& ctx, const StepRule& rule) {
  int32_t& cached = ctx.walkEnd[static_cast<size_t>(rule.table)];
  if (cached != 0) return cached;
  int32_t misses = 0;
  int32_t n = rule.first;
  for (; !WalkFinished(rule, n, misses); ++n) {
    bool present = ctx.NumberOf(Section(rule.table, n)) >= 1;
    // A tank whose grade is absent is a miss too.
    if (present && rule.table == Table::kTank) {
      const FileScan::Section* tank = ctx.file.Find(Section(rule.table, n));
      present = ctx.NumberOf(Section(Table::kGrade, ctx.IntOf(*tank, "Grade"))) >= 1;
    }
    misses = present ? 0 : misses + 1;
  }
  cached = n - 1;
  return cached;
}

void CheckSections(CheckContext& ctx) {
  for (const FileScan::Section& s : ctx.file.Sections()) {
    if (!s.first) {
      ctx.Warn(s.line, s.name, "",
               "duplicate section: IMPORT reads only the first one, at line " +
                   std::to_string(s.firstLine));
      continue;
    }
    int32_t n = 0;
    const StepRule* rule = ParseRecordName(s.name, &n);
    if (rule == nullptr) continue;
    const std::string canonical = Section(rule->table, n);
    if (!pl::EqualsIgnoringCase(canonical, s.name)) {
      ctx.Warn(s.line, s.name, "",
               "IMPORT looks for " + canonical + ", never for this name: the section is not read");
      continue;
    }
    if (!ctx.Written(rule->table, n)) {
      ReportUnreached(ctx, *rule, s, n);
      continue;
    }
    ctx.used.clear();
    const int hoses = CheckRecordKeys(ctx, *rule, s, n);
    CheckReferences(ctx, rule->table, s);
    CheckOtherKeys(ctx, rule->table, s, hoses);
  }
}
