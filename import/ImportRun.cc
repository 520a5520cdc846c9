#include "import/ImportRun.h"

#include <cstdio>
#include <string>
#include <vector>

#include "client/ConsoleLine.h"
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

namespace {

// Reads the identifiers of the controller's tanks, or of pump's hoses, into
// ids; false when a call fails.
bool ReadIds(ClientLibrary& library, Table table, int32_t pump, std::vector<int32_t>* ids) {
  int32_t count = 0;
  const int32_t counted = table == Table::kHose ? library.GetPumpHosesCount(pump, &count)
                                                : library.GetTanksCount(&count);
  if (counted != 0) return false;
  for (int32_t i = 1; i <= count; ++i) {
    int32_t id = 0;
    const int32_t found = table == Table::kHose ? library.GetPumpHoseByNumber(pump, i, &id)
                                                : library.GetTankByOrdinal(i, &id);
    if (found != 0) return false;
    ids->push_back(id);
  }
  return true;
}

}  // namespace

RecordOutcome UnreadMeasures(ImportRun& run, Table table, int32_t id, int32_t pump,
                             const std::string& record, const char* call, int32_t code) {
  ListedIds& listed = table == Table::kHose ? run.listedHoses : run.listedTanks;
  if (listed.step != run.stepNumber || (table == Table::kHose && listed.pump != pump)) {
    listed = ListedIds();
    listed.step = run.stepNumber;
    listed.pump = pump;
    listed.read = ReadIds(run.library, table, pump, &listed.ids);
  }
  if (!listed.read) return RecordOutcome::kLost;
  bool held = false;
  for (int32_t listedId : listed.ids) held = held || listedId == id;
  if (!held) return RecordOutcome::kMissing;
  PrintLine(run.out, ConsoleLine()
                         .Utf8(record + ": " + call + " failed - ")
                         .Bytes(ConsoleText(ResultText(run.library, code)))
                         .Utf8("; the controller holds it: not written.\n"));
  return RecordOutcome::kFailed;
}
