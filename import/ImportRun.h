// What the import's table steps share during one run: the configuration
// file, the library the records are written through and where the import's
// lines go, the grades and tanks written so far, and the small conversions
// that every step applies to the values it reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "client/CheckResult.h"
#include "client/ClientLibrary.h"
#include "profile/Profile.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

// Record identifiers written in this run, in the order written. Holds at most
// kCapacity entries; an identifier added to a full list is not remembered, so
// its record is simply written again when it is referred to again.
class RecordList {
 public:
  static constexpr int32_t kCapacity = 128;

  bool Contains(int32_t id) const;
  void Add(int32_t id);

 private:
  int32_t ids_[kCapacity] = {};
  int32_t count_ = 0;
};

// The identifiers the controller lists for a table (for hoses, one pump's),
// read when a record's measures cannot be read: at most once per step (and
// pump).
struct ListedIds {
  int32_t step = -1;  // the step it was read in; -1 before the first read
  int32_t pump = 0;   // the pump whose hoses it lists
  bool read = false;  // false: the list could not be read
  std::vector<int32_t> ids;
};

struct ImportRun {
  ImportRun(CProfile& file, ClientLibrary& lib, std::FILE* lines)
      : profile(file), library(lib), out(lines) {}

  // CheckResult for this run's library and output.
  bool Check(const char* step, int32_t code) { return CheckResult(library, out, step, code); }

  CProfile& profile;
  ClientLibrary& library;
  std::FILE* out;
  RecordList grades;       // grades written completely, prices included
  RecordList tanks;        // tanks written, each after its grade
  int32_t stepNumber = 0;  // the step running, counted from 1
  ListedIds listedTanks;
  ListedIds listedHoses;
};

// Outcome of one section: written, absent (no section, or a Number below 1;
// for a tank also a tank whose grade is absent), a Set call refused (its
// line printed), or a Set call refused by a controller server that no longer
// answers (its line printed; the import ends).
enum class RecordOutcome { kImported, kMissing, kFailed, kLost };

// The count call of a record's table, asked after a refused Set call.
using CountCall = int32_t (ClientLibrary::*)(int32_t* count);

// What a refused Set call of a port, grade or tank means: kFailed when the
// controller still answers the count call of the record's table (it refused
// the record alone), kLost when it does not. Prints nothing: the refused
// call's line is printed already, and the step prints the lost server's.
RecordOutcome RefusedOrLost(ImportRun& run, CountCall countCall);

// What a failed Get call of record id's further measures means, from the
// controller's list of the table's identifiers (for a hose, those of pump's
// hoses): a record it lists is not written, its measures unknown (kFailed,
// with a line naming the record, the call and the library's reason, as a
// refused write); one it does not list is absent and its measures are 0
// (kMissing); a list that cannot be read either is a server that no longer
// answers (kLost). `record` names the record in the line.
RecordOutcome UnreadMeasures(ImportRun& run, Table table, int32_t id, int32_t pump,
                             const std::string& record, const char* call, int32_t code);

// The 16-bit arguments carry the low 16 bits of the integer read (70000
// gives 4464, 65535 gives -1).
inline int16_t Low16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value)); }

// Selects the section of record n and reads its Number; a record whose Number
// is below 1 (no section, no key, 0) is absent and yields 0.
int32_t SelectRecord(CProfile& profile, const char* pattern, int32_t n);

// Record importers, one per table. A grade and a tank already written in this
// run are not written again (kImported).
RecordOutcome ImportPort(ImportRun& run, int32_t n);
RecordOutcome ImportGrade(ImportRun& run, int32_t n);
RecordOutcome ImportTank(ImportRun& run, int32_t n);
RecordOutcome ImportZigBee(ImportRun& run, int32_t n);
RecordOutcome ImportPump(ImportRun& run, int32_t n);
RecordOutcome ImportAttendant(ImportRun& run, int32_t n);
RecordOutcome ImportCardClient(ImportRun& run, int32_t n);
