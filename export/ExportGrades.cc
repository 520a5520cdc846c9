// Grades: one "Grade%02d" section per grade with its names, code and the
// price levels that are set. Skipped under VERSION, though the count is still
// asked for and checked.
#include <cstdio>

#include "client/CheckResult.h"
#include "client/Progress.h"
#include "client/TarvoClient.h"
#include "export/ExportConfiguration.h"
#include "export/ExportSteps.h"

namespace {

constexpr int16_t kPriceLevels = 8;

// Out-values of one grade, at their reset values.
struct GradeRecord {
  int32_t id = -1;
  int32_t number = 0;
  LibString name;
  LibString shortName;
  LibString code;
};

bool ExportGrade(ExportContext& ctx, int32_t ordinal) {
  GradeRecord grade;
  if (!CheckResult("GetGradeByOrdinal failed.", GetGradeByOrdinal(ordinal, &grade.id))) {
    return false;
  }
  if (!CheckResult("GetGradeProperties failed.",
                   GetGradeProperties(grade.id, &grade.number, grade.name.Out(),
                                      grade.shortName.Out(), grade.code.Out()))) {
    return false;
  }
  char section[32];
  std::snprintf(section, sizeof section, "Grade%02d", grade.id);
  ctx.profile.SetSection(section);
  WriteInt(ctx, "Number", grade.number);
  WriteLibraryText(ctx, "Name", grade.name);
  WriteLibraryText(ctx, "ShortName", grade.shortName);
  WriteLibraryText(ctx, "Code", grade.code);

  // All eight levels are asked for; a price of exactly 0.0 writes no key
  // (and leaves a key from an earlier file as it was). Negative prices are
  // written.
  for (int16_t level = 1; level <= kPriceLevels; ++level) {
    double price = 0.0;
    if (!CheckResult("GetGradePrice failed.", GetGradePrice(grade.id, level, &price))) {
      return false;
    }
    if (price != 0.0) {
      char key[16];
      std::snprintf(key, sizeof key, "Price%02d", level);
      WriteDouble(ctx, key, price);
    }
  }
  return true;
}

}  // namespace

bool ExportGrades(ExportContext& ctx) {
  int32_t count = 0;
  if (!CheckResult("GetGradesCount failed", GetGradesCount(&count))) return false;
  Progress progress("grades");
  for (int32_t i = 1; i <= count && !gVersionOnly; ++i) {
    progress.Show(i, count);
    if (!ExportGrade(ctx, i)) return false;
  }
  progress.Clear();
  if (!gVersionOnly && count > 0) std::printf("%3d grades exported successfully.\n", count);
  return true;
}
