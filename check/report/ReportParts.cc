#include "check/report/ReportParts.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "check/text/FindingText.h"

namespace {

std::string ShowValue(const Record& r, const char* field, const Value& v) {
  return IsSecret(r, field) ? "(not shown)" : v.Show();
}

}  // namespace

size_t Columns(const std::string& s) {
  size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return n;
}

std::string Pad(const std::string& s, size_t width) {
  const size_t columns = Columns(s);
  return columns >= width ? s : s + std::string(width - columns, ' ');
}

std::string Plural(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Records per table in the order the import first writes each table.
std::vector<std::pair<Table, int>> Writes(const Prediction& p, int* prices) {
  std::vector<std::pair<Table, int>> counts;
  *prices = 0;
  for (const Record& r : p.records) {
    auto it = std::find_if(counts.begin(), counts.end(),
                           [&](const std::pair<Table, int>& c) { return c.first == r.table; });
    if (it == counts.end()) {
      counts.emplace_back(r.table, 1);
    } else {
      ++it->second;
    }
  }
  for (const SetCall& c : p.calls) {
    if (c.call == "SetGradePrice") ++*prices;
  }
  return counts;
}

std::vector<const Finding*> Listed(const Findings& findings,
                                   std::map<std::string, size_t>* omitted) {
  std::vector<const Finding*> listed;
  std::map<std::string, size_t> seen;
  for (const Finding& f : findings) {
    if (++seen[f.code] <= kListedPerCode) {
      listed.push_back(&f);
    } else {
      ++(*omitted)[f.code];
    }
  }
  return listed;
}

namespace {

// The findings at most shown one by one under the one they are folded under.
constexpr size_t kFoldedShown = 3;

// What is folded under finding `under`: the count, the first few, and where
// the others are.
std::string FoldedText(const std::vector<const Finding*>& folded, const Finding& under,
                       file_encoding::Mark encoding) {
  if (folded.empty()) return std::string();
  std::string out =
      "      folded under it: " + Plural(static_cast<int>(folded.size()), "finding", "findings") +
      "\n";
  for (size_t i = 0; i < folded.size() && i < kFoldedShown; ++i) {
    const Finding& f = *folded[i];
    out += "        line " + std::to_string(f.line) + "  [" + ShownName(f.section, encoding) +
           "] " + ShownName(f.key, encoding) + "  " + MessageForPeople(f.message, encoding) + "\n";
  }
  if (folded.size() > kFoldedShown) {
    out += "        and " + std::to_string(folded.size() - kFoldedShown) +
           " more (each in /JSON, with \"partOf\": \"" + under.code + "\")\n";
  }
  return out;
}

}  // namespace

std::string FindingsText(const Findings& findings, Finding::Level minimum,
                         file_encoding::Mark encoding, bool withErrors) {
  // One block per section, in the order of their first finding; the file's
  // own findings first.
  std::vector<std::string> order;
  std::map<std::string, std::vector<const Finding*>> groups;
  std::map<std::string, size_t> seen, omitted;
  std::map<std::string, std::vector<const Finding*>> foldedUnder;
  for (const Finding& f : findings) {
    // A folded finding is told under the one it is folded under.
    if (f.partOf != nullptr) {
      foldedUnder[f.partOf].push_back(&f);
      continue;
    }
    const bool error = f.level == Finding::Level::kError;
    if ((minimum == Finding::Level::kError && !error) || (!withErrors && error)) continue;
    if (++seen[f.code] > kListedPerCode) {
      ++omitted[f.code];
      continue;
    }
    if (groups.find(f.section) == groups.end()) order.push_back(f.section);
    groups[f.section].push_back(&f);
  }
  std::stable_partition(order.begin(), order.end(), [](const std::string& s) { return s.empty(); });
  std::string out;
  for (const std::string& section : order) {
    out += section.empty() ? "The file\n" : "[" + ShownName(section, encoding) + "]\n";
    // Keys are cut, so the columns stay narrow whatever the file's names.
    size_t lineWidth = 0, keyWidth = 0;
    for (const Finding* f : groups[section]) {
      lineWidth =
          std::max(lineWidth, (f->line > 0 ? "line " + std::to_string(f->line) : "").size());
      keyWidth = std::max(keyWidth, Columns(ShownName(f->key, encoding)));
    }
    for (const Finding* f : groups[section]) {
      std::string line = f->line > 0 ? "line " + std::to_string(f->line) : "";
      out += "  " + Pad(line, lineWidth) + "  " +
             (keyWidth > 0 ? Pad(ShownName(f->key, encoding), keyWidth) + "  " : "") +
             Pad(LevelName(f->level), 7) + "  " + MessageForPeople(f->message, encoding) + "\n" +
             FoldedText(foldedUnder[f->code], *f, encoding);
    }
    out += "\n";
  }
  for (const auto& o : omitted) {
    out += o.first + ": " + Plural(static_cast<int>(o.second), "more finding", "more findings") +
           " not listed (the first " + std::to_string(kListedPerCode) + " are)\n\n";
  }
  return out;
}

std::string RecordBlock(const RecordChange& rc, const std::string& onlyBefore,
                        const std::string& newWord) {
  const Record& r = rc.record;
  std::string out;
  size_t width = 0;
  // A hose is named by its place; a hose that is new or gone also by its
  // identifier, so that two blocks of one place (its identifier changed)
  // are told apart.
  const std::string name =
      r.Name() + (r.table == Table::kHose && rc.kind != RecordChange::Kind::kChanged
                      ? " (id " + std::to_string(r.id) + ")"
                      : std::string());
  switch (rc.kind) {
    case RecordChange::Kind::kOnlyBefore:
      if (!rc.unwrittenBecause.empty()) {
        return name + "  in the controller, and in the file where IMPORT does not write it (" +
               rc.unwrittenBecause + "): IMPORT leaves it as it is\n";
      }
      return name + "  " + onlyBefore + "\n";
    case RecordChange::Kind::kNew:
      // Values the file has no key for are 0 on a new record: said once
      // for all (PLAN), not field by field.
      out = name + "  " + newWord + "\n";
      for (const Field& f : r.fields) {
        if (!HasNoKey(r, f.name)) width = std::max(width, std::string(f.name).size());
      }
      for (const Field& f : r.fields) {
        if (HasNoKey(r, f.name)) continue;
        out += "    " + Pad(f.name, width) + "  " + ShowValue(r, f.name, f.value) + "\n";
      }
      return out;
    case RecordChange::Kind::kChanged:
      out = r.Name() + (rc.changes.empty() ? "  keeps\n" : "  changes\n");
      for (const Change& c : rc.changes) width = std::max(width, std::string(c.field).size());
      for (const Field& f : rc.kept) width = std::max(width, std::string(f.name).size());
      for (const Change& c : rc.changes) {
        out += "    " + Pad(c.field, width) + "  ";
        if (c.secret) {
          out += "changed";
        } else {
          out += (c.hasBefore ? c.before.Show() : std::string("-")) + " -> " +
                 (c.hasAfter ? c.after.Show() : std::string("-"));
        }
        if (!c.note.empty()) out += "  (" + c.note + ")";
        out += "\n";
      }
      for (const Field& f : rc.kept) {
        out += "    " + Pad(f.name, width) + "  " + f.value.Show() +
               " stays (IMPORT writes no such price level)\n";
      }
      return out;
  }
  return out;
}

// The errors of a check under what they mean for the import (`whose`:
// "IMPORT", "IMPORT of a.ini"); empty when there are none.
std::string ErrorsText(const FileCheck& check, const std::string& whose) {
  if (check.errors == 0 && check.prediction.result == 0) return std::string();
  return whose +
         (check.prediction.result != 0 ? " would stop part-way:\n\n"
                                       : " would not do what the file says:\n\n") +
         FindingsText(check.findings, Finding::Level::kError, check.encoding);
}

// CHECK's counts: "0 errors, 2 warnings, 1 note, 7 folded" (notes and
// folded findings only when there are).
std::string Counts(const FileCheck& check) {
  return Plural(check.errors, "error", "errors") + ", " +
         Plural(check.warnings, "warning", "warnings") +
         (check.notes > 0 ? ", " + Plural(check.notes, "note", "notes") : "") +
         (check.folded > 0 ? ", " + std::to_string(check.folded) + " folded" : "");
}
