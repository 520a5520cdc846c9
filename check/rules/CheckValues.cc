// The keys IMPORT reads from a section it writes: missing keys, keys read
// from a longer key's line, and values that do not read as they look.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "check/rules/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"
#include "profile/Text.h"

namespace pl = profile_lines;

namespace {

// A number as a message gives it, with the field's unit if it has one
// ("12 minutes after midnight").
std::string InUnit(int32_t value, const char* unit) {
  return std::to_string(value) + (unit == nullptr ? "" : std::string(" ") + unit);
}

}  // namespace

bool CleanInteger(std::string_view v, int64_t* exact) {
  const size_t i = !v.empty() && (v[0] == '-' || v[0] == '+') ? 1 : 0;
  bool clean = i < v.size();
  *exact = 0;
  for (size_t k = i; k < v.size(); ++k) {
    if (v[k] < '0' || v[k] > '9') {
      clean = false;
      break;
    }
    if (*exact < (int64_t{1} << 40)) *exact = *exact * 10 + (v[k] - '0');
  }
  if (!v.empty() && v[0] == '-') *exact = -*exact;
  return clean;
}

namespace {

// The value without the separators a spreadsheet's save put after it; empty
// when it does not end in them.
std::string_view WithoutSavedEnd(const CheckContext& ctx, std::string_view v) {
  const std::string& end = ctx.savedEnd;
  if (end.empty() || v.size() <= end.size() || v.substr(v.size() - end.size()) != end) return {};
  return v.substr(0, v.size() - end.size());
}

// Folds the finding added last under the spreadsheet-save warning, which
// explains it: without the save's separators the value reads as it looks.
void FoldUnderSave(CheckContext& ctx) { ctx.Last().partOf = kSpreadsheetSave; }

// Warns of an integer that IMPORT reads as another number.
void CheckInteger(CheckContext& ctx, const FileScan::Section& s, const std::string& key, int line,
                  std::string_view v, FieldKind kind, const char* unit) {
  if (v.empty()) {
    ctx.Warn("empty-value", line, s.name, key, "empty: IMPORT writes " + InUnit(0, unit));
    return ctx.Reads("0");
  }
  int64_t exact = 0;
  const bool clean = CleanInteger(v, &exact);
  // What the import passes; a clean number that fits needs no second reading.
  const int32_t read = clean && exact >= INT32_MIN && exact <= INT32_MAX
                           ? static_cast<int32_t>(exact)
                           : Text(std::string(v)).ToInt();
  const int16_t low = static_cast<int16_t>(static_cast<uint16_t>(read));
  const bool narrowed = kind == FieldKind::kInt16 && low != read;
  if (!clean) {
    ctx.Warn("not-a-number", line, s.name, key,
             Quoted(v) + " is not a whole number: IMPORT reads it as " + InUnit(read, unit) +
                 (narrowed ? ", which does not fit in 16 bits: IMPORT writes " + InUnit(low, unit)
                           : std::string()));
  } else if (exact != read) {
    ctx.Warn("wraps-32-bits", line, s.name, key,
             Quoted(v) + " wraps past 32 bits: IMPORT writes " + InUnit(read, unit));
  } else if (narrowed) {
    ctx.Warn("wraps-16-bits", line, s.name, key,
             Quoted(v) + " does not fit in 16 bits: IMPORT writes " + InUnit(low, unit));
  } else {
    return;
  }
  // IMPORT passes the low 16 bits of a 16-bit field.
  ctx.Reads(std::to_string(kind == FieldKind::kInt16 ? low : read));
  const std::string_view cut = WithoutSavedEnd(ctx, v);
  if (!clean && !narrowed && CleanInteger(cut, &exact) && exact == read) FoldUnderSave(ctx);
}

// True for digits with at most one "." between them: an amount that reads
// as it looks.
bool IsPlainAmount(std::string_view v) {
  const size_t dot = v.find('.');
  bool clean = !v.empty() && dot != 0 && dot + 1 != v.size();
  for (size_t k = 0; k < v.size(); ++k) {
    if (k != dot && (v[k] < '0' || v[k] > '9')) clean = false;
  }
  return clean;
}

// Warns of an amount beyond what IMPORT can hold, that is not digits with
// one "." or that has more than the three decimals people enter.
void CheckAmount(CheckContext& ctx, const FileScan::Section& s, const std::string& key, int line,
                 std::string_view v) {
  const int64_t scaled = pl::ToCurrency(v);
  const Value read = Value::Amount(static_cast<double>(scaled) / 10000.0);
  const size_t dot = v.find('.');
  if (v.empty()) {
    ctx.Warn("empty-value", line, s.name, key, "empty: IMPORT writes 0");
  } else if (scaled == std::numeric_limits<int64_t>::max()) {
    ctx.Warn(
        "amount-capped", line, s.name, key,
        Quoted(v) + " is above the largest amount IMPORT can hold: IMPORT writes " + read.Show());
  } else if (!IsPlainAmount(v)) {
    ctx.Warn(v.find(',') != std::string_view::npos ? "decimal-comma" : "not-an-amount", line,
             s.name, key,
             Quoted(v) +
                 " is not an amount as IMPORT reads it (digits and one \".\"): IMPORT writes " +
                 read.Show());
    ctx.Reads(read.Show());
    const std::string_view cut = WithoutSavedEnd(ctx, v);
    const size_t cutDot = cut.find('.');
    if (IsPlainAmount(cut) && pl::ToCurrency(cut) == scaled &&
        (cutDot == std::string_view::npos || cut.size() - cutDot - 1 <= 3)) {
      FoldUnderSave(ctx);
    }
    return;
  } else if (dot != std::string_view::npos && v.size() - dot - 1 > 3) {
    ctx.Warn("more-decimals", line, s.name, key,
             Quoted(v) + " has more than three decimals: IMPORT writes " + read.Show());
  } else {
    return;
  }
  ctx.Reads(read.Show());
}

}  // namespace

bool TabsAfterKey(std::string_view lineKey, size_t keySize) {
  return lineKey.size() > keySize && lineKey.find_first_not_of('\t', keySize) == std::string::npos;
}

namespace {

// Finds a key that IMPORT reads and marks its line as read; warns when the
// line is a longer key's or has a tab before "=", or when the key is missing
// with missingText (null: a missing key is no fault).
FileScan::Found MarkRead(CheckContext& ctx, const FileScan::Section& s, const std::string& key,
                         bool secret, const char* missingText) {
  const FileScan::Found f = ctx.file.FindKey(s, key);
  if (!f.found) {
    if (missingText != nullptr) ctx.Warn("missing-key", s.line, s.name, key, missingText);
    return f;
  }
  ctx.used.push_back(f.line);
  if (f.lineKey.size() == key.size()) return f;
  const std::string value = secret ? std::string() : Quoted(pl::Unquote(f.value));
  if (TabsAfterKey(f.lineKey, key.size())) {
    // The value's own finding, if any, tells what IMPORT makes of it.
    ctx.Warn("tab-before-equals", f.line, s.name, key,
             "a tab between the key and \"=\": IMPORT reads the line as " + key +
                 " all the same, with the value from the tab on" +
                 (secret ? "" : " (" + value + ")"));
  } else {
    // The line's key begins with the key: it is another key when it is longer.
    ctx.Warn("prefix-key", f.line, s.name, key,
             "the line " + FileText(f.lineKey) + " is read as " + key +
                 (secret ? "" : ": IMPORT writes " + value));
  }
  return f;
}

}  // namespace

void ReadKey(CheckContext& ctx, const FileScan::Section& s, const std::string& key,
             const FieldSchema& field, const char* missingText) {
  const FileScan::Found f = MarkRead(ctx, s, key, field.Has(kSecret), missingText);
  if (!f.found) return;
  const std::string_view v = pl::Unquote(f.value);
  if (field.kind == FieldKind::kAmount) {
    CheckAmount(ctx, s, key, f.line, v);
  } else if (field.kind != FieldKind::kText) {
    CheckInteger(ctx, s, key, f.line, v, field.kind, field.unit);
  }
}

namespace {

const char* MissingText(FieldKind kind) {
  return kind == FieldKind::kText ? "missing: IMPORT writes an empty text"
                                  : "missing: IMPORT writes 0";
}

// The one finding for a price level that reads as 0: the levels end there.
void WarnLevelsEnd(CheckContext& ctx, const FileScan::Section& s, const std::string& key, int line,
                   std::string_view v) {
  const std::string end = "writes no price from this level on";
  ctx.Warn("price-levels-end", line, s.name, key,
           v.empty()          ? "empty: IMPORT " + end
           : IsPlainAmount(v) ? "not above 0: IMPORT " + end
                              : Quoted(v) +
                                    " is not an amount as IMPORT reads it (digits and one \".\"): "
                                    "IMPORT reads 0 and " +
                                    end);
}

// A grade's price levels: IMPORT reads them up to the first missing one or
// the first not above 0.
void CheckPrices(CheckContext& ctx, const FileScan::Section& s) {
  int level = 1;
  std::string ends = "IMPORT stops at the first missing price level";
  for (; level <= kPriceLevels; ++level) {
    const std::string key = NumberedName(kPriceLevelKey, level);
    const FileScan::Found f = MarkRead(ctx, s, key, false, nullptr);
    if (!f.found) break;
    const std::string_view v = pl::Unquote(f.value);
    if (pl::ToCurrency(v) > 0) {
      CheckAmount(ctx, s, key, f.line, v);
      continue;
    }
    WarnLevelsEnd(ctx, s, key, f.line, v);
    ends = "IMPORT writes no price from " + key + " on";
    ++level;
    break;
  }
  for (; level <= kPriceLevels; ++level) {
    const std::string key = NumberedName(kPriceLevelKey, level);
    const FileScan::Found f = ctx.file.FindKey(s, key);
    if (f.found) {
      ctx.used.push_back(f.line);
      ctx.Warn("unreachable", f.line, s.name, key, "never reached: " + ends);
    }
  }
}

}  // namespace

int CheckRecordKeys(CheckContext& ctx, const StepRule& rule, const FileScan::Section& s,
                    int32_t n) {
  for (const FieldSchema& field : SchemaOf(rule.table)) {
    if (field.key == nullptr || !field.Has(kImportReads)) continue;
    ReadKey(ctx, s, field.key, field, MissingText(field.kind));
  }
  if (rule.table == Table::kGrade) CheckPrices(ctx, s);
  return rule.table == Table::kPump ? CheckHoses(ctx, s, n) : 0;
}
