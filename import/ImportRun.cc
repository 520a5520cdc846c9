#include "import/ImportRun.h"

#include "profile/RecordSchema.h"

bool RecordList::Contains(int32_t id) const {
  for (int32_t i = 0; i < count_; ++i) {
    if (ids_[i] == id) return true;
  }
  return false;
}

void RecordList::Add(int32_t id) {
  if (count_ < kCapacity) ids_[count_++] = id;
}

int32_t SelectRecord(CProfile& profile, const char* pattern, int32_t n) {
  profile.SetSection(NumberedName(pattern, n).c_str());
  int32_t number = profile.ReadInt(file_key::kNumber);
  return number < 1 ? 0 : number;
}

RecordOutcome RefusedOrLost(ImportRun& run, CountCall countCall) {
  int32_t count = 0;
  const int32_t answer = (run.library.*countCall)(&count);
  return answer == 0 ? RecordOutcome::kFailed : RecordOutcome::kLost;
}
