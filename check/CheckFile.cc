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

void CheckContext::Add(Finding::Level level, int line, const std::string& section,
                       const std::string& key, std::string message) {
  check->findings.push_back(Finding{level, line, section, key, std::move(message)});
}

void CheckContext::Warn(int line, const std::string& section, const std::string& key,
                        std::string message) {
  Add(Finding::Level::kWarning, line, section, key, std::move(message));
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

std::string Quoted(std::string_view bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    unsigned char u = static_cast<unsigned char>(c);
    out.push_back(u < 32 || u == 127 ? '?' : c);
  }
  out.push_back('"');
  return out;
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
  FileScan file(profile.Content());
  CheckContext ctx(file, profile.Encoding(), check);
  CheckWholeFile(ctx);
  CheckSections(ctx);
  SortAndCount(check);
  return true;
}

bool CheckFile(const std::string& path, FileCheck* check, std::string* error) {
  *check = FileCheck();
  CProfile profile(path.c_str(), false);
  return profile.Open(error) && CheckProfile(profile, nullptr, check, error);
}
