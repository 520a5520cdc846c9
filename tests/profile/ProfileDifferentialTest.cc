// CProfile against the literal one-operation-at-a-time oracle: random files,
// random runs of section changes, reads and writes, with every read result and
// the final bytes compared.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/LiteralProfile.h"
#include "tests/support/TestFiles.h"
#include "profile/Profile.h"

namespace {

const std::vector<std::string> kSections = {
    "Port01", "port01", "Port010", "Port1", "Pump01", "a]b", "a", "X", "Gr\xe9", "", " Port01"};
const std::vector<std::string> kKeys = {
    "Number", "number", "Num", "NumberEx", "Price1", "Price10", "Name", "A", " A", "K=",
    "[bad", "a\rb", "N\xe9"};

class Generator {
 public:
  explicit Generator(uint32_t seed) : random_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  template <typename T>
  const T& Pick(const std::vector<T>& items) { return items[Below(static_cast<int>(items.size()))]; }

  std::string LineEnd() {
    switch (Below(6)) {
      case 0: return "\n";
      case 1: return "\r";  // a lone CR is part of the line
      default: return "\r\n";
    }
  }

  std::string Value() {
    static const std::vector<std::string> kValues = {
        "", "5", "7", "COM1", "\"Pump 1\"", "\"", "\"\"", "[Port02]", "1,234.5", "-7", "  x  ",
        "Caf\xe9\xff", "a\r\n[Port01]\r\nNumber=666", "\t", "0.00005", "x\ny", std::string("a\0b", 3)};
    if (Below(25) == 0) return std::string(1000 + Below(3000), 'v') + (Below(2) ? "[X]" : "");
    return Pick(kValues);
  }

  std::string Line() {
    std::string indent(Below(4) == 0 ? Below(3) : 0, ' ');
    switch (Below(10)) {
      case 0:
      case 1: {
        std::string name = Pick(kSections);
        if (Below(8) == 0) name += "0";
        return indent + "[" + name + (Below(10) ? "]" : "") + (Below(4) == 0 ? " tail" : "");
      }
      case 2: return indent;  // blank line, or an empty last line
      case 3: return std::string(Below(2000) + 1000, Below(2) ? ' ' : 'z') + "[Port01]";
      case 4: return indent + "\xc4\xd6\xdc=\xe9";
      case 5: return indent + std::string("Name\0[x", 7);
      default: {
        std::string key = Pick(kKeys);
        if (key.find_first_of("\r\n") != std::string::npos) key = "A";
        return indent + key + std::string(Below(2), ' ') + (Below(6) ? "=" : "") +
               std::string(Below(2), ' ') + Value();
      }
    }
  }

  std::string File() {
    std::string file;
    int lines = Below(30);
    for (int i = 0; i < lines; ++i) {
      std::string line = Line();
      // Values may hold line ends of their own: they just make more lines.
      file += line + LineEnd();
    }
    if (Below(3) == 0) file += Line();  // an unterminated last line
    return file;
  }

 private:
  std::mt19937 random_;
};

TEST(ProfileDifferential, MatchesTheLiteralRulesOnRandomRuns) {
  ScratchFolder folder;
  const std::string fast_path = folder.Path("fast.ini");
  const std::string slow_path = folder.Path("slow.ini");
  int writes = 0;
  int reads = 0;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    Generator g(seed);
    const std::string initial = g.File();
    const bool missing = g.Below(20) == 0;
    if (missing) {
      unlink(fast_path.c_str());
      unlink(slow_path.c_str());
    } else {
      PutFile(fast_path, initial);
      PutFile(slow_path, initial);
    }
    const bool writable = g.Below(8) != 0;
    auto fast = std::make_unique<CProfile>(fast_path.c_str(), writable);
    LiteralProfile slow(slow_path, writable);
    std::string section;
    const int operations = g.Below(80);
    for (int op = 0; op < operations; ++op) {
      SCOPED_TRACE("seed " + std::to_string(seed) + " op " + std::to_string(op));
      switch (g.Below(12)) {
        case 0:
        case 1:
          section = g.Pick(kSections);
          if (g.Below(10) == 0) section = "New" + std::to_string(g.Below(5));
          if (g.Below(30) == 0) section = "S\r\n[T";
          fast->SetSection(section.c_str());
          slow.SetSection(section);
          break;
        case 2: {
          const std::string& key = g.Pick(kKeys);
          ++reads;
          Text value;
          fast->ReadString(key.c_str(), value);
          std::string expected = slow.ReadString(key);
          ASSERT_EQ(Text(expected), value) << "key " << key;
          EXPECT_EQ(Text(expected).ToInt(), fast->ReadInt(key.c_str()));
          EXPECT_EQ(slow.ReadCurrency(key), fast->ReadCurrency(key.c_str()).value);
          break;
        }
        case 3:
          if (g.Below(4) == 0) {
            ASSERT_TRUE(fast->Save(nullptr));
          } else if (g.Below(4) == 0) {
            // A new profile on the file: the old one saves what it holds.
            fast = std::make_unique<CProfile>(fast_path.c_str(), writable);
            fast->SetSection(section.c_str());
          }
          break;
        default: {
          const std::string& key = g.Pick(kKeys);
          const std::string value = g.Value();
          ++writes;
          const Text text(value);
          const bool wrote = slow.WriteString(key, value);
          ASSERT_EQ(wrote ? text.Length() : 0, fast->WriteString(key.c_str(), text))
              << "key " << key;
        }
      }
    }
    ASSERT_TRUE(fast->Save(nullptr)) << "seed " << seed;
    fast.reset();
    ASSERT_EQ(Exists(slow_path), Exists(fast_path)) << "seed " << seed;
    ASSERT_EQ(GetFile(slow_path), GetFile(fast_path)) << "seed " << seed;
  }
  EXPECT_GT(writes, 5000);
  EXPECT_GT(reads, 1000);
}

}  // namespace
