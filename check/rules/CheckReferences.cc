// References from a written record to others: to records IMPORT does not
// write (passed on untested), to identifiers below 1 that IMPORT writes all
// the same (a controller that validates identifiers refuses them), and to a
// hose that an earlier pump's section names too.
#include <string>

#include "check/rules/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"

namespace pl = profile_lines;

namespace {

// What follows when the controller refuses the grade of tank n: IMPORT skips
// the tank, and the first hose that uses it stops the import.
std::string TankSkipped(const CheckContext& ctx, int32_t n) {
  for (const Record& r : ctx.check->prediction.records) {
    const Field* tank = r.table == Table::kHose ? r.Find("Tank") : nullptr;
    if (tank != nullptr && tank->value.number == n) {
      return "IMPORT then skips the tank, and stops at " + r.Name() + ", which uses it";
    }
  }
  return "IMPORT then skips the tank";
}

// Warns of a reference to record id, which IMPORT does not write.
void WarnNotWritten(CheckContext& ctx, const FileScan::Section& s, const FieldSchema& field,
                    int32_t id) {
  const std::string name = NumberedName(SchemaOf(field.refersTo).section, id);
  const std::string why = WhyNotWritten(ctx, field.refersTo, id);
  ctx.Warn(
      "reference-not-written", ctx.file.FindKey(s, field.key).line, s.name, field.key,
      "refers to " + name +
          (why.empty() ? ", which the file does not hold" : ", which is in the file, but " + why) +
          ": IMPORT passes it on untested");
}

}  // namespace

void WarnIdentifierBelowOne(CheckContext& ctx, const FileScan::Section& s, const std::string& key,
                            Table refersTo, int32_t id, const std::string& then) {
  const FileScan::Found f = ctx.file.FindKey(s, key);
  const std::string word = pl::Lower(SchemaOf(refersTo).word);
  ctx.Warn("identifier-below-one", f.found ? f.line : s.line, s.name, key,
           "refers to " + word + " " + std::to_string(id) +
               ", an identifier below 1 (IMPORT writes it from " +
               NumberedName(SchemaOf(refersTo).section, id) +
               "): a controller that validates identifiers refuses that " + word + "; " + then);
}

void CheckReferences(CheckContext& ctx, Table table, const FileScan::Section& s, int32_t n) {
  for (const FieldSchema& field : SchemaOf(table)) {
    if (!field.Has(kReference)) continue;
    const int32_t id = ctx.IntOf(s, field.key);
    // Only a reference written first (a tank's grade) has IMPORT write a
    // record below 1: the walks start at 1. Other references are passed on.
    if (field.Has(kWrittenFirst)) {
      if (id < 1 && ctx.Written(field.refersTo, id)) {
        WarnIdentifierBelowOne(ctx, s, field.key, field.refersTo, id, TankSkipped(ctx, n));
      }
      continue;
    }
    if (ctx.file.FindKey(s, field.key).found && id >= 1 && !ctx.Written(field.refersTo, id)) {
      WarnNotWritten(ctx, s, field, id);
    }
  }
}

void CheckHoseOwners(CheckContext& ctx, const FileScan::Section& s, int32_t n, int hoses) {
  for (int h = 1; h <= hoses; ++h) {
    const std::string key = NumberedName(file_key::kHoseId, h);
    const int32_t id = ctx.IntOf(s, key);
    // The other pump whose write of the hose comes last before this pump's;
    // none when this hose is not written (the import stops before it).
    int32_t before = 0, beforeHose = 0;
    bool written = false;
    for (const auto& [pump, number] : ctx.HoseWrites(id)) {
      written = pump == n && number == h;
      if (written) break;
      if (pump != n) {
        before = pump;
        beforeHose = number;
      }
    }
    if (!written || before == 0) continue;
    const std::string earlier = SectionName(Table::kPump, before);
    ctx.Add(Finding::Level::kError, "hose-moves", ctx.file.FindKey(s, key).line, s.name, key,
            "hose " + std::to_string(id) + " is " + earlier + "'s Hose" +
                std::to_string(beforeHose) +
                " too: IMPORT writes it twice and this pump, written later, takes it; " + earlier +
                " loses it");
  }
}
