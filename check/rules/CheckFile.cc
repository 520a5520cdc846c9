// CHECK of a file read once: the import predicted over it, and the rules of
// CheckRules.h over the same bytes.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "check/rules/CheckRules.h"
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

namespace {

std::string Hidden(std::string_view bytes, bool quoted) {
  return quoted ? std::string("(not shown)") : Masked(bytes);
}

}  // namespace

void CheckContext::Add(Finding::Level level, const char* code, int line, const std::string& section,
                       const std::string& key, std::string message) {
  FileLast();
  Finding f;
  f.level = level;
  f.code = code;
  f.line = line;
  f.section = section;
  f.field = FieldOfKey(section, key);
  // Whatever the finding, no part of a line that may hold a password is
  // kept: not its value, not the name beyond the secret key.
  if (SecretPrefix(file.NameOnLine(line)) != 0) {
    f.key = Masked(key);
    f.message = MessageReplacing(message, Hidden);
  } else {
    f.key = key;
    f.message = std::move(message);
    std::string_view value;
    f.hasValue = !key.empty() && file.ValueOnLine(line, &value);
    f.value = std::string(value);
  }
  found_.push_back(std::move(f));
  unfiled_ = true;
}

void CheckContext::FileLast() {
  if (unfiled_) listed_.File(&found_, found_.size() - 1);
  unfiled_ = false;
}

void CheckContext::Warn(const char* code, int line, const std::string& section,
                        const std::string& key, std::string message) {
  Add(Finding::Level::kWarning, code, line, section, key, std::move(message));
}

void CheckContext::Note(const char* code, int line, const std::string& section,
                        const std::string& key, std::string message) {
  Add(Finding::Level::kNote, code, line, section, key, std::move(message));
}

void CheckContext::Reads(std::string text) {
  Finding& f = found_.back();
  if (SecretPrefix(file.NameOnLine(f.line)) == 0) f.reads = std::move(text);
}

void CheckContext::Unwritten(const std::string& section, Table table, int32_t n,
                             const char* reasonCode, std::string reason) {
  if (Written(table, n)) return;
  check->unwritten.push_back(UnwrittenRecord{section, table, n, std::move(reason), reasonCode});
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

const std::vector<std::pair<int32_t, int32_t>>& CheckContext::HoseWrites(int32_t id) {
  if (!hoseWritesMade_) {
    hoseWritesMade_ = true;
    const std::string setCall = SchemaOf(Table::kHose).setCall;
    for (const SetCall& c : check->prediction.calls) {
      if (c.call != setCall) continue;
      hoseWrites_[static_cast<int32_t>(c.args[0].number)].emplace_back(
          static_cast<int32_t>(c.args[2].number), static_cast<int32_t>(c.args[1].number));
    }
  }
  static const std::vector<std::pair<int32_t, int32_t>> kNone;
  auto it = hoseWrites_.find(id);
  return it == hoseWrites_.end() ? kNone : it->second;
}

void CheckContext::Finish() {
  FileLast();
  // Sorted stably by line through their positions and put in that order in
  // place: the findings never stand twice in memory (sorting them would hold
  // a second copy).
  std::vector<uint32_t> order(found_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<uint32_t>(i);
  std::stable_sort(order.begin(), order.end(),
                   [this](uint32_t a, uint32_t b) { return found_[a].line < found_[b].line; });
  // Place k takes the finding at order[k]: each cycle of the order is
  // walked once, and a place done points at itself.
  for (uint32_t k = 0; k < order.size(); ++k) {
    if (order[k] == k) continue;
    Finding first = std::move(found_[k]);
    uint32_t j = k;
    while (order[j] != k) {
      const uint32_t from = order[j];
      found_[j] = std::move(found_[from]);
      order[j] = j;
      j = from;
    }
    found_[j] = std::move(first);
    order[j] = j;
  }
  std::vector<uint32_t>().swap(order);
  check->findings.swap(found_);
}

namespace {

// The counts of the findings by level, and of those folded.
void Count(FileCheck* check) {
  for (const Finding& f : check->findings) {
    if (f.partOf != nullptr) {
      ++check->folded;
    } else if (f.level == Finding::Level::kError) {
      ++check->errors;
    } else if (f.level == Finding::Level::kNote) {
      ++check->notes;
    } else {
      ++check->warnings;
    }
  }
}

// The import predicted over the profile, and the content as the profile
// reads it (a byte-order mark is not part of the first line; UTF-16 is read
// as UTF-8): what the rules then look at.
bool Predict(CProfile& profile, ClientLibrary* controller, FileCheck* check, std::string* error) {
  *check = FileCheck();
  if (!PredictImport(profile, &check->prediction, error, controller)) return false;
  check->content = profile.Content();
  check->encoding = profile.Encoding();
  check->utf8 = profile.Encoding() != file_encoding::Mark::kNone;
  return true;
}

// The rules over the content Predict kept.
void CheckContent(FileCheck* check) {
  FileScan file(&check->content);
  CheckContext ctx(file, check->encoding, check);
  CheckWholeFile(ctx);
  CheckSpreadsheetSave(ctx);
  CheckSections(ctx);
  ctx.Finish();
  Count(check);
}

}  // namespace

bool CheckProfile(CProfile& profile, ClientLibrary* controller, FileCheck* check,
                  std::string* error) {
  if (!Predict(profile, controller, check, error)) return false;
  CheckContent(check);
  return true;
}

bool CheckFile(const std::string& path, FileCheck* check, std::string* error) {
  *check = FileCheck();
  {
    // The profile's copy of the file is let go before the rules build their
    // own view of it: the two are never held beside the rules' lists.
    CProfile profile(path.c_str(), false);
    if (!profile.Open(error) || !Predict(profile, nullptr, check, error)) return false;
  }
  CheckContent(check);
  return true;
}

bool FindUnwritten(const std::string& path, std::vector<UnwrittenRecord>* unwritten,
                   std::string* error) {
  FileCheck check;
  CProfile profile(path.c_str(), false);
  if (!profile.Open(error) || !PredictImport(profile, &check.prediction, error)) return false;
  check.content = profile.Content();
  FileScan file(&check.content);
  CheckContext ctx(file, profile.Encoding(), &check);
  ctx.unwrittenOnly = true;
  CheckSections(ctx);
  *unwritten = std::move(check.unwritten);
  return true;
}
