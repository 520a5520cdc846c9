#include "check/Report.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "check/PlanNotes.h"
#include "check/PlanRestore.h"
#include "profile/FileEncoding.h"

namespace {

std::string Pad(const std::string& s, size_t width) {
  return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

const char* LevelWord(Finding::Level level) {
  return level == Finding::Level::kError  ? "error"
         : level == Finding::Level::kNote ? "note"
                                          : "warning";
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

std::string FindingsText(const std::vector<Finding>& findings, Finding::Level minimum) {
  // One block per section, in the order of their first finding; the file's
  // own findings first.
  std::vector<std::string> order;
  std::map<std::string, std::vector<const Finding*>> groups;
  for (const Finding& f : findings) {
    if (minimum == Finding::Level::kError && f.level != Finding::Level::kError) continue;
    if (groups.find(f.section) == groups.end()) order.push_back(f.section);
    groups[f.section].push_back(&f);
  }
  std::stable_partition(order.begin(), order.end(), [](const std::string& s) { return s.empty(); });
  std::string out;
  for (const std::string& section : order) {
    out += section.empty() ? "The file\n" : "[" + ShownName(section) + "]\n";
    // Keys are cut, so the columns stay narrow whatever the file's names.
    size_t lineWidth = 0, keyWidth = 0;
    for (const Finding* f : groups[section]) {
      lineWidth =
          std::max(lineWidth, (f->line > 0 ? "line " + std::to_string(f->line) : "").size());
      keyWidth = std::max(keyWidth, ShownName(f->key).size());
    }
    for (const Finding* f : groups[section]) {
      std::string line = f->line > 0 ? "line " + std::to_string(f->line) : "";
      out += "  " + Pad(line, lineWidth) + "  " +
             (keyWidth > 0 ? Pad(ShownName(f->key), keyWidth) + "  " : "") +
             Pad(LevelWord(f->level), 7) + "  " + MessageForPeople(f->message) + "\n";
    }
    out += "\n";
  }
  return out;
}

std::string FindingsJson(const std::vector<Finding>& findings, bool errorsOnly) {
  std::string out = "[";
  bool first = true;
  for (const Finding& f : findings) {
    if (errorsOnly && f.level != Finding::Level::kError) continue;
    if (!first) out += ",";
    first = false;
    out += "\n    {\"level\": \"" + std::string(LevelWord(f.level)) +
           "\", \"line\": " + std::to_string(f.line) + ", \"section\": " + JsonBytes(f.section) +
           ", \"key\": " + JsonBytes(f.key) +
           ", \"message\": " + JsonBytes(MessageAsIs(f.message)) + "}";
  }
  out += first ? "]" : "\n  ]";
  return out;
}

std::string ShowValue(const Record& r, const char* field, const Value& v) {
  return IsSecret(r, field) ? "(not shown)" : v.Show();
}

std::string JsonValue(const Record& r, const char* field, const Value& v) {
  return IsSecret(r, field) ? "\"(not shown)\"" : v.Json();
}

std::string RecordBlock(const RecordChange& rc, const std::string& onlyBefore,
                        const std::string& newWord) {
  const Record& r = rc.record;
  std::string out;
  size_t width = 0;
  switch (rc.kind) {
    case RecordChange::Kind::kOnlyBefore:
      return r.Name() + "  " + onlyBefore + "\n";
    case RecordChange::Kind::kNew:
      // Values the file has no key for are 0 on a new record: said once
      // for all (PLAN), not field by field.
      out = r.Name() + "  " + newWord + "\n";
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

std::string RecordJson(const RecordChange& rc, const char* onlyBefore) {
  const Record& r = rc.record;
  std::string out = "\n    {\"record\": " + JsonBytes(r.Name()) + ", \"table\": \"" +
                    TablePlural(r.table) + "\", \"id\": " + std::to_string(r.id) + ", \"status\": ";
  switch (rc.kind) {
    case RecordChange::Kind::kOnlyBefore:
      return out + "\"" + onlyBefore + "\"}";
    case RecordChange::Kind::kNew: {
      out += "\"new\", \"fields\": {";
      bool first = true;
      for (const Field& f : r.fields) {
        out +=
            std::string(first ? "" : ", ") + "\"" + f.name + "\": " + JsonValue(r, f.name, f.value);
        first = false;
      }
      return out + "}}";
    }
    case RecordChange::Kind::kChanged: {
      if (!rc.kept.empty()) {
        out += std::string(rc.changes.empty() ? "\"kept\"" : "\"changed\"") + ", \"kept\": {";
        bool firstKept = true;
        for (const Field& f : rc.kept) {
          out += std::string(firstKept ? "" : ", ") + "\"" + f.name + "\": " + f.value.Json();
          firstKept = false;
        }
        out += "}, \"changes\": {";
      } else {
        out += "\"changed\", \"changes\": {";
      }
      bool first = true;
      for (const Change& c : rc.changes) {
        out += std::string(first ? "" : ", ") + "\"" + c.field + "\": ";
        first = false;
        if (c.secret) {
          out += "\"changed\"";
          continue;
        }
        out += "{\"old\": " + (c.hasBefore ? c.before.Json() : std::string("null")) +
               ", \"new\": " + (c.hasAfter ? c.after.Json() : std::string("null"));
        if (!c.note.empty()) out += ", \"note\": " + JsonBytes(c.note);
        out += "}";
      }
      return out + "}}";
    }
  }
  return out;
}

std::string Stopped(const FileCheck& check) {
  return check.prediction.result != 0 ? "true" : "false";
}

// The errors of a check under what they mean for the import (`whose`:
// "IMPORT", "IMPORT of a.ini"); empty when there are none.
std::string ErrorsText(const FileCheck& check, const std::string& whose) {
  if (check.errors == 0 && check.prediction.result == 0) return std::string();
  return whose +
         (check.prediction.result != 0 ? " would stop part-way:\n\n"
                                       : " would not do what the file says:\n\n") +
         FindingsText(check.findings, Finding::Level::kError);
}

// CHECK's counts: "0 errors, 2 warnings, 1 note" (notes only when there are).
std::string Counts(const FileCheck& check) {
  return Plural(check.errors, "error", "errors") + ", " +
         Plural(check.warnings, "warning", "warnings") +
         (check.notes > 0 ? ", " + Plural(check.notes, "note", "notes") : "");
}

}  // namespace

std::string JsonArgument(const std::string& text) {
  // Valid UTF-8 (file names as the program receives them) stays as it is.
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) continue;
    const size_t length = file_encoding::Utf8SequenceLength(text, i);
    if (length == 0) return JsonBytes(text);
    i += length - 1;
  }
  return Value::Text(file_encoding::DecodeUtf8(text, text.size())).Json();
}

std::string JsonBytes(const std::string& bytes) {
  std::u16string units;
  for (char c : bytes) units.push_back(static_cast<unsigned char>(c));
  return Value::Text(units).Json();
}

std::string CheckReport(const std::string& path, const FileCheck& check, bool json) {
  int prices = 0;
  std::vector<std::pair<Table, int>> writes = Writes(check.prediction, &prices);
  if (json) {
    std::string out =
        "{\n  \"command\": \"CHECK\",\n  \"file\": " + JsonArgument(path) + ",\n  \"writes\": {";
    bool first = true;
    for (const auto& w : writes) {
      out += std::string(first ? "" : ", ") + "\"" + TablePlural(w.first) +
             "\": " + std::to_string(w.second);
      first = false;
    }
    if (prices > 0)
      out += std::string(first ? "" : ", ") + "\"price levels\": " + std::to_string(prices);
    out += "},\n  \"stops\": " + Stopped(check) +
           ",\n  \"findings\": " + FindingsJson(check.findings, false) +
           ",\n  \"errors\": " + std::to_string(check.errors) +
           ",\n  \"warnings\": " + std::to_string(check.warnings) +
           (check.notes > 0 ? ",\n  \"notes\": " + std::to_string(check.notes) : "") + "\n}\n";
    return out;
  }
  std::string out = "CHECK " + path + "\n\nIMPORT would write, in this order:\n";
  if (writes.empty()) out += "  nothing\n";
  int hoses = 0;
  for (const auto& w : writes) {
    if (w.first == Table::kHose) hoses = w.second;
  }
  for (const auto& w : writes) {
    if (w.first == Table::kHose) continue;
    char count[16];
    std::snprintf(count, sizeof count, "%5d", w.second);
    out += "  " + Pad(TablePlural(w.first), 14) + count;
    if (w.first == Table::kGrade && prices > 0) {
      out += "  with " + Plural(prices, "price level", "price levels");
    }
    if (w.first == Table::kPump && hoses > 0) out += "  with " + Plural(hoses, "hose", "hoses");
    out += "\n";
  }
  if (check.prediction.result != 0) out += "and then stop, with exit code -1 (see the error)\n";
  out += "\n" + FindingsText(check.findings, Finding::Level::kWarning);
  return out + Counts(check) + "\n";
}

std::string PlanReport(const std::string& path, const std::string& server, const Comparison& plan,
                       const FileCheck& check, bool json) {
  const char* onlyBefore = "in the controller only: IMPORT leaves it as it is";
  if (json) {
    std::string out = "{\n  \"command\": \"PLAN\",\n  \"file\": " + JsonArgument(path) +
                      ",\n  \"server\": " + JsonArgument(server) +
                      ",\n  \"check\": {\"findings\": " + FindingsJson(check.findings, false) +
                      ", \"errors\": " + std::to_string(check.errors) +
                      ", \"warnings\": " + std::to_string(check.warnings) +
                      ", \"notes\": " + std::to_string(check.notes) + "},\n  \"records\": [";
    bool first = true;
    for (const RecordChange& rc : plan.records) {
      out += (first ? "" : ",") + RecordJson(rc, "controller only");
      first = false;
    }
    out += first ? "]" : "\n  ]";
    out += ",\n  \"stops\": " + Stopped(check) +
           ",\n  \"errors\": " + FindingsJson(check.findings, true) +
           ",\n  \"changed\": " + std::to_string(plan.changed) +
           ",\n  \"new\": " + std::to_string(plan.added) +
           ",\n  \"controllerOnly\": " + std::to_string(plan.onlyBefore) +
           ",\n  \"kept\": " + std::to_string(plan.keeping) + ",\n  " + HoseNotesJson(plan) +
           ",\n  " + ZeroedJson(plan) + ",\n  " + NotRestoredJson(plan) + "\n}\n";
    return out;
  }
  // CHECK's findings first, so that PLAN alone tells all of them.
  std::string out = "PLAN " + path + " against " + server + "\n\nCHECK: " + Counts(check) + "\n\n" +
                    FindingsText(check.findings, Finding::Level::kWarning);
  for (size_t i = 0; i < plan.records.size(); ++i) {
    out += HoseNotesText(plan, i) + RecordBlock(plan.records[i], onlyBefore, "new") + "\n";
  }
  out += HoseNotesText(plan, plan.records.size()) + NotRestoredText(plan) + ZeroedText(plan) +
         ErrorsText(check, "IMPORT");
  out += Plural(plan.changed, "record changes", "records change") + ", " +
         std::to_string(plan.added) + " new, " + std::to_string(plan.onlyBefore) +
         " in the controller only" + NotRestoredSummary(plan);
  if (plan.keeping > 0) {
    out += ", " + Plural(plan.keeping, "record keeps", "records keep") +
           " price levels IMPORT does not write";
  }
  out += HoseNotesSummary(plan) + "\n";
  return out;
}

std::string DiffReport(const std::string& a, const std::string& b, const Comparison& diff,
                       const std::vector<FileDifference>& fileDiffs, const FileCheck& checkA,
                       const FileCheck& checkB, bool json) {
  if (json) {
    std::string out = "{\n  \"command\": \"DIFF\",\n  \"a\": " + JsonArgument(a) +
                      ",\n  \"b\": " + JsonArgument(b) + ",\n  \"records\": [";
    bool first = true;
    for (const RecordChange& rc : diff.records) {
      RecordChange shown = rc;
      std::string item = RecordJson(shown, "only in a");
      // New records are those only in b.
      if (rc.kind == RecordChange::Kind::kNew) {
        size_t at = item.find("\"status\": \"new\"");
        if (at != std::string::npos) item.replace(at, 15, "\"status\": \"only in b\"");
      }
      out += (first ? "" : ",") + item;
      first = false;
    }
    out += first ? "]" : "\n  ]";
    out += ",\n  \"stops\": {\"a\": " + Stopped(checkA) + ", \"b\": " + Stopped(checkB) +
           "},\n  \"differ\": " + std::to_string(diff.changed) +
           ",\n  \"onlyInA\": " + std::to_string(diff.onlyBefore) +
           ",\n  \"onlyInB\": " + std::to_string(diff.added) + ",\n  " +
           FileDifferencesJson(fileDiffs) + "\n}\n";
    return out;
  }
  std::string out = "DIFF " + a + " " + b + "\n\n";
  for (const RecordChange& rc : diff.records) {
    out += RecordBlock(rc, "only in " + a, "only in " + b) + "\n";
  }
  for (const auto* c : {&checkA, &checkB})
    out += ErrorsText(*c, "IMPORT of " + (c == &checkA ? a : b));
  out += Plural(diff.changed, "record differs", "records differ") + ", " +
         std::to_string(diff.onlyBefore) + " only in " + a + ", " + std::to_string(diff.added) +
         " only in " + b + "\n";
  return out + FileDifferencesText(fileDiffs, a, b);
}

std::string FailureReport(const char* command, const std::string& message, bool json) {
  if (json) {
    return "{\n  \"command\": \"" + std::string(command) +
           "\",\n  \"error\": " + JsonBytes(message) + "\n}\n";
  }
  return message + "\n";
}
