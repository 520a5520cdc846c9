#include "check/rules/KeyNames.h"

#include <algorithm>
#include <vector>

#include "profile/ProfileLines.h"
#include "profile/RecordNames.h"
#include "profile/RecordSchema.h"

namespace pl = profile_lines;

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
        const size_t d = EditDistance(pl::Lower(name.substr(0, n)), key, bestDistance);
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

std::string FieldOfKey(std::string_view section, std::string_view key) {
  for (size_t t = 0; t < kTableCount && !key.empty(); ++t) {
    const TableSchema& table = SchemaOf(static_cast<Table>(t));
    const std::string_view word = table.word;
    // A record's section: the word, then "-" or a digit ("TankGauge01" is none).
    if (table.section == nullptr || section.size() <= word.size() ||
        !pl::EqualsIgnoringCase(section.substr(0, word.size()), word) ||
        (section[word.size()] != '-' &&
         (section[word.size()] < '0' || section[word.size()] > '9'))) {
      continue;
    }
    for (const FieldSchema& f : table) {
      if (f.param != nullptr && f.key != nullptr && pl::EqualsIgnoringCase(f.key, key))
        return f.param;
    }
    for (int level = 1; table.table == Table::kGrade && level <= kPriceLevels; ++level) {
      if (pl::EqualsIgnoringCase(NumberedName(kPriceLevelKey, level), key)) {
        return PriceLevelParam(level);
      }
    }
    // A hose key: "Hose", the hose number, then the pattern's part after "%d".
    size_t digits = 4;
    while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9') ++digits;
    if (table.table != Table::kPump || digits == 4 ||
        !pl::EqualsIgnoringCase(key.substr(0, 4), "Hose")) {
      return std::string();
    }
    for (const FieldSchema& f : SchemaOf(Table::kHose)) {
      if (f.param != nullptr && f.key != nullptr &&
          pl::EqualsIgnoringCase(std::string_view(f.key).substr(6), key.substr(digits))) {
        return f.param;
      }
    }
    return std::string();
  }
  return std::string();
}

size_t EditDistance(std::string_view a, std::string_view b, size_t limit) {
  // One row of the table at a time, on the stack for names of usual length.
  size_t stack[64];
  std::vector<size_t> heap;
  size_t* row = stack;
  if (b.size() >= 64) {
    heap.resize(b.size() + 1);
    row = heap.data();
  }
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    size_t least = row[0];
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
      least = std::min(least, row[j]);
    }
    // No row holds less than the one before it.
    if (least >= limit) return limit;
  }
  return std::min(row[b.size()], limit);
}
