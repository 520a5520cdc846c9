// The property DIFF stands on: over two random files that differ by random
// edits of any key or section, and by what does not count (order, blank and
// comment lines, quotes, letter case, blanks, DateGenerated), DIFF names the
// places of the edited keys and nothing else, and exits 0 exactly when no
// edit was made (2 when a file would stop the import).
#include <algorithm>
#include <cstring>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "check/diff/DiffKeys.h"
#include "check/diff/FileDiff.h"
#include "check/report/Report.h"
#include "profile/ProfileLines.h"
#include "tests/support/E2E.h"

namespace {

namespace pl = profile_lines;

struct Sec {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};
using Station = std::vector<Sec>;

struct Gen {
  std::mt19937& rng;
  int Pick(int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); }
  bool Chance(int percent) { return Pick(0, 99) < percent; }
  static std::string Name(const char* pattern, int n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, pattern, n);
    return buffer;
  }
  std::string Amount() { return std::to_string(Pick(1, 3)) + "." + std::to_string(Pick(100, 999)); }
};

// A station without errors (or, with stop, one whose last hose names a tank
// the file lacks): price levels after the walk's end, sections IMPORT never
// reaches or does not read, keys only people read.
Station RandomClean(Gen& g, bool stop) {
  Station s{{"Application", {{"DateGenerated", "2026-01-01"}, {"Version", "22.02"}}}};
  for (int n = 1; n <= g.Pick(1, 3); ++n) {
    s.push_back({Gen::Name("Port%02d", n),
                 {{"Number", std::to_string(n)}, {"Name", "COM " + std::to_string(n)},
                  {"ProtocolID", "2"}, {"DeviceType", "1"}, {"FirmwareVersion", "PIF 3.1"}}});
  }
  const int grades = g.Pick(2, 3), tanks = g.Pick(2, 3);
  for (int n = 1; n <= grades; ++n) {
    Sec grade{Gen::Name("Grade%02d", n), {{"Number", std::to_string(n)}, {"Name", "G " + std::to_string(n)},
                                          {"ShortName", "G"}, {"Code", std::to_string(90 + n)}}};
    const int levels = g.Pick(1, 3);
    for (int l = 1; l <= levels; ++l) grade.keys.push_back({Gen::Name("Price%02d", l), g.Amount()});
    // The walk ends at a price not above 0; the levels after it stay unread.
    if (g.Chance(50)) {
      grade.keys.push_back({Gen::Name("Price%02d", levels + 1), "0.000"});
      grade.keys.push_back({Gen::Name("Price%02d", levels + 2), g.Amount()});
    }
    s.push_back(grade);
  }
  for (int n = 1; n <= tanks; ++n) {
    s.push_back({Gen::Name("Tank%02d", n),
                 {{"Number", std::to_string(n)}, {"Name", "T " + std::to_string(n)},
                  {"Grade", std::to_string(g.Pick(1, grades))}, {"Type", "1"},
                  {"Capacity", g.Amount()}, {"Diameter", g.Amount()}, {"TankGauge", "0"}, {"Probe", "0"}}});
  }
  s.push_back({"ZigBee02", {{"Number", "2"}, {"Name", "never read"}}});
  s.push_back({"TankGauge01", {{"Port", "1"}}});
  const int pumps = g.Pick(1, 3);
  for (int n = 1; n <= pumps; ++n) {
    Sec pump{Gen::Name("Pump%02d", n), {{"Number", std::to_string(n)}, {"Name", "Bomba"}}};
    for (const char* k : {"PhysicalNumber", "Side", "Address", "PumpType", "AuthMode"}) {
      pump.keys.push_back({k, std::to_string(g.Pick(1, 9))});
    }
    const int hoses = g.Pick(1, 3);
    for (int h = 1; h <= hoses; ++h) {
      const bool stops = stop && n == pumps && h == hoses;
      auto key = [&](const char* suffix, std::string v) {
        pump.keys.push_back({"Hose" + std::to_string(h) + suffix, std::move(v)});
      };
      key("ID", std::to_string(n * 10 + h));
      key("Tank", std::to_string(stops ? 99 : g.Pick(1, tanks)));
      key("PhysicalNumber", std::to_string(h));
      key("Reader", "0");
      key("Price1", g.Amount());
      key("Enabled", "1");
    }
    s.push_back(pump);
  }
  for (int n = 1; n <= g.Pick(1, 3); ++n) {
    s.push_back({Gen::Name("Attendant%02d", n),
                 {{"Number", std::to_string(n)}, {"Name", "A " + std::to_string(n)},
                  {"Password", std::to_string(g.Pick(1000, 9999))}, {"Enabled", "1"}}});
  }
  for (int n = 1; n <= g.Pick(1, 4); ++n) {
    s.push_back({Gen::Name("Client%03d", n), {{"Number", std::to_string(n)}, {"Tag", "C" + std::to_string(n)}}});
  }
  return s;
}

// The file's text, with what must not count: sections and keys in another
// order (later copies after the first), comment and blank lines, quotes
// around texts, letter case of names, blanks around values.
std::string Render(Station s, size_t firsts, Gen& g) {
  std::shuffle(s.begin(), s.begin() + static_cast<long>(firsts), g.rng);
  std::string out = g.Chance(50) ? "; made by hand\r\n" : "";
  for (Sec& sec : s) {
    std::shuffle(sec.keys.begin(), sec.keys.end(), g.rng);
    out += "\r\n[" + (g.Chance(20) ? pl::Lower(sec.name) : sec.name) + "]\r\n";
    for (const auto& k : sec.keys) {
      if (g.Chance(10)) out += g.Chance(50) ? "; note\r\n" : "\r\n";
      const bool text = k.second.find_first_not_of("0123456789.") != std::string::npos;
      const std::string value = text && g.Chance(30) ? "\"" + k.second + "\"" : k.second;
      out += (g.Chance(10) ? "  " : "") + (g.Chance(10) ? pl::Lower(k.first) : k.first) +
             (g.Chance(10) ? "= " : "=") + value + (g.Chance(10) ? "  \r\n" : "\r\n");
    }
  }
  return out;
}

std::string PlaceOf(const std::string& section, const std::string& key) {
  const std::string lower = pl::Lower(section);
  return key.empty() ? lower : PlaceOfKey(lower, pl::Lower(key), lower.compare(0, 4, "pump") == 0);
}

// Another value for a key: another tank or grade (every file here holds 1
// and 2), an amount or number far from the old one, a longer text.
void Change(std::pair<std::string, std::string>& key) {
  const std::string lower = pl::Lower(key.first);
  std::string& v = key.second;
  if (lower == "grade" || (lower.size() > 4 && lower.compare(lower.size() - 4, 4, "tank") == 0)) {
    v = v == "1" ? "2" : "1";
  } else if (v.find('.') != std::string::npos) {
    v = "9" + v;
  } else if (v.find_first_not_of("0123456789") == std::string::npos) {
    v = std::to_string(std::stoi(v) + 1000);
  } else {
    v += "x";
  }
}

// The index of a key of sec whose name passes test, or of any key.
template <typename Test>
size_t KeyWhere(const Sec& sec, Gen& g, Test test) {
  std::vector<size_t> found;
  for (size_t k = 0; k < sec.keys.size(); ++k) {
    if (test(pl::Lower(sec.keys[k].first), sec.keys[k].second)) found.push_back(k);
  }
  if (found.empty()) return static_cast<size_t>(g.Pick(0, static_cast<int>(sec.keys.size()) - 1));
  return found[static_cast<size_t>(g.Pick(0, static_cast<int>(found.size()) - 1))];
}

struct Kinds {
  int hoseIds = 0, afterWalk = 0, stopHose = 0, copies = 0;
};

// One counted edit of b (with a, for a second copy in both files): a key
// added, a second copy of a section, a hose's id, a price level after the
// walk, a key of the hose the import stops at, or any key's value. The
// place it is at.
std::string Edit(Station& a, Station& b, size_t firsts, Gen& g, Kinds* kinds) {
  const int kind = g.Pick(0, 9);
  const char* word = kind == 3 ? "pump" : kind == 4 ? "grade" : "";
  size_t at = static_cast<size_t>(g.Pick(1, static_cast<int>(firsts) - 1));
  for (size_t n = 1; n < firsts; ++n) {
    const bool stops = std::any_of(b[n].keys.begin(), b[n].keys.end(),
                                   [](const auto& k) { return k.second == "99"; });
    if ((kind == 5 && stops) ||
        (*word != 0 && pl::Lower(b[n].name).compare(0, std::strlen(word), word) == 0 && g.Chance(50))) {
      at = n;
    }
  }
  Sec& sec = b[at];
  const std::string name = sec.name;
  if (kind == 0) {
    sec.keys.push_back({"Remark", "added"});
    return PlaceOf(name, "Remark");
  }
  if (kind == 1 || kind == 2) {
    ++kinds->copies;
    b.push_back(sec);  // sec ends here
    if (kind == 1) return PlaceOf(name, "");
    a.push_back(a[at]);
    Change(b.back().keys[0]);
    return PlaceOf(name, b.back().keys[0].first);
  }
  size_t k = KeyWhere(sec, g, [&](const std::string& key, const std::string& v) {
    if (kind == 3) return key.compare(0, 4, "hose") == 0 && key.back() == 'd';
    if (kind == 4) return key.compare(0, 5, "price") == 0 && v == "0.000";
    if (kind == 5) return key.compare(0, 4, "hose") == 0 && v == "99";
    if (kind == 6) return v.find('.') != std::string::npos;
    return true;
  });
  if (kind == 4 && sec.keys[k].second == "0.000" && k + 1 < sec.keys.size()) {
    ++kinds->afterWalk;
    ++k;  // the level after the walk's end
  }
  kinds->hoseIds += kind == 3 && pl::Lower(sec.keys[k].first).back() == 'd' ? 1 : 0;
  kinds->stopHose += sec.keys[k].second == "99" ? 1 : 0;
  // The same amount written longer: IMPORT reads it alike, yet it is an edit.
  const bool longer = kind == 6 && sec.keys[k].second.find('.') != std::string::npos;
  if (longer) {
    sec.keys[k].second += "0";
  } else {
    Change(sec.keys[k]);
  }
  return PlaceOf(name, sec.keys[k].first);
}

}  // namespace

TEST(DiffProperty, NamesTheEditedPlacesOnly) {
  std::mt19937 rng(20261208);
  Gen g{rng};
  const std::string dir = e2e::TempDir();
  int counted = 0, stops = 0;
  Kinds kinds;
  for (int i = 0; i < 200; ++i) {
    const bool stop = g.Chance(30);
    Station a = RandomClean(g, stop);
    Station b = a;
    b[0].keys[0].second = "2026-02-02";  // DateGenerated
    std::set<std::string> edited;
    const size_t firsts = a.size();
    for (int e = g.Pick(0, 2); e > 0; --e) edited.insert(Edit(a, b, firsts, g, &kinds));
    FileCheck checks[2];
    std::string error;
    for (int f = 0; f < 2; ++f) {
      const std::string path = dir + "/" + std::to_string(f) + ".ini";
      e2e::WriteFile(path, Render(f == 0 ? a : b, firsts, g));
      ASSERT_TRUE(CheckFile(path, &checks[f], &error)) << error;
    }
    // The generator's files hold no error but the stop asked for.
    ASSERT_EQ(checks[0].errors > 0, stop) << i;
    const FilesDiff diff = DiffFiles(checks[0], checks[1]);
    std::set<std::string> named;
    for (const RecordChange& rc : diff.records.records) named.insert(pl::Lower(rc.record.Name()));
    for (const FileDifference& d : diff.others) {
      named.insert(PlaceOf(d.section, d.secret ? "Password" : d.key));
    }
    EXPECT_EQ(named, edited) << "file pair " << i;
    const int exit = DiffExitCode(diff.records, diff.others, checks[0], checks[1]);
    EXPECT_EQ(exit, checks[0].errors + checks[1].errors > 0 ? 2 : edited.empty() ? 0 : 1) << i;
    counted += edited.empty() ? 0 : 1;
    stops += stop ? 1 : 0;
  }
  EXPECT_GT(counted, 50);
  EXPECT_GT(stops, 5);
  // Each kind of edit is among them.
  EXPECT_GT(kinds.hoseIds, 5);
  EXPECT_GT(kinds.afterWalk, 5);
  EXPECT_GT(kinds.stopHose, 2);
  EXPECT_GT(kinds.copies, 5);
}
