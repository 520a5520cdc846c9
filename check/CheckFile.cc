// CHECK of a file read once: the import predicted over it, and the rules of
// CheckRules.h over the same bytes.
#include <algorithm>
#include <cstdio>

#include "check/CheckRules.h"
#include "profile/Profile.h"
#include "profile/ProfileLines.h"
#include "profile/Text.h"

namespace pl = profile_lines;

CheckContext::CheckContext(const FileScan& scan, file_encoding::Mark encoding, FileCheck* result)
    : file(scan), mark(encoding), check(result) {
  for (const Record& r : check->prediction.records) {
    if (r.table == Table::kHose) {
      writtenHoses.insert({r.pumpId, r.hose});
    } else {
      written[static_cast<size_t>(r.table)].insert(r.id);
    }
  }
}

// The length of the beginning of a key name that resembles a secret key of
// any table (within two edits, letter case ignored), or 0. Such a line may
// hold a password: in its value, or in the name itself when nothing parts
// them ("PasswordX=..." gives the value "X=...").
size_t SecretPrefix(std::string_view name) {
  size_t best = 0, bestDistance = 3;
  for (size_t t = 0; t < kTableCount; ++t) {
    for (const FieldSchema& field : SchemaOf(static_cast<Table>(t))) {
      if (!field.Has(kSecret) || field.key == nullptr) continue;
      const std::string key = pl::Lower(field.key);
      const size_t shortest = key.size() > 2 ? key.size() - 2 : 1;
      for (size_t n = shortest; n <= key.size() + 2 && n <= name.size(); ++n) {
        const size_t d = EditDistance(pl::Lower(name.substr(0, n)), key);
        if (d < bestDistance) {
          bestDistance = d;
          best = n;
        }
      }
    }
  }
  return best;
}

// A name as shown on a line that may hold a password: up to where it stops
// resembling the secret key.
std::string Masked(std::string_view name) {
  const size_t shown = SecretPrefix(name);
  if (shown == 0 || shown == name.size()) return std::string(name);
  return std::string(name.substr(0, shown)) + "...";
}

namespace {

std::string Hidden(std::string_view bytes, bool quoted) {
  return quoted ? std::string("(not shown)") : Masked(bytes);
}

}  // namespace

void CheckContext::Add(Finding::Level level, int line, const std::string& section,
                       const std::string& key, std::string message) {
  // Whatever the finding, no part of a line that may hold a password is
  // kept: not its value, not the name beyond the secret key.
  if (SecretPrefix(file.NameOnLine(line)) != 0) {
    check->findings.push_back(
        Finding{level, line, section, Masked(key), MessageReplacing(message, Hidden)});
    return;
  }
  check->findings.push_back(Finding{level, line, section, key, std::move(message)});
}

void CheckContext::Warn(int line, const std::string& section, const std::string& key,
                        std::string message) {
  Add(Finding::Level::kWarning, line, section, key, std::move(message));
}

void CheckContext::Note(int line, const std::string& section, const std::string& key,
                        std::string message) {
  Add(Finding::Level::kNote, line, section, key, std::move(message));
}

void CheckContext::Unwritten(const std::string& section, Table table, int32_t n,
                             std::string reason) {
  if (Written(table, n)) return;
  check->unwritten.push_back(UnwrittenRecord{section, table, n, std::move(reason)});
}

bool CheckContext::Written(Table table, int32_t id) const {
  return written[static_cast<size_t>(table)].count(id) != 0;
}

int32_t CheckContext::IntOf(const FileScan::Section& s, std::string_view key) const {
  FileScan::Found f = file.FindKey(s, key);
  return f.found ? Text(std::string(pl::Unquote(f.value))).ToInt() : 0;
}

int32_t CheckContext::NumberOf(const std::string& name) const {
  const FileScan::Section* s = file.Find(name);
  return s == nullptr ? 0 : IntOf(*s, "Number");
}

std::string HoseKey(const char* pattern, int h) {
  char name[48];
  std::snprintf(name, sizeof name, pattern, h);
  return name;
}

namespace {

// Findings in line order, file-wide ones first; then the counts.
void SortAndCount(FileCheck* check) {
  std::stable_sort(check->findings.begin(), check->findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  for (const Finding& f : check->findings) {
    if (f.level == Finding::Level::kError) {
      ++check->errors;
    } else if (f.level == Finding::Level::kNote) {
      ++check->notes;
    } else {
      ++check->warnings;
    }
  }
}

}  // namespace

bool CheckProfile(CProfile& profile, ClientLibrary* controller, FileCheck* check,
                  std::string* error) {
  *check = FileCheck();
  // The prediction runs the import over this profile, and the rules look at
  // the same content, lines as the profile reads them (a byte-order mark is
  // not part of the first line; UTF-16 is read as UTF-8).
  if (!PredictImport(profile, &check->prediction, error, controller)) return false;
  check->content = profile.Content();
  check->encoding = profile.Encoding();
  FileScan file(check->content);
  CheckContext ctx(file, profile.Encoding(), check);
  CheckWholeFile(ctx);
  CheckSpreadsheetSave(ctx);
  CheckSections(ctx);
  SortAndCount(check);
  return true;
}

bool CheckFile(const std::string& path, FileCheck* check, std::string* error) {
  *check = FileCheck();
  CProfile profile(path.c_str(), false);
  return profile.Open(error) && CheckProfile(profile, nullptr, check, error);
}
