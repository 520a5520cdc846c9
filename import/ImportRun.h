// What the import's table steps share during one run: the configuration
// file, the grades and tanks written so far, and the small conversions that
// every step applies to the values it reads.
#pragma once

#include <cstdint>
#include <string>

#include "profile/Profile.h"

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

struct ImportRun {
  explicit ImportRun(CProfile& file) : profile(file) {}

  CProfile& profile;
  RecordList grades;  // grades written completely, prices included
  RecordList tanks;   // tanks written, each after its grade
};

// Outcome of one section of the steps whose failures end the import.
enum class RecordOutcome { kImported, kMissing, kFailed };

// The 16-bit arguments carry the low 16 bits of the integer read (70000
// gives 4464, 65535 gives -1).
inline int16_t Low16(int32_t value) {
  return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// A section or key name from a printf pattern with one %d: "Pump%02d" of
// record n, "Hose%dTank" of hose h.
std::string NumberedName(const char* pattern, int32_t n);

// Selects the section of record n and reads its Number; a record whose Number
// is below 1 (no section, no key, 0) is absent and yields 0.
int32_t SelectRecord(CProfile& profile, const char* pattern, int32_t n);

// Record importers: ports, grades and tanks return false for an absent record
// and for a refused Set call alike.
bool ImportPort(ImportRun& run, int32_t n);
bool ImportGrade(ImportRun& run, int32_t n);
bool ImportTank(ImportRun& run, int32_t n);

// Record importers whose refused Set calls end the whole import.
RecordOutcome ImportZigBee(ImportRun& run, int32_t n);
RecordOutcome ImportPump(ImportRun& run, int32_t n);
RecordOutcome ImportAttendant(ImportRun& run, int32_t n);
RecordOutcome ImportCardClient(ImportRun& run, int32_t n);
