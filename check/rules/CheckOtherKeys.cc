// The lines of a written record's section that IMPORT does not read: second
// lines of a key it reads elsewhere, hose keys past the hoses it reads, keys
// EXPORT writes only for people, and unknown keys (most often typing errors).
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "check/rules/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"

namespace pl = profile_lines;

namespace {

// The keys of a table that IMPORT reads, as the file spells them.
std::vector<std::string> KnownKeys(Table table) {
  std::vector<std::string> known;
  for (const FieldSchema& field : SchemaOf(table)) {
    if (field.key != nullptr && field.Has(kImportReads)) known.push_back(field.key);
  }
  if (table == Table::kGrade) {
    for (int level = 1; level <= kPriceLevels; ++level) {
      known.push_back(NumberedName(kPriceLevelKey, level));
    }
  }
  return known;
}

bool IsForPeople(Table table, const std::string& lower) {
  for (const FieldSchema& field : SchemaOf(table)) {
    if (field.key != nullptr && !field.Has(kImportReads) && pl::Lower(field.key) == lower) {
      return true;
    }
  }
  return false;
}

bool Contains(const std::vector<std::string>& names, const std::string& lower) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& name) { return pl::Lower(name) == lower; });
}

// The hose number of a hose key in lower case ("hose3tank" -> 3), or -1.
int HoseNumberOf(const std::string& lower) {
  if (lower.compare(0, 4, "hose") != 0) return -1;
  int h = 0;
  size_t i = 4;
  while (i < lower.size() && lower[i] >= '0' && lower[i] <= '9' && h < 1000) {
    h = h * 10 + (lower[i++] - '0');
  }
  if (i == 4) return -1;
  const std::string rest = lower.substr(i);
  for (const FieldSchema& field : SchemaOf(Table::kHose)) {
    // The pattern's part after "%d", as in "Hose%dTank".
    if (field.key != nullptr && pl::Lower(std::string(field.key).substr(6)) == rest) return h;
  }
  return -1;
}

// The names an unknown key may be a typing error of: the known keys, and
// in a pump's section every hose's keys; each with its lower-case form.
// Made once per section, not once per line.
std::vector<std::pair<std::string, std::string>> Candidates(Table table,
                                                            const std::vector<std::string>& known) {
  std::vector<std::string> names = known;
  if (table == Table::kPump) {
    for (int h = 1; h <= kHosesPerPump; ++h) {
      for (const FieldSchema& field : SchemaOf(Table::kHose)) {
        if (field.key != nullptr) names.push_back(NumberedName(field.key, h));
      }
    }
  }
  std::vector<std::pair<std::string, std::string>> out;
  for (std::string& name : names) out.emplace_back(name, pl::Lower(name));
  return out;
}

// The known key nearest to an unknown one, within two edits; empty if none.
std::string NearestKey(const std::vector<std::pair<std::string, std::string>>& candidates,
                       const std::string& lower) {
  std::string nearest;
  size_t best = 3;
  for (const auto& name : candidates) {
    // The distance is at least the difference in length.
    const size_t longer = std::max(lower.size(), name.second.size());
    if (longer - std::min(lower.size(), name.second.size()) >= best) continue;
    const size_t d = EditDistance(lower, name.second, best);
    if (d < best) {
      best = d;
      nearest = name.first;
    }
  }
  return nearest;
}

// A line of a key that IMPORT reads from another line, or not at all.
void WarnSecondLine(CheckContext& ctx, const FileScan::Section& s, const FileScan::KeyLine& k) {
  const std::string name(k.name);
  const FileScan::Found read = ctx.file.FindKey(s, name);
  ctx.Warn("second-line", k.line, s.name, name,
           !read.found ? "IMPORT does not read this line"
                       : "IMPORT reads " + name + " from line " + std::to_string(read.line) +
                             ", never from this one");
}

// A key of hose h when the pump's hoses end before it: told once per hose.
void WarnHoseNotRead(CheckContext& ctx, const FileScan::Section& s, const FileScan::KeyLine& k,
                     int h, int hoses) {
  ctx.Warn("unreachable", k.line, s.name, std::string(k.name),
           h > kHosesPerPump
               ? "never reached: IMPORT reads hoses 1 to " + std::to_string(kHosesPerPump) + " only"
           : ctx.stopHose > 0
               ? "never reached: the import stops at Hose" + std::to_string(ctx.stopHose) +
                     ", see the error"
               : "never reached: IMPORT stops at the first hose without a usable Hose" +
                     std::to_string(hoses + 1) + "ID");
}

}  // namespace

void CheckOtherKeys(CheckContext& ctx, Table table, const FileScan::Section& s, int hoses) {
  const std::vector<std::string> known = KnownKeys(table);
  const std::vector<std::pair<std::string, std::string>> candidates = Candidates(table, known);
  std::vector<int> hosesTold;
  for (const FileScan::KeyLine& k : ctx.file.Keys(s)) {
    if (std::find(ctx.used.begin(), ctx.used.end(), k.line) != ctx.used.end()) continue;
    // A line meant as a comment matches no key; it is no one's typo.
    if (k.name[0] == ';' || k.name[0] == '#') continue;
    // An empty row of a spreadsheet's save: the warning on the save tells of it.
    if (!ctx.savedEnd.empty() && k.name == ctx.savedEnd) continue;
    // A line that looks like a header is told of as such.
    if (!HeaderLookalike(k.text).empty()) continue;
    const std::string lower = pl::Lower(k.name);
    if (Contains(known, lower)) {
      WarnSecondLine(ctx, s, k);
      continue;
    }
    if (IsForPeople(table, lower)) continue;
    const int h = table == Table::kPump ? HoseNumberOf(lower) : -1;
    // The rest of the hose at which the import stops is never read; the
    // stop's error tells of it.
    if (h > 0 && h == ctx.stopHose) continue;
    if (h > hoses) {
      if (std::find(hosesTold.begin(), hosesTold.end(), h) == hosesTold.end()) {
        hosesTold.push_back(h);
        WarnHoseNotRead(ctx, s, k, h, hoses);
      }
      continue;
    }
    if (h >= 0) {
      WarnSecondLine(ctx, s, k);
      continue;
    }
    const std::string nearest = NearestKey(candidates, lower);
    // Other readers skip a tab before a key; IMPORT skips blanks only.
    if (k.name[0] == '\t' && !nearest.empty()) {
      ctx.Warn("tab-before-key", k.line, s.name, std::string(k.name),
               "a tab before the key: IMPORT skips blanks only, so it does not read this line as " +
                   nearest);
      continue;
    }
    ctx.Warn("unknown-key", k.line, s.name, std::string(k.name),
             "unknown key" +
                 (nearest.empty() ? std::string() : " (nearest known key: " + nearest + ")") +
                 ": IMPORT does not read it");
  }
}
