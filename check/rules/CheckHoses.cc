// A pump's hoses as IMPORT reads them: up to the first without a usable
// identifier, and of a hose whose tank stops the import only the identifier
// and the tank.
#include <cstdint>
#include <string>

#include "check/rules/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"

namespace pl = profile_lines;

namespace {

// The error for hose h of a pump whose tank IMPORT cannot write: the import
// stops there.
void ReportTankStop(CheckContext& ctx, const FileScan::Section& s, int h, int32_t tank) {
  std::string why;
  // As IMPORT's own line: a tank section numbered below 1 is read all the same.
  const FileScan::Section* t = ctx.file.Find(NumberedName(kTankSection, tank));
  if (t == nullptr) {
    why = "which the file does not hold";
  } else if (ctx.IntOf(*t, "Number") < 1) {
    why = "whose Number is below 1";
  } else {
    why = "whose grade " + std::to_string(ctx.IntOf(*t, "Grade")) + " the file does not hold";
  }
  const std::string key = NumberedName(file_key::kHoseTank, h);
  const FileScan::Found f = ctx.file.FindKey(s, key);
  const std::string what = f.found ? "Hose" + std::to_string(h) + " refers to tank "
                                   : key + " missing: IMPORT reads tank ";
  ctx.Add(Finding::Level::kError, "import-stops", f.found ? f.line : s.line, s.name, key,
          what + std::to_string(tank) + ", " + why +
              ": IMPORT stops here, and writes nothing after it");
}

// The hose identifier that ends a pump's hoses (it reads below 1), when its
// line does not look like it: a tab before "=", a longer key, or no plain
// number. IMPORT reads that line, so it is told as read, with the number
// IMPORT makes of it; a plain 0 or negative number needs no word (the later
// hose keys tell).
void WarnHosesEnd(CheckContext& ctx, const FileScan::Section& s, const std::string& key, int h) {
  const FileScan::Found f = ctx.file.FindKey(s, key);
  const std::string_view v = pl::Unquote(f.value);
  int64_t exact = 0;
  const bool longer = f.found && f.lineKey.size() != key.size();
  if (!f.found || (!longer && CleanInteger(v, &exact))) return;
  ctx.used.push_back(f.line);
  const bool tab = TabsAfterKey(f.lineKey, key.size());
  const std::string how = tab ? "a tab between the key and \"=\": IMPORT reads the line as " + key +
                                    " all the same, with the value from the tab on; "
                          : longer ? "the line " + FileText(f.lineKey) + " is read as " + key + "; "
                                   : std::string();
  const int32_t read = ctx.IntOf(s, key);
  ctx.Warn(tab      ? "tab-before-equals"
           : longer ? "prefix-key"
                    : "not-a-number",
           f.line, s.name, key,
           how + Quoted(v) + " reads as " + std::to_string(read) +
               ", so IMPORT reads no hose of this pump from Hose" + std::to_string(h) + " on");
  ctx.Reads(std::to_string(read));
}

}  // namespace

// Of a hose whose tank stops the import IMPORT reads only the identifier and
// the tank (ctx.stopHose): its other keys are not checked.
int CheckHoses(CheckContext& ctx, const FileScan::Section& s, int32_t pump) {
  const TableSchema& hose = SchemaOf(Table::kHose);
  const char* idKey = hose.fields[0].key;  // the identifier comes first
  ctx.stopHose = 0;
  int h = 1;
  for (; h <= kHosesPerPump; ++h) {
    if (ctx.IntOf(s, NumberedName(idKey, h)) < 1) {
      WarnHosesEnd(ctx, s, NumberedName(idKey, h), h);
      break;
    }
    const std::string tankKey = NumberedName(file_key::kHoseTank, h);
    const int32_t tank = ctx.IntOf(s, tankKey);
    const bool stops = !ctx.Written(Table::kTank, tank) && ctx.writtenHoses.count({pump, h}) == 0;
    for (const FieldSchema& field : hose) {
      if (field.key == nullptr) continue;
      const std::string key = NumberedName(field.key, h);
      if (stops && field.key != idKey && key != tankKey) continue;
      // The stop's error tells of a missing tank key itself.
      const bool quiet = field.Has(kMayBeAbsent) || (stops && key == tankKey);
      ReadKey(ctx, s, key, field, quiet ? nullptr : "missing: IMPORT writes 0");
    }
    if (stops) {
      ctx.stopHose = h;
      ReportTankStop(ctx, s, h, tank);
      return h;
    }
    if (tank < 1) {
      WarnIdentifierBelowOne(ctx, s, tankKey, Table::kTank, tank,
                             "IMPORT then stops here, and writes nothing after it");
    }
  }
  return h - 1;
}
