// The checked import's verdict when PLAN finds nothing to change: exit 0
// only when the file says what the controller holds, line for line as
// IMPORT reads it, and the controller holds no record the file lacks.
// Otherwise nothing is written either, but the run ends with 2, so that a
// lost edit (a tab before a key, a price with a currency sign, an edited
// second copy of a section) or a deleted record is never called done.
#include <cstring>
#include <string>
#include <vector>

#include "check/guarded/CheckedImport.h"
#include "check/report/ReportParts.h"

namespace {

// The codes of warnings on a line that IMPORT reads otherwise than it is
// written. Not among them: records IMPORT never reaches or does not write
// (their own verdict is "not restored" or the record stays as it is), empty
// or missing values (written as 0, as the file says), notes, and UTF-8
// lookalikes in a file without a mark: when the controller already holds
// them byte for byte, the file most likely came from its own EXPORT.
constexpr const char* kReadOtherwise[] = {
    // A key not read as named.
    "unknown-key", "prefix-key", "tab-before-key", "second-line",
    // A value read otherwise (and "price-levels-end" at a price that is not
    // plain digits, below).
    "tab-before-equals", "decimal-comma", "not-an-amount", "not-a-number", "more-decimals",
    "amount-capped", "wraps-16-bits", "wraps-32-bits", "spreadsheet-save",
    // Lines or sections read otherwise.
    "duplicate-section", "header-lookalike", "misnamed-section", "nul-bytes", "cr-line-ends"};

// Digits with at most one "." between them: a price that reads as it looks.
bool PlainAmount(const std::string& v) {
  const size_t dot = v.find('.');
  bool plain = !v.empty() && dot != 0 && dot + 1 != v.size();
  for (size_t k = 0; k < v.size(); ++k) plain = plain && (k == dot || (v[k] >= '0' && v[k] <= '9'));
  return plain;
}

bool ReadOtherwise(const Finding& f) {
  if (f.level != Finding::Level::kWarning || f.partOf != nullptr) return false;
  // Price levels end at an empty price or one of 0 as the file says, but at a
  // price with a currency sign or a comma where it does not.
  if (std::strcmp(f.code, "price-levels-end") == 0) {
    return f.hasValue && !f.value.empty() && !PlainAmount(f.value);
  }
  for (const char* code : kReadOtherwise) {
    if (std::strcmp(code, f.code) == 0) return true;
  }
  return false;
}

}  // namespace

std::string RecordName(const Record& r) {
  if (r.table != Table::kHose) return r.Name();
  return r.Name() + " (id " + std::to_string(r.id) + ")";
}

std::string NamesList(const std::vector<std::string>& names, size_t shown) {
  std::string out;
  for (size_t i = 0; i < names.size() && i < shown; ++i) out += (i == 0 ? "" : ", ") + names[i];
  if (names.size() > shown) out += " and " + std::to_string(names.size() - shown) + " more";
  return out;
}

Findings LinesNotRead(const FileCheck& check) {
  Findings lines;
  for (const Finding& f : check.findings) {
    if (ReadOtherwise(f)) lines.push_back(f);
  }
  return lines;
}

std::vector<std::string> ControllerOnly(const Comparison& plan) {
  std::vector<std::string> names;
  for (const RecordChange& rc : plan.records) {
    if (rc.kind == RecordChange::Kind::kOnlyBefore && rc.unwrittenBecause.empty()) {
      names.push_back(RecordName(rc.record));
    }
  }
  return names;
}

std::string StayText(const std::vector<std::string>& names) {
  if (names.empty()) return std::string();
  return NamesList(names) + (names.size() == 1 ? " stays" : " stay") +
         " in the controller: IMPORT deletes no record";
}

std::string NothingToChange(GuardedRun& run, int* exitCode) {
  const Findings lines = LinesNotRead(run.check);
  const std::vector<std::string> only = ControllerOnly(run.plan);
  std::string out;
  if (!lines.empty()) {
    out = "Nothing written: the controller already holds what IMPORT reads from this file, but " +
          Plural(static_cast<int>(lines.size()), "line is", "lines are") +
          " not read as written:\n\n" +
          FindingsText(lines, Finding::Level::kWarning, run.check.encoding);
    run.ending = "lines-not-read";
  } else if (!only.empty()) {
    out =
        "Nothing written: the controller holds what the file says, and records the file "
        "lacks.\n";
    run.ending = "controller-only";
  } else {
    out = "Nothing to change: the controller holds what the file says. Nothing written.\n";
    run.ending = "nothing-to-change";
  }
  if (!only.empty()) out += StayText(only) + ".\n";
  // Last, as the line a scheduled run reports: what to do.
  if (!lines.empty()) {
    out +=
        "Correct those lines (TarvoCheck CHECK tells what IMPORT reads) and run again: "
        "nothing was written.\n";
  }
  *exitCode = lines.empty() && only.empty() ? 0 : kImportRefused;
  return out;
}

std::string VerdictText(const GuardedRun& run) {
  const Verification& v = run.verification;
  const std::vector<std::string> only = ControllerOnly(run.plan);
  if (only.empty()) return VerificationText(v);
  if (!v.Clean()) return VerificationText(v) + StayText(only) + ".\n";
  const int n = static_cast<int>(only.size());
  return "verified; " + Plural(n, "record stays", "records stay") +
         " in the controller: IMPORT deletes no record (" + NamesList(only) + ")\n";
}
