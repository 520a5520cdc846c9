// Grades: one "Grade%02d" section per grade with its names, code and the
// price levels that are set. Skipped under VERSION, though the count is still
// asked for and checked.
#include <cstdio>
#include <string>

#include "export/ExportSteps.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace {

// Out-values of one grade, at their reset values.
struct GradeRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  LibString shortName;
  LibString code;
};

}  // namespace

bool ExportGrade(ExportContext& ctx, int32_t ordinal) {
  GradeRecord grade;
  if (!ctx.Check("GetGradeByOrdinal failed.", ctx.library.GetGradeByOrdinal(ordinal, &grade.id))) {
    return false;
  }
  if (!ctx.Check("GetGradeProperties failed.",
                 ctx.library.GetGradeProperties(grade.id, &grade.number, grade.name.Out(),
                                                grade.shortName.Out(), grade.code.Out()))) {
    return false;
  }
  const std::string section = NumberedName(kGradeSection, grade.id);
  ctx.profile.SetSection(section.c_str());
  WriteInt(ctx, file_key::kNumber, grade.number);
  WriteLibraryText(ctx, file_key::kName, grade.name);
  WriteLibraryText(ctx, file_key::kShortName, grade.shortName);
  WriteLibraryText(ctx, file_key::kCode, grade.code);

  // All eight levels are asked for; a price of exactly 0.0 writes no key
  // (and leaves a key from an earlier file as it was). Negative prices are
  // written.
  for (int16_t level = 1; level <= kPriceLevels; ++level) {
    double price = 0.0;
    if (!ctx.Check("GetGradePrice failed.", ctx.library.GetGradePrice(grade.id, level, &price))) {
      return false;
    }
    if (price != 0.0) {
      char key[16];
      std::snprintf(key, sizeof key, kPriceLevelKey, level);
      WriteDouble(ctx, key, price);
    }
  }
  return true;
}
