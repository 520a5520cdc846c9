// The keys IMPORT reads from a section it writes: missing keys, keys read
// from a longer key's line, and values that do not read as they look.
#include <cstdint>
#include <cstdio>
#include <string>

#include "check/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"
#include "profile/Text.h"

namespace pl = profile_lines;

namespace {

// Warns of an integer that IMPORT reads as another number.
void CheckInteger(CheckContext& ctx, const FileScan::Section& s, const std::string& key, int line,
                  std::string_view v, FieldKind kind) {
  if (v.empty()) return ctx.Warn(line, s.name, key, "empty: IMPORT writes 0");
  size_t i = (v[0] == '-' || v[0] == '+') ? 1 : 0;
  bool clean = i < v.size();
  int64_t exact = 0;
  for (size_t k = i; k < v.size(); ++k) {
    if (v[k] < '0' || v[k] > '9') {
      clean = false;
      break;
    }
    if (exact < (int64_t{1} << 40)) exact = exact * 10 + (v[k] - '0');
  }
  if (v[0] == '-') exact = -exact;
  // What the import passes; a clean number that fits needs no second reading.
  const int32_t read = clean && exact >= INT32_MIN && exact <= INT32_MAX
                           ? static_cast<int32_t>(exact)
                           : Text(std::string(v)).ToInt();
  if (!clean) {
    return ctx.Warn(
        line, s.name, key,
        Quoted(v) + " is not a whole number: IMPORT reads it as " + std::to_string(read));
  }
  if (exact != read) {
    return ctx.Warn(line, s.name, key,
                    Quoted(v) + " wraps past 32 bits: IMPORT writes " + std::to_string(read));
  }
  const int16_t low = static_cast<int16_t>(static_cast<uint16_t>(read));
  if (kind == FieldKind::kInt16 && low != read) {
    ctx.Warn(line, s.name, key,
             Quoted(v) + " does not fit in 16 bits: IMPORT writes " + std::to_string(low));
  }
}

// Warns of an amount that is not digits with one "." or has more than the
// three decimals people enter.
void CheckAmount(CheckContext& ctx, const FileScan::Section& s, const std::string& key, int line,
                 std::string_view v) {
  if (v.empty()) return ctx.Warn(line, s.name, key, "empty: IMPORT writes 0");
  const Value read = Value::Amount(static_cast<double>(pl::ToCurrency(v)) / 10000.0);
  const size_t dot = v.find('.');
  bool clean = dot != 0 && dot + 1 != v.size();
  for (size_t k = 0; k < v.size(); ++k) {
    if (k != dot && (v[k] < '0' || v[k] > '9')) clean = false;
  }
  if (!clean) {
    return ctx.Warn(line, s.name, key,
                    Quoted(v) +
                        " is not an amount as IMPORT reads it (digits and one \".\"): "
                        "IMPORT writes " +
                        read.Show());
  }
  if (dot != std::string_view::npos && v.size() - dot - 1 > 3) {
    ctx.Warn(line, s.name, key,
             Quoted(v) + " has more than three decimals: IMPORT writes " + read.Show());
  }
}

// Checks a key that IMPORT reads and marks its line as read. missingText is
// the finding for a missing key; null: a missing key is no fault.
void ReadKey(CheckContext& ctx, const FileScan::Section& s, const std::string& key, FieldKind kind,
             bool secret, const char* missingText) {
  const FileScan::Found f = ctx.file.FindKey(s, key);
  if (!f.found) {
    if (missingText != nullptr) ctx.Warn(s.line, s.name, key, missingText);
    return;
  }
  ctx.used.push_back(f.line);
  const std::string_view v = pl::Unquote(f.value);
  // The line's key begins with the key: it is another key when it is longer.
  if (f.lineKey.size() != key.size()) {
    ctx.Warn(f.line, s.name, key,
             "the line " + FileText(f.lineKey) + " is read as " + key +
                 (secret ? "" : ": IMPORT writes " + Quoted(v)));
  }
  if (kind == FieldKind::kAmount) {
    CheckAmount(ctx, s, key, f.line, v);
  } else if (kind != FieldKind::kText) {
    CheckInteger(ctx, s, key, f.line, v, kind);
  }
}

const char* MissingText(FieldKind kind) {
  return kind == FieldKind::kText ? "missing: IMPORT writes an empty text"
                                  : "missing: IMPORT writes 0";
}

// A grade's price levels: IMPORT reads them up to the first missing one or
// the first not above 0.
void CheckPrices(CheckContext& ctx, const FileScan::Section& s) {
  int level = 1;
  for (; level <= kPriceLevels; ++level) {
    const std::string key = NumberedName(kPriceLevelKey, level);
    const FileScan::Found f = ctx.file.FindKey(s, key);
    if (!f.found) break;
    ReadKey(ctx, s, key, FieldKind::kAmount, false, nullptr);
    if (pl::ToCurrency(pl::Unquote(f.value)) <= 0) {
      ctx.Warn(f.line, s.name, key, "not above 0: IMPORT writes no price from this level on");
      ++level;
      break;
    }
  }
  for (; level <= kPriceLevels; ++level) {
    const std::string key = NumberedName(kPriceLevelKey, level);
    const FileScan::Found f = ctx.file.FindKey(s, key);
    if (f.found) {
      ctx.used.push_back(f.line);
      ctx.Warn(f.line, s.name, key, "never reached: IMPORT stops at the first missing price level");
    }
  }
}

// The error for hose h of a pump whose tank IMPORT cannot write: the import
// stops there.
void ReportTankStop(CheckContext& ctx, const FileScan::Section& s, int h, int32_t tank) {
  std::string why;
  const FileScan::Section* t = ctx.file.Find(NumberedName(kTankSection, tank));
  if (t == nullptr || tank < 1) {
    why = "which the file does not hold";
  } else if (ctx.IntOf(*t, "Number") < 1) {
    why = "whose Number is below 1";
  } else {
    why = "whose grade " + std::to_string(ctx.IntOf(*t, "Grade")) + " the file does not hold";
  }
  const std::string key = HoseKey("Hose%dTank", h);
  ctx.Add(Finding::Level::kError, ctx.file.FindKey(s, key).line, s.name, key,
          "Hose" + std::to_string(h) + " refers to tank " + std::to_string(tank) + ", " + why +
              ": IMPORT stops here, and writes nothing after it");
}

// A pump's hoses, up to the first without a usable identifier; returns how
// many IMPORT reads.
int CheckHoses(CheckContext& ctx, const FileScan::Section& s, int32_t pump) {
  const TableSpec& hose = Spec(Table::kHose);
  const char* idKey = hose.fields[0].key;  // the identifier comes first
  int h = 1;
  for (; h <= kHosesPerPump; ++h) {
    if (ctx.IntOf(s, HoseKey(idKey, h)) < 1) break;
    for (const FieldSpec& field : hose) {
      if (field.key == nullptr) continue;
      ReadKey(ctx, s, HoseKey(field.key, h), field.kind, false,
              field.Has(kMayBeAbsent) ? nullptr : "missing: IMPORT writes 0");
    }
    const int32_t tank = ctx.IntOf(s, HoseKey("Hose%dTank", h));
    if (!ctx.Written(Table::kTank, tank) && ctx.writtenHoses.count({pump, h}) == 0) {
      ReportTankStop(ctx, s, h, tank);
      return h;
    }
  }
  return h - 1;
}

}  // namespace

int CheckRecordKeys(CheckContext& ctx, const StepRule& rule, const FileScan::Section& s,
                    int32_t n) {
  for (const FieldSpec& field : Spec(rule.table)) {
    if (field.key == nullptr || !field.Has(kImportReads)) continue;
    ReadKey(ctx, s, field.key, field.kind, field.Has(kSecret), MissingText(field.kind));
  }
  if (rule.table == Table::kGrade) CheckPrices(ctx, s);
  return rule.table == Table::kPump ? CheckHoses(ctx, s, n) : 0;
}

void CheckReferences(CheckContext& ctx, Table table, const FileScan::Section& s) {
  for (const FieldSpec& field : Spec(table)) {
    // A tank's grade and a hose's tank are written first or stop the import.
    if (!field.Has(kReference) || field.Has(kWrittenFirst)) continue;
    const FileScan::Found f = ctx.file.FindKey(s, field.key);
    if (!f.found) continue;
    const int32_t id = Text(std::string(pl::Unquote(f.value))).ToInt();
    if (id >= 1 && !ctx.Written(field.refersTo, id)) {
      ctx.Warn(f.line, s.name, field.key,
               "refers to " + NumberedName(Spec(field.refersTo).section, id) +
                   ", which the file does not hold: IMPORT passes it on untested");
    }
  }
}
