#include "check/Check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "check/FileScan.h"
#include "platform/File.h"
#include "profile/ProfileLines.h"
#include "profile/Text.h"

namespace pl = profile_lines;

namespace {

enum class Kind { kText, kInt32, kInt16, kAmount };

struct KeyDef {
  const char* key;
  Kind kind;
};

const KeyDef kPortKeys[] = {{"Number", Kind::kInt32}, {"Name", Kind::kText},
                            {"ProtocolID", Kind::kInt16}, {"DeviceType", Kind::kInt16},
                            {"SerialNo", Kind::kText}};
const KeyDef kGradeKeys[] = {{"Number", Kind::kInt32}, {"Name", Kind::kText},
                             {"ShortName", Kind::kText}, {"Code", Kind::kText}};
const KeyDef kTankKeys[] = {{"Number", Kind::kInt32},   {"Name", Kind::kText},
                            {"Grade", Kind::kInt32},    {"Type", Kind::kInt16},
                            {"Capacity", Kind::kAmount}, {"Diameter", Kind::kAmount},
                            {"TankGauge", Kind::kInt32}, {"Probe", Kind::kInt16}};
const KeyDef kZigBeeKeys[] = {{"Number", Kind::kInt32},        {"Name", Kind::kText},
                              {"DeviceType", Kind::kInt16},    {"SerialNumber", Kind::kText},
                              {"NodeIdentifier", Kind::kText}, {"PortID", Kind::kInt32}};
const KeyDef kPumpKeys[] = {
    {"Number", Kind::kInt32},          {"Name", Kind::kText},
    {"PhysicalNumber", Kind::kInt16},  {"Side", Kind::kInt16},
    {"Address", Kind::kInt16},         {"PriceLevel1", Kind::kInt16},
    {"PriceLevel2", Kind::kInt16},     {"PriceDspFormat", Kind::kInt16},
    {"VolumeDspFormat", Kind::kInt16}, {"ValueDspFormat", Kind::kInt16},
    {"PumpType", Kind::kInt16},        {"PortID", Kind::kInt32},
    {"AttendantID", Kind::kInt32},     {"AuthMode", Kind::kInt16},
    {"StackMode", Kind::kInt16},       {"PrepayAllowed", Kind::kInt16},
    {"PreauthAllowed", Kind::kInt16},  {"Slot", Kind::kInt32},
    {"MuxSlotZigBeeID", Kind::kInt32}, {"PriceControl", Kind::kInt16},
    {"HasPreset", Kind::kInt16}};
// Hose keys, with %d for the hose number.
const KeyDef kHoseKeys[] = {{"Hose%dID", Kind::kInt32},    {"Hose%dTank", Kind::kInt32},
                            {"Hose%dPhysicalNumber", Kind::kInt32},
                            {"Hose%dReader", Kind::kInt16}, {"Hose%dPrice1", Kind::kAmount},
                            {"Hose%dPrice2", Kind::kAmount}, {"Hose%dEnabled", Kind::kInt16}};
const KeyDef kAttendantKeys[] = {{"Number", Kind::kInt32},     {"Name", Kind::kText},
                                 {"ShortName", Kind::kText},   {"Password", Kind::kText},
                                 {"Tag", Kind::kText},         {"ShiftAStart", Kind::kInt16},
                                 {"ShiftAEnd", Kind::kInt16},  {"ShiftBStart", Kind::kInt16},
                                 {"ShiftBEnd", Kind::kInt16},  {"Enabled", Kind::kInt16}};
const KeyDef kClientKeys[] = {{"Number", Kind::kInt32}, {"Name", Kind::kText},
                              {"Tag", Kind::kText}, {"Enabled", Kind::kInt16}};

// Keys that EXPORT writes and IMPORT does not read: known, never reported.
const char* const kPortExportOnly[] = {"PanID", "Channels", "KeyA", "KeyB", "FirmwareVersion"};
const char* const kZigBeeExportOnly[] = {"FirmwareVersion"};

constexpr int kMaxHoses = 8;
constexpr int kPriceLevels = 8;

struct TableDef {
  Table table;
  const KeyDef* keys;
  size_t keyCount;
  int32_t first;
  int32_t limit;
  int32_t alwaysTriedUpTo;
};

const TableDef kTables[] = {
    {Table::kPort, kPortKeys, std::size(kPortKeys), 1, 100, 13},
    {Table::kGrade, kGradeKeys, std::size(kGradeKeys), 1, 100, 0},
    {Table::kTank, kTankKeys, std::size(kTankKeys), 1, 100, 0},
    {Table::kZigBee, kZigBeeKeys, std::size(kZigBeeKeys), 5, 100, 0},
    {Table::kPump, kPumpKeys, std::size(kPumpKeys), 1, 100, 0},
    {Table::kAttendant, kAttendantKeys, std::size(kAttendantKeys), 1, 10000, 0},
    {Table::kCardClient, kClientKeys, std::size(kClientKeys), 1, 10000, 0},
};

std::string Lower(std::string_view s) { return pl::Lower(s); }

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

// Table and number of a record section name ("pump03" -> pump, 3), or false.
bool ParseRecordName(std::string_view name, Table* table, int32_t* n) {
  for (const TableDef& def : kTables) {
    std::string_view word = TableWord(def.table);
    if (name.size() <= word.size() || !EqualsIgnoringCase(name.substr(0, word.size()), word)) {
      continue;
    }
    std::string_view digits = name.substr(word.size());
    int64_t value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
      if (value > 1000000000) return false;
    }
    *table = def.table;
    *n = static_cast<int32_t>(value);
    return true;
  }
  return false;
}

size_t Distance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

class Checker {
 public:
  Checker(const FileScan& file, FileCheck* check) : file_(file), check_(check) {}

  void Run() {
    WholeFile();
    for (const Record& r : check_->prediction.records) {
      if (r.table == Table::kHose) {
        writtenHoses_.insert({r.pumpId, r.hose});
      } else {
        written_[static_cast<int>(r.table)].insert(r.id);
      }
    }
    Sections();
    std::stable_sort(check_->findings.begin(), check_->findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    for (const Finding& f : check_->findings) {
      if (f.level == Finding::Level::kError) {
        ++check_->errors;
      } else {
        ++check_->warnings;
      }
    }
  }

 private:
  void Add(Finding::Level level, int line, const std::string& section, const std::string& key,
           std::string message) {
    check_->findings.push_back(Finding{level, line, section, key, std::move(message)});
  }
  void Warn(int line, const std::string& section, const std::string& key, std::string message) {
    Add(Finding::Level::kWarning, line, section, key, std::move(message));
  }

  bool Written(Table table, int32_t id) const {
    return written_[static_cast<int>(table)].count(id) != 0;
  }

  // Number of a section as the import reads it; 0 when absent.
  int32_t NumberOf(const std::string& name) const {
    const FileScan::Section* s = file_.Find(name);
    if (s == nullptr) return 0;
    FileScan::Found f = file_.FindKey(*s, "Number");
    return f.found ? Text(std::string(pl::Unquote(f.value))).ToInt() : 0;
  }

  int32_t IntOf(const FileScan::Section& s, const std::string& key) const {
    FileScan::Found f = file_.FindKey(s, key);
    return f.found ? Text(std::string(pl::Unquote(f.value))).ToInt() : 0;
  }

  void WholeFile() {
    const std::string& b = file_.Bytes();
    const bool utf16 =
        b.size() >= 2 && ((b[0] == '\xFF' && b[1] == '\xFE') || (b[0] == '\xFE' && b[1] == '\xFF'));
    if (utf16) {
      Warn(1, "", "",
           "the file begins with a UTF-16 byte-order mark; IMPORT reads it byte for byte as "
           "8-bit text (save it as ANSI)");
    } else if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      Warn(1, "", "",
           "the file begins with a UTF-8 byte-order mark; IMPORT reads it byte for byte, "
           "the mark included, as part of the first line");
    }
    // In a UTF-16 file NUL bytes and lone CRs are what the mark already says.
    size_t nul = utf16 ? std::string::npos : b.find('\0');
    if (nul != std::string::npos) {
      Warn(file_.LineAt(nul), "", "",
           "NUL bytes: IMPORT ignores the rest of each line after one");
    }
    size_t lf = b.find('\n');
    size_t loneCr = std::string::npos;
    for (size_t i = 0; i < b.size() && !utf16; ++i) {
      if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] != '\n') {
        loneCr = i;
        break;
      }
    }
    if (loneCr != std::string::npos) {
      Warn(file_.LineAt(loneCr), "", "",
           lf == std::string::npos
               ? "lines end with CR alone: IMPORT reads the whole file as one line"
               : "a line ends with CR alone: IMPORT reads it and the next line as one");
    }
    size_t utf8 = 0;
    size_t firstUtf8 = 0;
    for (size_t i = 0; i < b.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(b[i]);
      size_t more = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
      if (more == 0 || c == 0xC0 || c == 0xC1 || i + more >= b.size()) continue;
      bool ok = true;
      for (size_t k = 1; k <= more; ++k) {
        ok = ok && (static_cast<unsigned char>(b[i + k]) & 0xC0) == 0x80;
      }
      if (!ok) continue;
      if (utf8 == 0) firstUtf8 = i;
      ++utf8;
      i += more;
    }
    if (utf8 > 0) {
      Warn(file_.LineAt(firstUtf8), "", "",
           std::to_string(utf8) +
               " characters look like UTF-8; IMPORT reads the file byte for byte, so each "
               "becomes two to four characters in the controller (save it as ANSI)");
    }
    if (check_->prediction.records.empty()) {
      Warn(0, "", "", "IMPORT would write no record at all");
    }
  }

  void Sections() {
    for (const FileScan::Section& s : file_.Sections()) {
      if (!s.first) {
        Warn(s.line, s.name, "",
             "duplicate section: IMPORT reads only the first one, at line " +
                 std::to_string(s.firstLine));
        continue;
      }
      Table table;
      int32_t n = 0;
      if (!ParseRecordName(s.name, &table, &n)) continue;
      const TableDef* def = nullptr;
      for (const TableDef& d : kTables) {
        if (d.table == table) def = &d;
      }
      std::string canonical = SectionName(table, n);
      if (!EqualsIgnoringCase(canonical, s.name)) {
        Warn(s.line, s.name, "",
             "IMPORT looks for " + canonical + ", never for this name: the section is not read");
        continue;
      }
      if (Written(table, n)) {
        CheckRecord(*def, s, n);
      } else {
        NotWritten(*def, s, n);
      }
    }
  }

  // Where the walk of a table ended: the numbers it tried are first up to
  // the returned one, inclusive.
  int32_t WalkEnd(const TableDef& def) {
    int32_t& cached = walkEnd_[static_cast<int>(def.table)];
    if (cached != 0) return cached;
    int32_t misses = 0;
    int32_t n = def.first;
    for (; n < def.limit; ++n) {
      if (misses >= 7 && n > def.alwaysTriedUpTo) break;
      bool present = NumberOf(SectionName(def.table, n)) >= 1;
      if (present && def.table == Table::kTank) {
        const FileScan::Section* tank = file_.Find(SectionName(def.table, n));
        present = NumberOf(SectionName(Table::kGrade, IntOf(*tank, "Grade"))) >= 1;
      }
      misses = present ? 0 : misses + 1;
    }
    cached = n - 1;
    return cached;
  }

  void NotWritten(const TableDef& def, const FileScan::Section& s, int32_t n) {
    FileScan::Found number = file_.FindKey(s, "Number");
    int32_t value = number.found ? Text(std::string(pl::Unquote(number.value))).ToInt() : 0;
    if (value < 1) {
      std::string shown = number.found ? std::string(pl::Unquote(number.value)) : std::string();
      Warn(number.found ? number.line : s.line, s.name, "Number",
           !number.found ? "no Number: IMPORT skips the section as absent"
           : shown == std::to_string(value)
               ? "Number " + shown + " is below 1: IMPORT skips the section as absent"
               : "Number " + Quoted(number.value) + " reads as " + std::to_string(value) +
                     ": IMPORT skips the section as absent");
      return;
    }
    if (def.table == Table::kZigBee && n < def.first) {
      Warn(s.line, s.name, "", "ZigBee01 to ZigBee04 are never read: IMPORT starts at ZigBee05");
      return;
    }
    if (n >= def.limit) {
      Warn(s.line, s.name, "",
           "never reached: IMPORT tries " + SectionName(def.table, def.first) + " to " +
               SectionName(def.table, def.limit - 1) + " only");
      return;
    }
    if (check_->prediction.result != 0 &&
        (def.table == Table::kPump || def.table == Table::kAttendant ||
         def.table == Table::kCardClient)) {
      Warn(s.line, s.name, "", "never reached: IMPORT stops before it (see the error)");
      return;
    }
    int32_t end = WalkEnd(def);
    if (def.table == Table::kTank && n <= end) {
      int32_t grade = IntOf(s, "Grade");
      FileScan::Found key = file_.FindKey(s, "Grade");
      Warn(key.found ? key.line : s.line, s.name, "Grade",
           "refers to grade " + std::to_string(grade) +
               ", which the file does not hold: IMPORT skips the tank");
      return;
    }
    Warn(s.line, s.name, "",
         "never reached: IMPORT stops looking after seven missing numbers, at " +
             SectionName(def.table, end));
  }

  // Checks a key that the import reads, and marks its line as read.
  // Returns that line, or 0 when the key is missing.
  int ReadKey(const FileScan::Section& s, const std::string& key, Kind kind, bool reportMissing,
              const char* missingText) {
    FileScan::Found f = file_.FindKey(s, key);
    if (!f.found) {
      if (reportMissing) Warn(s.line, s.name, key, missingText);
      return 0;
    }
    used_.push_back(f.line);
    const bool secret = EqualsIgnoringCase(key, "Password");
    // The line's key begins with the key: it is another key when it is longer.
    if (f.lineKey.size() != key.size()) {
      Warn(f.line, s.name, key,
           "the line " + std::string(f.lineKey) + " is read as " + key +
               (secret ? "" : ": IMPORT writes " + Quoted(pl::Unquote(f.value))));
      if (kind == Kind::kText) return f.line;
    }
    std::string_view v = pl::Unquote(f.value);
    if (kind == Kind::kText) return f.line;
    if (kind == Kind::kAmount) {
      Amount(s, key, f.line, v);
    } else {
      Integer(s, key, f.line, v, kind);
    }
    return f.line;
  }

  void Integer(const FileScan::Section& s, const std::string& key, int line, std::string_view v,
               Kind kind) {
    if (v.empty()) {
      Warn(line, s.name, key, "empty: IMPORT writes 0");
      return;
    }
    size_t i = 0;
    if (v[0] == '-' || v[0] == '+') i = 1;
    bool clean = i < v.size();
    int64_t exact = 0;
    for (size_t k = i; k < v.size(); ++k) {
      if (v[k] < '0' || v[k] > '9') {
        clean = false;
        break;
      }
      if (exact < (int64_t{1} << 40)) exact = exact * 10 + (v[k] - '0');
    }
    if (v[0] == '-') exact = -exact;
    // What the import passes; a clean number that fits needs no second reading.
    const int32_t read = clean && exact >= INT32_MIN && exact <= INT32_MAX
                             ? static_cast<int32_t>(exact)
                             : Text(std::string(v)).ToInt();
    if (!clean) {
      Warn(line, s.name, key,
           Quoted(v) + " is not a whole number: IMPORT reads it as " + std::to_string(read));
      return;
    }
    if (exact != read) {
      Warn(line, s.name, key,
           Quoted(v) + " wraps past 32 bits: IMPORT writes " + std::to_string(read));
      return;
    }
    if (kind == Kind::kInt16) {
      const int16_t low = static_cast<int16_t>(static_cast<uint16_t>(read));
      if (low != read) {
        Warn(line, s.name, key,
             Quoted(v) + " does not fit in 16 bits: IMPORT writes " + std::to_string(low));
      }
    }
  }

  void Amount(const FileScan::Section& s, const std::string& key, int line, std::string_view v) {
    if (v.empty()) {
      Warn(line, s.name, key, "empty: IMPORT writes 0");
      return;
    }
    const Value read = Value::Amount(static_cast<double>(pl::ToCurrency(v)) / 10000.0);
    size_t dot = v.find('.');
    bool clean = true;
    for (size_t k = 0; k < v.size(); ++k) {
      if (k == dot) continue;
      if (v[k] < '0' || v[k] > '9') clean = false;
    }
    if (dot == 0 || dot + 1 == v.size()) clean = false;
    if (!clean) {
      Warn(line, s.name, key,
           Quoted(v) + " is not an amount as IMPORT reads it (digits and one \".\"): "
                       "IMPORT writes " + read.Show());
      return;
    }
    if (dot != std::string_view::npos && v.size() - dot - 1 > 3) {
      Warn(line, s.name, key,
           Quoted(v) + " has more than three decimals: IMPORT writes " + read.Show());
    }
  }

  void CheckRecord(const TableDef& def, const FileScan::Section& s, int32_t n) {
    used_.clear();
    for (size_t i = 0; i < def.keyCount; ++i) {
      ReadKey(s, def.keys[i].key, def.keys[i].kind, true,
              def.keys[i].kind == Kind::kText ? "missing: IMPORT writes an empty text"
                                              : "missing: IMPORT writes 0");
    }
    int hoses = 0;
    if (def.table == Table::kGrade) Prices(s);
    if (def.table == Table::kPump) hoses = Hoses(s, n);
    References(def, s, n);
    OtherKeys(def, s, hoses);
  }

  void Prices(const FileScan::Section& s) {
    int level = 1;
    for (; level <= kPriceLevels; ++level) {
      char key[16];
      std::snprintf(key, sizeof key, "Price%02d", level);
      FileScan::Found f = file_.FindKey(s, key);
      if (!f.found) break;
      ReadKey(s, key, Kind::kAmount, false, "");
      if (pl::ToCurrency(pl::Unquote(f.value)) <= 0) {
        Warn(f.line, s.name, key, "not above 0: IMPORT writes no price from this level on");
        ++level;
        break;
      }
    }
    for (; level <= kPriceLevels; ++level) {
      char key[16];
      std::snprintf(key, sizeof key, "Price%02d", level);
      FileScan::Found f = file_.FindKey(s, key);
      if (f.found) {
        used_.push_back(f.line);
        Warn(f.line, s.name, key, "never reached: IMPORT stops at the first missing price level");
      }
    }
  }

  int Hoses(const FileScan::Section& s, int32_t pump) {
    int h = 1;
    for (; h <= kMaxHoses; ++h) {
      if (IntOf(s, HoseKey("Hose%dID", h)) < 1) break;
      for (const KeyDef& k : kHoseKeys) {
        std::string key = HoseKey(k.key, h);
        // The export leaves out prices up to 0.1: a missing price is not a fault.
        const bool price = k.kind == Kind::kAmount;
        ReadKey(s, key, k.kind, !price, "missing: IMPORT writes 0");
      }
      int32_t tank = IntOf(s, HoseKey("Hose%dTank", h));
      if (!Written(Table::kTank, tank) && writtenHoses_.count({pump, h}) == 0) {
        StopError(s, h, tank);
        return h;
      }
    }
    return h - 1;
  }

  void StopError(const FileScan::Section& s, int h, int32_t tank) {
    std::string why;
    std::string tankName = SectionName(Table::kTank, tank);
    const FileScan::Section* t = file_.Find(tankName);
    if (t == nullptr || tank < 1) {
      why = "which the file does not hold";
    } else if (IntOf(*t, "Number") < 1) {
      why = "whose Number is below 1";
    } else {
      why = "whose grade " + std::to_string(IntOf(*t, "Grade")) + " the file does not hold";
    }
    std::string key = HoseKey("Hose%dTank", h);
    Add(Finding::Level::kError, file_.FindKey(s, key).line, s.name, key,
        "Hose" + std::to_string(h) + " refers to tank " + std::to_string(tank) + ", " + why +
            ": IMPORT stops here, and writes nothing after it");
  }

  void Reference(const FileScan::Section& s, const char* key, Table target) {
    FileScan::Found f = file_.FindKey(s, key);
    if (!f.found) return;
    int32_t id = Text(std::string(pl::Unquote(f.value))).ToInt();
    if (id >= 1 && !Written(target, id)) {
      Warn(f.line, s.name, key,
           "refers to " + SectionName(target, id) +
               ", which the file does not hold: IMPORT passes it on untested");
    }
  }

  void References(const TableDef& def, const FileScan::Section& s, int32_t) {
    if (def.table == Table::kZigBee) Reference(s, "PortID", Table::kPort);
    if (def.table == Table::kPump) {
      Reference(s, "PortID", Table::kPort);
      Reference(s, "AttendantID", Table::kAttendant);
      Reference(s, "MuxSlotZigBeeID", Table::kZigBee);
    }
  }

  // A line of a key that the import reads from another line.
  void SecondLine(const FileScan::Section& s, const FileScan::KeyLine& k) {
    const std::string name(k.name);
    FileScan::Found read = file_.FindKey(s, name);
    Warn(k.line, s.name, name,
         !read.found ? "IMPORT does not read this line"
                     : "IMPORT reads " + name + " from line " + std::to_string(read.line) +
                           ", never from this one");
  }

  // Keys that the import does not read, and second lines of a key.
  void OtherKeys(const TableDef& def, const FileScan::Section& s, int hoses) {
    std::vector<std::string> known;
    for (size_t i = 0; i < def.keyCount; ++i) known.push_back(def.keys[i].key);
    std::vector<std::string> exportOnly;
    if (def.table == Table::kPort) exportOnly.assign(std::begin(kPortExportOnly), std::end(kPortExportOnly));
    if (def.table == Table::kZigBee) exportOnly.assign(std::begin(kZigBeeExportOnly), std::end(kZigBeeExportOnly));
    if (def.table == Table::kGrade) {
      for (int level = 1; level <= kPriceLevels; ++level) known.push_back(HoseKey("Price%02d", level));
    }
    std::set<int> hoseReported;
    for (const FileScan::KeyLine& k : file_.Keys(s)) {
      if (std::find(used_.begin(), used_.end(), k.line) != used_.end()) continue;
      // A line meant as a comment matches no key; it is no one's typo.
      if (k.name[0] == ';' || k.name[0] == '#') continue;
      std::string lower = Lower(k.name);
      const std::string keyName(k.name);
      bool isKnown = false;
      for (const std::string& name : known) isKnown = isKnown || Lower(name) == lower;
      if (isKnown) {
        SecondLine(s, k);
        continue;
      }
      bool written = false;
      for (const std::string& name : exportOnly) written = written || Lower(name) == lower;
      if (written) continue;  // EXPORT writes it for people; IMPORT has no use for it
      if (def.table == Table::kPump && lower.compare(0, 4, "hose") == 0) {
        int h = 0;
        size_t i = 4;
        while (i < lower.size() && lower[i] >= '0' && lower[i] <= '9' && h < 1000) {
          h = h * 10 + (lower[i++] - '0');
        }
        std::string rest = lower.substr(i);
        bool hoseKey = i > 4 && (rest == "id" || rest == "tank" || rest == "physicalnumber" ||
                                 rest == "reader" || rest == "price1" || rest == "price2" ||
                                 rest == "enabled");
        if (hoseKey && h > hoses) {
          if (hoseReported.insert(h).second) {
            Warn(k.line, s.name, keyName,
                 h > kMaxHoses ? "never reached: IMPORT reads hoses 1 to 8 only"
                               : "never reached: IMPORT stops at the first hose without a "
                                 "usable Hose" + std::to_string(hoses + 1) + "ID");
          }
          continue;
        }
        if (hoseKey) {
          SecondLine(s, k);
          continue;
        }
      }
      std::string nearest;
      size_t best = 3;
      std::vector<std::string> candidates = known;
      if (def.table == Table::kPump) {
        for (int h = 1; h <= kMaxHoses; ++h) {
          for (const KeyDef& hk : kHoseKeys) candidates.push_back(HoseKey(hk.key, h));
        }
      }
      for (const std::string& name : candidates) {
        size_t d = Distance(lower, Lower(name));
        if (d < best) {
          best = d;
          nearest = name;
        }
      }
      Warn(k.line, s.name, keyName,
           "unknown key" + (nearest.empty() ? std::string() : " (nearest known key: " + nearest + ")") +
               ": IMPORT does not read it");
    }
  }

  const FileScan& file_;
  FileCheck* check_;
  std::unordered_set<int32_t> written_[8];
  std::set<std::pair<int32_t, int32_t>> writtenHoses_;
  std::vector<int> used_;  // lines of the current section that the import reads
  int32_t walkEnd_[8] = {};
};

}  // namespace

bool CheckFile(const std::string& path, FileCheck* check, std::string* error) {
  *check = FileCheck();
  platform::FileLoad load;
  if (!platform::LoadFile(path, false, &load, error)) return false;
  if (!PredictImport(path, &check->prediction, error)) return false;
  FileScan file(std::move(load.bytes));
  Checker(file, check).Run();
  return true;
}
