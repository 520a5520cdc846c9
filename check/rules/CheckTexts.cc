// The texts IMPORT reads from a section it writes, and the lines of a file
// re-saved by a spreadsheet. A real name may end in separators, hold " ;" or
// a lone double quote, begin or end with blanks, or be longer than IMPORT
// keeps, and EXPORT writes it back as it is: each of these is a note, with
// its code word first. Separators after most of the file's lines are one
// warning instead.
#include <map>
#include <string>
#include <string_view>

#include "check/rules/CheckRules.h"
#include "profile/ProfileLines.h"
#include "profile/Text.h"

namespace pl = profile_lines;

namespace {

// A spreadsheet's save is told from names that end in separators by
// numbers: more than half of the key lines, and at least this many.
constexpr size_t kSavedLines = 3;

bool IsSeparator(char c) { return c == ',' || c == ';' || c == '\t'; }

// The separators the text ends in ("," ";" and tabs), or empty.
std::string_view SeparatorsAtEnd(std::string_view text) {
  size_t begin = text.size();
  while (begin > 0 && IsSeparator(text[begin - 1])) --begin;
  return text.substr(begin);
}

// A line's text as the rules look at it: up to its first NUL, without its
// line end and the blanks before it.
std::string_view LineText(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  size_t end = line.size();
  while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == '\n' || line[end - 1] == ' ')) {
    --end;
  }
  return line.substr(0, end);
}

// A text IMPORT reads, with what stands around it on its line.
struct TextValue {
  const FileScan::Section* section;
  const char* key;
  int line;
  bool secret;
  std::string_view raw;   // as the profile reads it: quotes included, blanks cut
  std::string_view read;  // what IMPORT writes
  size_t blanksBefore;    // between "=" and the value, when "=" follows the key at once
  size_t blanksAfter;     // between the value and the line end
};

TextValue TextOf(const FileScan& file, const FileScan::Section& s, const FieldSchema& field,
                 const FileScan::Found& f) {
  TextValue t{&s, field.key, f.line, field.Has(kSecret), f.value, pl::Unquote(f.value), 0, 0};
  const std::string_view all(file.Bytes());
  const size_t begin = static_cast<size_t>(f.value.data() - all.data());
  size_t at = begin;
  while (at > 0 && all[at - 1] == ' ') --at;
  // "Name= Bomba" is how EXPORT writes a name that begins with a blank;
  // "Name = Bomba" is a way of spacing the line.
  if (at > 1 && all[at - 1] == '=' && all[at - 2] != ' ') t.blanksBefore = begin - at;
  for (at = begin + f.value.size(); at < all.size() && all[at] == ' '; ++at) ++t.blanksAfter;
  return t;
}

void Note(CheckContext& ctx, const TextValue& t, const char* code, const std::string& message) {
  ctx.Note(code, t.line, t.section->name, t.key, std::string(code) + ": " + message);
  if (!t.secret) ctx.Reads(std::string(t.read));
}

// What IMPORT writes, for the end of a message; nothing for a password.
std::string Writes(const TextValue& t) {
  if (t.secret) return std::string();
  return t.read.empty() ? " and writes an empty text" : " and writes " + Quoted(t.read);
}

void NoteSeparators(CheckContext& ctx, const TextValue& t, std::string_view run) {
  Note(ctx, t, "trailing-separators",
       (t.secret ? std::string("the value ends in separators")
                 : Quoted(t.read) + " ends in " + Quoted(run)) +
           ": IMPORT writes the separators as part of the " + t.key);
}

void NoteComment(CheckContext& ctx, const TextValue& t) {
  Note(ctx, t, "comment-in-text",
       (t.secret ? std::string("the value") : Quoted(t.read)) +
           " holds \" ;\" and what looks like a comment after it: IMPORT writes it all as the " +
           t.key);
}

void NoteQuote(CheckContext& ctx, const TextValue& t) {
  Note(ctx, t, "unbalanced-quote",
       (t.secret ? std::string("the value") : Quoted(t.raw)) +
           " has an unbalanced double quote: IMPORT " +
           (t.raw.size() == t.read.size() ? "keeps every quote" : "removes the outer pair only") +
           Writes(t));
}

// Blanks IMPORT drops (outside quotes), blanks it keeps (inside them) and a
// tab it keeps at the start (it skips blanks only, never tabs).
void NoteBlanks(CheckContext& ctx, const TextValue& t) {
  const bool quoted = t.raw.size() != t.read.size();
  const bool after = t.blanksAfter > 0 && !quoted;
  std::string what;
  if (!t.read.empty() && t.read[0] == '\t') {
    what = "the value begins with a tab, which IMPORT keeps (it skips blanks only)";
  } else if (t.blanksBefore > 0 || after) {
    what = std::string("IMPORT drops the blanks ") +
           (t.blanksBefore > 0 && after ? "before and after"
            : after                     ? "after"
                                        : "before") +
           " the value";
  } else if (quoted && !t.read.empty() && (t.read.front() == ' ' || t.read.back() == ' ')) {
    what = "IMPORT keeps the blanks inside the quotes";
  }
  if (!what.empty()) Note(ctx, t, "blanks", what + Writes(t));
}

// The number of characters IMPORT reads from the text: its bytes in a file
// without a mark, else the UTF-16 units of its UTF-8.
size_t Characters(const CheckContext& ctx, std::string_view text) {
  if (ctx.mark == file_encoding::Mark::kNone) return text.size();
  return file_encoding::DecodeUtf8(text, text.size()).size();
}

void CheckText(CheckContext& ctx, const TextValue& t) {
  const std::string_view run = SeparatorsAtEnd(t.read);
  // Two or more "," or ";", or a tab: one alone is no separator's mark.
  const bool separators = run.size() >= 2 || run.find('\t') != std::string_view::npos;
  if (separators && run != ctx.savedEnd) NoteSeparators(ctx, t, run);
  if (t.read.substr(0, t.read.size() - run.size()).find(" ;") != std::string_view::npos) {
    NoteComment(ctx, t);
  }
  size_t quotes = 0;
  for (char c : t.raw) quotes += c == '"' ? 1 : 0;
  if (quotes % 2 != 0) NoteQuote(ctx, t);
  NoteBlanks(ctx, t);
  const size_t length = Characters(ctx, t.read);
  if (length > static_cast<size_t>(Text::kMaxLength)) {
    Note(ctx, t, "text-cut",
         std::to_string(length) + " characters: IMPORT writes the first " +
             std::to_string(Text::kMaxLength) + " only");
  }
}

}  // namespace

void CheckSpreadsheetSave(CheckContext& ctx) {
  const std::string_view all(ctx.file.Bytes());
  std::map<std::string_view, size_t> ends;
  size_t keyLines = 0;
  for (size_t pos = 0; pos < all.size(); pos += pl::LineLength(all, pos)) {
    const std::string_view text = LineText(all.substr(pos, pl::LineLength(all, pos)));
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos || text[first] == '[') continue;
    ++keyLines;
    const std::string_view run = SeparatorsAtEnd(text);
    if (!run.empty()) ++ends[run];
  }
  std::string_view common;
  size_t count = 0;
  for (const auto& end : ends) {
    if (end.second > count) {
      common = end.first;
      count = end.second;
    }
  }
  if (count < kSavedLines || count * 2 <= keyLines) return;
  ctx.savedEnd = std::string(common);
  ctx.Warn(kSpreadsheetSave, 0, "", "",
           std::string(kSpreadsheetSave) + ": " + std::to_string(count) + " of " +
               std::to_string(keyLines) + " key lines end in " + Quoted(common) +
               ": the file looks re-saved by a spreadsheet; IMPORT writes them as part of each "
               "text it reads from those lines (names, tags, passwords), and reads the numbers "
               "before them as they look (one that does not keeps a finding of its own)");
}

void CheckTexts(CheckContext& ctx, Table table, const FileScan::Section& s) {
  for (const FieldSchema& field : SchemaOf(table)) {
    if (field.kind != FieldKind::kText || field.key == nullptr || !field.Has(kImportReads)) {
      continue;
    }
    const FileScan::Found f = ctx.file.FindKey(s, field.key);
    if (f.found) CheckText(ctx, TextOf(ctx.file, s, field, f));
  }
}
