// Which sections IMPORT reaches: every record section is either written (its
// keys are checked) or passed over, and then the finding says why.
#include <string>
#include <utility>

#include "check/rules/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"
#include "profile/Text.h"

namespace pl = profile_lines;

namespace {

// The step and number of a record section name ("pump03": the pump step,
// 3; "Pump-7": -7), or null: the name begins with a table's word, then an
// optional "-" and digits only.
const StepRule* ParseRecordName(std::string_view name, int32_t* n) {
  for (size_t i = 0; i < kImportStepCount; ++i) {
    const StepRule& rule = kImportSteps[i];
    const std::string_view word = SchemaOf(rule.table).word;
    if (name.size() <= word.size() || !pl::EqualsIgnoringCase(name.substr(0, word.size()), word)) {
      continue;
    }
    std::string_view digits = name.substr(word.size());
    const bool negative = digits[0] == '-';
    if (negative) digits.remove_prefix(1);
    if (digits.empty()) return nullptr;
    int64_t value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return nullptr;
      value = value * 10 + (c - '0');
      if (value > 1000000000) return nullptr;
    }
    *n = static_cast<int32_t>(negative ? -value : value);
    return &rule;
  }
  return nullptr;
}

std::string Section(Table table, int32_t n) { return NumberedName(SchemaOf(table).section, n); }

// The word of the records that refer to a record of the table and have it
// written first, whatever the walk ("Tank" for a grade), or null.
const char* ReferredFrom(Table table) {
  for (size_t t = 0; t < kTableCount; ++t) {
    for (const FieldSchema& field : SchemaOf(static_cast<Table>(t))) {
      if (field.Has(kWrittenFirst) && field.refersTo == table)
        return SchemaOf(static_cast<Table>(t)).word;
    }
  }
  return nullptr;
}

// The import stops part-way only at a hose whose tank it cannot write, in
// the pump step: no later step runs.
bool StepsAfterAStop(const StepRule& rule) { return &rule >= ImportStepOf(Table::kPump); }

// Why IMPORT does not write a record whose section the file holds.
enum class Miss { kBelowOne, kNoNumber, kBeforeFirst, kPastLimit, kStopped, kNoGrade, kAfterGap };

// Classifies section s, record n of the rule's table, which IMPORT does not
// write. A grade or tank numbered below 1 is read when a record refers to
// it, so its Number tells first.
Miss ClassifyMiss(CheckContext& ctx, const StepRule& rule, const FileScan::Section& s, int32_t n) {
  const bool byReference = ReferredFrom(rule.table) != nullptr;
  if (n < 1 && !byReference) return Miss::kBelowOne;
  if (ctx.IntOf(s, "Number") < 1) return Miss::kNoNumber;
  if (n < 1) return Miss::kBelowOne;
  if (n < rule.first) return Miss::kBeforeFirst;
  if (n >= rule.limit) return Miss::kPastLimit;
  if (ctx.check->prediction.result != 0 && StepsAfterAStop(rule)) return Miss::kStopped;
  if (rule.table == Table::kTank && n <= WalkEnd(ctx, rule)) return Miss::kNoGrade;
  return Miss::kAfterGap;
}

// A section whose Number IMPORT reads as below 1: it is absent to IMPORT.
void WarnNoNumber(CheckContext& ctx, const FileScan::Section& s) {
  const FileScan::Found number = ctx.file.FindKey(s, "Number");
  const int32_t value = ctx.IntOf(s, "Number");
  const std::string shown = number.found ? std::string(pl::Unquote(number.value)) : std::string();
  ctx.Warn("no-number", number.found ? number.line : s.line, s.name, "Number",
           !number.found ? "no Number: IMPORT skips the section as absent"
           : shown == std::to_string(value)
               ? "Number " + shown + " is below 1: IMPORT skips the section as absent"
               : "Number " + Quoted(number.value) + " reads as " + std::to_string(value) +
                     ": IMPORT skips the section as absent");
}

// Warns of a section numbered below 1: the walk starts above it, and only a
// reference reads a grade's or a tank's.
void WarnBelowOne(CheckContext& ctx, const StepRule& rule, const FileScan::Section& s) {
  const std::string start = Section(rule.table, rule.first);
  const char* from = ReferredFrom(rule.table);
  ctx.Warn("numbered-below-one", s.line, s.name, "",
           from == nullptr
               ? "numbered below 1: IMPORT does not read it (its walk starts at " + start + ")"
               : "numbered below 1: IMPORT's walk starts at " + start +
                     "; IMPORT reads it only for a " + pl::Lower(from) +
                     " that refers to it, and writes nothing from it");
}

// The reason kept with a record IMPORT does not write, for PLAN: its code
// (stable across versions) and its text.
std::pair<const char*, const char*> ReasonFor(Miss miss) {
  switch (miss) {
    case Miss::kBelowOne:
      return {"numbered-below-one", "IMPORT does not write it: numbered below 1"};
    case Miss::kNoNumber:
      return {"no-number", "IMPORT skips it as absent: no Number of 1 or more"};
    case Miss::kBeforeFirst:
      return {"before-walk-start", "IMPORT never reaches it: its walk starts later"};
    case Miss::kPastLimit:
      return {"past-walk-end", "IMPORT never reaches it: its walk ends before it"};
    case Miss::kStopped:
      return {"after-import-stops", "IMPORT never reaches it: the import stops before it"};
    case Miss::kNoGrade:
      return {"grade-not-in-file", "IMPORT skips it: its grade is not in the file"};
    case Miss::kAfterGap:
      return {"after-seven-missing", "IMPORT never reaches it: after seven missing numbers"};
  }
  return {"", ""};
}

// Says why IMPORT does not write section s, record n of the rule's table.
void ReportUnreached(CheckContext& ctx, const StepRule& rule, const FileScan::Section& s,
                     int32_t n) {
  const Table t = rule.table;
  std::string message;
  const Miss miss = ClassifyMiss(ctx, rule, s, n);
  const std::pair<const char*, const char*> reason = ReasonFor(miss);
  ctx.Unwritten(s.name, t, n, reason.first, reason.second);
  switch (miss) {
    case Miss::kBelowOne:
      return WarnBelowOne(ctx, rule, s);
    case Miss::kNoNumber:
      return WarnNoNumber(ctx, s);
    case Miss::kBeforeFirst:
      message = Section(t, 1) + " to " + Section(t, rule.first - 1) +
                " are never read: IMPORT starts at " + Section(t, rule.first);
      break;
    case Miss::kPastLimit:
      message = "never reached: IMPORT tries " + Section(t, rule.first) + " to " +
                Section(t, rule.limit - 1) + " only";
      break;
    case Miss::kStopped:
      message = "never reached: IMPORT stops before it (see the error)";
      break;
    case Miss::kNoGrade: {
      const FileScan::Found key = ctx.file.FindKey(s, "Grade");
      return ctx.Warn("tank-without-grade", key.found ? key.line : s.line, s.name, "Grade",
                      "refers to grade " + std::to_string(ctx.IntOf(s, "Grade")) +
                          ", which the file does not hold: IMPORT skips the tank");
    }
    case Miss::kAfterGap:
      message = "never reached: IMPORT stops looking after seven missing numbers, at " +
                Section(t, WalkEnd(ctx, rule));
      break;
  }
  ctx.Warn("unreachable", s.line, s.name, "", message);
}

bool IsOpening(char c) { return c == '[' || c == '{' || c == '(' || c == '<'; }
bool IsClosing(char c) { return c == ']' || c == '}' || c == ')' || c == '>'; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Warns of the lines that look like a record's header but that IMPORT does
// not read as one.
void WarnHeaderLookalikes(CheckContext& ctx) {
  const std::string_view all(ctx.file.Bytes());
  int line = 0;
  for (size_t pos = 0; pos < all.size(); pos += pl::LineLength(all, pos)) {
    ++line;
    const std::string name = HeaderLookalike(all.substr(pos, pl::LineLength(all, pos)));
    if (name.empty()) continue;
    ctx.Warn("header-lookalike", line, name, "",
             "looks like the header of " + name + "; IMPORT does not read it");
    int32_t n = 0;
    const StepRule* rule = ParseRecordName(name, &n);
    if (rule != nullptr)
      ctx.Unwritten(name, rule->table, n, "header-not-read", "IMPORT does not read its header");
  }
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

std::string WhyNotWritten(CheckContext& ctx, Table table, int32_t n) {
  const StepRule* rule = ImportStepOf(table);
  const FileScan::Section* s = ctx.file.Find(Section(table, n));
  if (rule == nullptr || s == nullptr) return std::string();
  const std::string never = "IMPORT never reaches it (";
  switch (ClassifyMiss(ctx, *rule, *s, n)) {
    case Miss::kNoNumber:
      return "IMPORT reads it as absent (it has no Number of 1 or more)";
    case Miss::kBelowOne:
    case Miss::kBeforeFirst:
      return never + "the walk starts at " + Section(table, rule->first) + ")";
    case Miss::kPastLimit:
      return never + "the walk ends at " + Section(table, rule->limit - 1) + ")";
    case Miss::kStopped:
      return never + "the import stops before it, see the error)";
    case Miss::kNoGrade:
      return "IMPORT skips it (its grade " + std::to_string(ctx.IntOf(*s, "Grade")) +
             " is not in the file)";
    case Miss::kAfterGap:
      return never + "the walk stops after seven missing numbers, at " +
             Section(table, WalkEnd(ctx, *rule)) + ")";
  }
  return std::string();
}

std::string HeaderLookalike(std::string_view line) {
  const std::string_view whole = line;
  line = line.substr(0, line.find('\0'));
  size_t begin = 0;
  size_t end = line.size();
  bool bracket = false;
  for (; begin < end && (IsBlank(line[begin]) || IsOpening(line[begin])); ++begin) {
    bracket = bracket || IsOpening(line[begin]);
  }
  for (; end > begin && (IsBlank(line[end - 1]) || IsClosing(line[end - 1])); --end) {
    bracket = bracket || IsClosing(line[end - 1]);
  }
  // Most lines have no bracket at either end: nothing to look at.
  if (!bracket) return std::string();
  std::string_view name;
  int32_t n = 0;
  // A record's header, or a name that CheckSections tells of.
  if (pl::HeaderName(whole, &name) && ParseRecordName(name, &n) != nullptr) return std::string();
  std::string joined;
  for (char c : line.substr(begin, end - begin)) {
    if (!IsBlank(c)) joined.push_back(c);
  }
  const StepRule* rule = bracket ? ParseRecordName(joined, &n) : nullptr;
  if (rule == nullptr) return std::string();
  const std::string canonical = Section(rule->table, n);
  return pl::IsHeaderOf(line, canonical) ? std::string() : canonical;
}

void CheckSections(CheckContext& ctx) {
  WarnHeaderLookalikes(ctx);
  for (const FileScan::Section& s : ctx.file.Sections()) {
    if (!s.first) {
      ctx.Warn("duplicate-section", s.line, s.name, "",
               "duplicate section: IMPORT reads only the first one, at line " +
                   std::to_string(s.firstLine));
      continue;
    }
    int32_t n = 0;
    const StepRule* rule = ParseRecordName(s.name, &n);
    if (rule == nullptr) continue;
    const std::string canonical = Section(rule->table, n);
    // IMPORT looks for no name of a walk's record below 1, however spelt.
    const bool lookedFor = n >= 1 || ReferredFrom(rule->table) != nullptr;
    if (lookedFor && !pl::EqualsIgnoringCase(canonical, s.name)) {
      ctx.Warn("misnamed-section", s.line, s.name, "",
               "IMPORT looks for " + canonical + ", never for this name: the section is not read");
      ctx.Unwritten(s.name, rule->table, n, "misnamed-section",
                    "IMPORT does not read it: it looks for " + canonical);
      continue;
    }
    if (!ctx.Written(rule->table, n)) {
      ctx.check->unread[pl::Lower(s.name)] = WhyNotWritten(ctx, rule->table, n);
      ReportUnreached(ctx, *rule, s, n);
      continue;
    }
    if (ctx.unwrittenOnly) continue;
    ctx.used.clear();
    const int hoses = CheckRecordKeys(ctx, *rule, s, n);
    CheckReferences(ctx, rule->table, s, n);
    if (rule->table == Table::kPump) CheckHoseOwners(ctx, s, n, hoses);
    CheckTexts(ctx, rule->table, s);
    CheckOtherKeys(ctx, rule->table, s, hoses);
    ctx.check->readSections.insert(pl::Lower(s.name));
    ctx.check->readLines.insert(ctx.used.begin(), ctx.used.end());
  }
}
