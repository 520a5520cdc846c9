// CHECK's rules, by family, over a file already read and an import already
// predicted. Every rule adds findings through the context and reads the file
// only through the scan: none asks a controller.
//
//   CheckWholeFile.cc   the file as a whole (NUL bytes, line ends, encoding)
//   CheckReach.cc       which sections IMPORT reaches, and why not the others
//   CheckValues.cc      the keys IMPORT reads from a section it writes
//   CheckHoses.cc       the hoses of a pump's section, as far as IMPORT reads
//   CheckReferences.cc  the references of such a section to other records
//                       (a pump's hoses among them)
//   CheckOtherKeys.cc   the lines of such a section that IMPORT does not read
//   CheckTexts.cc       the texts of such a section, and a spreadsheet's save
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "check/rules/Check.h"
#include "check/rules/KeyNames.h"
#include "check/rules/ListedTexts.h"
#include "check/text/FileScan.h"
#include "check/text/FindingText.h"
#include "import/ImportSteps.h"
#include "profile/FileEncoding.h"
#include "profile/RecordSchema.h"

struct CheckContext {
  CheckContext(const FileScan& scan, file_encoding::Mark encoding, FileCheck* result);

  // Adds a finding of the code; its field and the line's value are found
  // here (no value from a line that may hold a password).
  void Add(Finding::Level level, const char* code, int line, const std::string& section,
           const std::string& key, std::string message);
  void Warn(const char* code, int line, const std::string& section, const std::string& key,
            std::string message);
  void Note(const char* code, int line, const std::string& section, const std::string& key,
            std::string message);
  // What IMPORT reads or writes of the finding added last, as text.
  void Reads(std::string text);
  // Files the finding added last among those whose texts are kept; called
  // once the rules are done.
  void FileLast();
  // The finding added last.
  Finding& Last() { return found_.back(); }
  // Puts the findings added into check->findings, in line order (file-wide
  // ones first), and counts them.
  void Finish();
  // Keeps section (record n of the table) among the records IMPORT does not
  // write, unless the prediction writes that record from another section.
  void Unwritten(const std::string& section, Table table, int32_t n, const char* reasonCode,
                 std::string reason);

  // True when the prediction writes record id of the table.
  bool Written(Table table, int32_t id) const;
  // A key's value as IMPORT's ReadInt gives it; 0 when the key is absent.
  int32_t IntOf(const FileScan::Section& s, std::string_view key) const;
  // The Number of the named section as IMPORT reads it; 0 when absent.
  int32_t NumberOf(const std::string& name) const;
  // The (pump identifier, hose number) of each Set call of hose id, in the
  // order the import made them.
  const std::vector<std::pair<int32_t, int32_t>>& HoseWrites(int32_t id);

  const FileScan& file;
  const file_encoding::Mark mark;
  FileCheck* const check;
  std::unordered_set<int32_t> written[kTableCount];
  std::set<std::pair<int32_t, int32_t>> writtenHoses;  // (pump identifier, hose number)
  std::vector<int> used;              // the lines of the current section that IMPORT reads
  int32_t walkEnd[kTableCount] = {};  // 0 until WalkEnd has walked the table
  int stopHose = 0;      // the hose of the current pump whose tank stops the import; 0 when none
  std::string savedEnd;  // the separators a spreadsheet's save put after most lines, or empty
  // True when only the records IMPORT does not write are wanted: the keys of
  // the sections it writes are not checked.
  bool unwrittenOnly = false;

 private:
  // HoseWrites by hose identifier, made on the first call: one pass over the
  // prediction's calls instead of one per hose.
  std::unordered_map<int32_t, std::vector<std::pair<int32_t, int32_t>>> hoseWrites_;
  bool hoseWritesMade_ = false;
  // The finding added last is filed when the next one comes (or by
  // FileLast): until then a rule may still fold it or tell what it reads.
  ListedTexts listed_;
  bool unfiled_ = false;
  // The findings as they are added, in the rules' order.
  Findings found_;
};

// Warns of NUL bytes, lines ended by CR alone, UTF-8 in a file without a mark
// and a file from which IMPORT writes nothing.
void CheckWholeFile(CheckContext& ctx);

// Goes through every section: duplicates, names IMPORT never asks for, and
// for each record section either its keys or why IMPORT does not write it.
void CheckSections(CheckContext& ctx);

// The last number the walk of a step tries (the sections IMPORT reaches are
// rule.first up to it).
int32_t WalkEnd(CheckContext& ctx, const StepRule& rule);

// Why IMPORT does not write record n of the table although the file holds
// its section, said for a reference to it; empty when the file holds none.
std::string WhyNotWritten(CheckContext& ctx, Table table, int32_t n);

// The record section a line looks like the header of ("Pump02" for
// "[Pump02 ]" or "{Pump02}") when IMPORT does not read it as that header;
// empty for any other line.
std::string HeaderLookalike(std::string_view line);

// Checks the keys IMPORT reads from section s, which holds record n of the
// rule's table; returns the number of hoses IMPORT reads from it (pumps).
int CheckRecordKeys(CheckContext& ctx, const StepRule& rule, const FileScan::Section& s, int32_t n);

// Checks a key that IMPORT reads for the field: marks its line as read, and
// warns of a line read from a longer key's or with a tab before "=", of a
// missing key (with missingText; null when that is no fault) and of a value
// that does not read as it looks.
void ReadKey(CheckContext& ctx, const FileScan::Section& s, const std::string& key,
             const FieldSchema& field, const char* missingText);

// True when the line's key is the key followed by tabs only: IMPORT skips
// blanks after a key but not tabs, so it reads the value from the tab on.
bool TabsAfterKey(std::string_view lineKey, size_t keySize);

// True for a sign and digits, with their value in exact (counted no further
// than 2^40, which is past every 32-bit number).
bool CleanInteger(std::string_view v, int64_t* exact);

// The hoses of pump section s, record `pump`, up to the first without a
// usable identifier; returns how many IMPORT reads (the one whose tank stops
// the import included).
int CheckHoses(CheckContext& ctx, const FileScan::Section& s, int32_t pump);

// Warns of the references of section s, record n of the table, to records
// the prediction does not write, and to identifiers below 1 that it does.
void CheckReferences(CheckContext& ctx, Table table, const FileScan::Section& s, int32_t n);

// Errors on the hoses of pump section s, record n, of which IMPORT reads
// `hoses`, whose identifier an earlier written pump names too: IMPORT writes
// the hose twice and the later pump takes it from the earlier one.
void CheckHoseOwners(CheckContext& ctx, const FileScan::Section& s, int32_t n, int hoses);

// Warns that key of section s refers to record id of refersTo, below 1,
// which IMPORT writes: a controller that validates identifiers refuses it,
// and `then` (what IMPORT does next) follows.
void WarnIdentifierBelowOne(CheckContext& ctx, const FileScan::Section& s, const std::string& key,
                            Table refersTo, int32_t id, const std::string& then);

// Warns of the lines of section s that IMPORT does not read: unknown keys
// (with the nearest known one), second lines of a key, and hoses past the
// ones read (`hoses`).
void CheckOtherKeys(CheckContext& ctx, Table table, const FileScan::Section& s, int hoses);

// The code of the warning on a spreadsheet's save, which the findings it
// explains are folded under (Finding::partOf).
inline constexpr char kSpreadsheetSave[] = "spreadsheet-save";

// Warns once when most of the file's key lines end in the same separators
// (",," from a spreadsheet's save), and keeps them in ctx.savedEnd so that
// no text is noted for them again.
void CheckSpreadsheetSave(CheckContext& ctx);

// Notes what the texts IMPORT reads from section s hold beyond what their
// lines seem to say: separators at the end, a " ;" comment, an unbalanced
// double quote, blanks IMPORT keeps or drops, more characters than it keeps.
void CheckTexts(CheckContext& ctx, Table table, const FileScan::Section& s);
