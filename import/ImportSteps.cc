#include "import/ImportSteps.h"

#include <iterator>

#include "profile/RecordNames.h"

namespace {

// Steps without a floor end at seven misses anywhere.
constexpr int32_t kNoFloor = 0;

}  // namespace

// A tank's grade and a hose's tank are written before the record that refers
// to them. ZigBee sections 1 to 4 are never read: that walk starts at 5.
const StepRule kImportSteps[] = {
    {Table::kPort, "ports", kPortSection, "%3d ports imported successfully.\n", 1, 100, 13, false,
     ImportPort},
    {Table::kGrade, "grades", kGradeSection, "%3d grades imported successfully.\n", 1, 100,
     kNoFloor, false, ImportGrade},
    {Table::kTank, "tanks", kTankSection, "%3d tanks imported successfully.\n", 1, 100, kNoFloor,
     false, ImportTank},
    {Table::kZigBee, "ZigBee devices", kZigBeeSection,
     "%3d ZigBee devices imported successfully.\n", 5, 100, kNoFloor, true, ImportZigBee},
    {Table::kPump, "pumps", kPumpSection, "%3d pumps imported successfully.\n", 1, 100, kNoFloor,
     true, ImportPump},
    {Table::kAttendant, "attendants", kAttendantSection, "%3d attendants imported successfully.\n",
     1, 10000, kNoFloor, true, ImportAttendant},
    {Table::kCardClient, "card clients", kClientSection, "%3d clients imported successfully.\n", 1,
     10000, kNoFloor, true, ImportCardClient},
};
const size_t kImportStepCount = std::size(kImportSteps);

const StepRule* ImportStepOf(Table table) {
  for (const StepRule& rule : kImportSteps) {
    if (rule.table == table) return &rule;
  }
  return nullptr;
}

bool WalkFinished(const StepRule& rule, int32_t n, int32_t misses) {
  if (n >= rule.limit) return true;
  return misses >= kMissesToEnd && n > rule.alwaysTriedUpTo;
}
