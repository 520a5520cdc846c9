// The search and rewrite rules of the configuration file, byte for byte, on
// real files through CProfile.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TestFiles.h"
#include "profile/Profile.h"

namespace {

class ProfileRules : public ::testing::Test {
 protected:
  ScratchFolder folder_;
  std::string path_ = folder_.Path("station.ini");

  std::string Read(const std::string& file, const char* section, const char* key) {
    PutFile(path_, file);
    CProfile profile(path_.c_str(), false);
    profile.SetSection(section);
    Text value("stale");
    int length = profile.ReadString(key, value);
    EXPECT_EQ(length, value.Length());
    EXPECT_TRUE(value.IsPresent());
    return value.Narrow();
  }

  // Writes the pairs in order into the section and gives the saved bytes.
  std::string Write(const std::string& file, const char* section,
                    const std::vector<std::pair<const char*, const char*>>& pairs) {
    PutFile(path_, file);
    CProfile profile(path_.c_str(), true);
    profile.SetSection(section);
    for (const auto& pair : pairs) {
      EXPECT_EQ(static_cast<int>(std::string(pair.second).size()),
                profile.WriteString(pair.first, Text(pair.second)));
    }
    std::string error;
    EXPECT_TRUE(profile.Save(&error)) << error;
    return GetFile(path_);
  }
};

TEST_F(ProfileRules, ValueIsCutOfBlanksAndOnePairOfQuotes) {
  EXPECT_EQ("Pump 1", Read("[Pump01]\r\n  Name =  \"Pump 1\"  \r\n", "Pump01", "Name"));
  EXPECT_EQ("5", Read("[Port01]\r\nNumber 5\r\n", "Port01", "Number"));  // no "="
  EXPECT_EQ("=x", Read("[S]\nK==x\n", "S", "K"));                       // only one "=" skipped
  EXPECT_EQ("a\tb", Read("[S]\nK=a\tb \r \r\n", "S", "K"));
  EXPECT_EQ("", Read("[S]\nK=\"\"\n", "S", "K"));
  EXPECT_EQ("", Read("[S]\nK=\"\n", "S", "K"));
  EXPECT_EQ("a\"b", Read("[S]\nK=\"a\"b\"\n", "S", "K"));
  EXPECT_EQ("\"abc", Read("[S]\nK=\"abc\n", "S", "K"));
  EXPECT_EQ("Caf\xe9 \xc4", Read("[S]\r\nK=Caf\xe9 \xc4\r\n", "S", "K"));
  EXPECT_EQ("last", Read("[S]\r\nK=last", "S", "K"));
  // A NUL ends what is read of a line.
  EXPECT_EQ("ab", Read(std::string("[S]\r\nK=ab\0cd\r\n", 13), "S", "K"));
}

TEST_F(ProfileRules, KeysAreMatchedAsPrefixesWithoutRegardToCase) {
  // The character after the key is not examined: Price1 takes Price10's line.
  EXPECT_EQ("0=5", Read("[Grade01]\r\nPrice10=5\r\nPrice1=7\r\n", "Grade01", "Price1"));
  EXPECT_EQ("7", Read("[Grade01]\r\nprice1=7\r\n", "GRADE01", "PRICE1"));
  EXPECT_EQ("3", Read("[S]\r\n\r\n   \r\n  K=3\r\n", "S", "K"));
}

TEST_F(ProfileRules, HeadersAreMatchedWithTheirBracket) {
  const std::string file = "  [pump01] old pump\r\nA=1\r\n";
  EXPECT_EQ("1", Read(file, "Pump01", "A"));
  EXPECT_EQ("", Read("[Pump010]\r\nA=1\r\n", "Pump01", "A"));
  EXPECT_EQ("", Read("[Pump01\r\nA=1\r\n", "Pump01", "A"));
  EXPECT_EQ("2", Read("[Pump010]\r\nA=1\r\n[Pump01]\r\nA=2\r\n", "Pump01", "A"));
  // A name holding "]" is matched at that bracket.
  EXPECT_EQ("3", Read("[a]b]\r\nK=3\r\n", "a]b", "K"));
  EXPECT_EQ("3", Read("[a]b]\r\nK=3\r\n", "a", "K"));
}

TEST_F(ProfileRules, SearchStopsAtTheNextBracketLine) {
  EXPECT_EQ("", Read("[S]\r\nA=1\r\n[T]\r\nB=2\r\n", "S", "B"));
  EXPECT_EQ("", Read("[S]\r\nA=1\r\n  [not a section\r\nB=2\r\n", "S", "B"));
  EXPECT_EQ("[x", Read("[S]\r\nA=[x\r\nB=2\r\n", "S", "A"));
}

TEST_F(ProfileRules, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ("", Read("[S]\r\nA=1\r\n", "T", "A"));
  EXPECT_EQ("", Read("[S]\r\nA=1\r\n", "S", "B"));
  EXPECT_EQ("", Read("[S]\r\nA=1\r\n", "", "A"));
  CProfile missing(folder_.Path("none.ini").c_str(), false);
  missing.SetSection("S");
  Text value("stale");
  EXPECT_EQ(0, missing.ReadString("A", value));
  EXPECT_EQ(Text(""), value);
  EXPECT_EQ(0, missing.ReadInt("A"));
  EXPECT_EQ(0, missing.ReadCurrency("A").value);
}

TEST_F(ProfileRules, FirstOfTwoSectionsIsReadAndWritten) {
  const std::string file = "[S]\r\nA=1\r\n[s]\r\nA=2\r\n";
  EXPECT_EQ("1", Read(file, "S", "A"));
  EXPECT_EQ("[S]\r\nA=9\r\n[s]\r\nA=2\r\n", Write(file, "s", {{"A", "9"}}));
}

TEST_F(ProfileRules, EmptyFileGrowsByWholeLines) {
  EXPECT_EQ("\r\n[Port01]\r\nNumber=5\r\n", Write("", "Port01", {{"Number", "5"}}));
  EXPECT_EQ("\r\n[Port01]\r\nNumber=5\r\nName=COM1\r\n",
            Write(GetFile(path_), "Port01", {{"Name", "COM1"}}));
  EXPECT_EQ("\r\n[Port01]\r\nNumber=7\r\nName=COM1\r\n",
            Write(GetFile(path_), "Port01", {{"Number", "7"}}));
  EXPECT_EQ("\r\n[Port01]\r\nNumber=\r\nName=COM1\r\n",
            Write(GetFile(path_), "Port01", {{"Number", ""}}));
  EXPECT_EQ("\r\n[Port01]\r\nNumber=123456\r\nName=COM1\r\n",
            Write(GetFile(path_), "Port01", {{"Number", "123456"}}));
}

TEST_F(ProfileRules, ReplacementDropsBlankLinesBeforeTheKeyAndKeepsEveryLaterByte) {
  const std::string later =
      "Name=Caf\xe9\xff\r\n\r\n[Next]\n  odd line\r\n" + std::string("X=\0[y\r\n", 7) + "last";
  EXPECT_EQ("[S]\r\nA=1\r\nK=new value\r\n" + later,
            Write("[S]\r\nA=1\r\n\r\n  \r\nK=[old\r\n" + later, "S", {{"K", "new value"}}));
  // A key on an unterminated last line is replaced, not appended again.
  EXPECT_EQ("[S]\r\nK=2\r\n", Write("[S]\r\nK=1", "S", {{"K", "2"}}));
}

TEST_F(ProfileRules, InsertionGoesBeforeTheNextHeaderWithoutBlankLines) {
  EXPECT_EQ("[S]\r\nA=1\r\nB=2\r\n[T]\r\nX=1\r\n",
            Write("[S]\r\nA=1\r\n\r\n\r\n[T]\r\nX=1\r\n", "S", {{"B", "2"}}));
  EXPECT_EQ("[S]\r\nB=2\r\n[T]\r\n", Write("[S]\r\n\r\n[T]\r\n", "S", {{"B", "2"}}));
  // The next header on an unterminated last line.
  EXPECT_EQ("[S]\r\nA=1\r\nB=2\r\n[T]", Write("[S]\r\nA=1\r\n\r\n[T]", "S", {{"B", "2"}}));
}

TEST_F(ProfileRules, AppendingKeepsBlankLinesAndNeverJoinsLines) {
  EXPECT_EQ("[S]\r\nA=1\r\n\r\nB=2\r\n", Write("[S]\r\nA=1\r\n\r\n", "S", {{"B", "2"}}));
  EXPECT_EQ("[S]\r\nA=1\r\nB=2\r\n", Write("[S]\r\nA=1", "S", {{"B", "2"}}));
  EXPECT_EQ("[S]\nA=1\r\nB=2\r\n", Write("[S]\nA=1\r", "S", {{"B", "2"}}));
  EXPECT_EQ("[S]\r\nB=2\r\n", Write("[S]", "S", {{"B", "2"}}));
  // A new section's leading CR LF ends an unterminated last line itself.
  EXPECT_EQ("x=1\r\n[T]\r\nB=2\r\n", Write("x=1", "T", {{"B", "2"}}));
  EXPECT_EQ("[S]\nA=1\n\r\n[T]\r\nB=2\r\n", Write("[S]\nA=1\n", "T", {{"B", "2"}}));
}

TEST_F(ProfileRules, LongLinesAreReadWhole) {
  // A piece of the line after its first 1023 bytes that starts with "[" must
  // not end the section.
  const std::string value = std::string(1021, 'v') + "[Evil]" + std::string(3000, 'w');
  const std::string file = "[S]\r\nA=" + value + "\r\nB=2\r\n";
  EXPECT_EQ(value, Read(file, "S", "A"));
  EXPECT_EQ("2", Read(file, "S", "B"));
  EXPECT_EQ("[S]\r\nA=" + value + "\r\nB=3\r\n", Write(file, "S", {{"B", "3"}}));
  EXPECT_EQ("[S]\r\nA=1\r\nB=2\r\n", Write(file, "S", {{"A", "1"}}));
}

TEST_F(ProfileRules, WrittenValuesNeverStartALine) {
  const std::string file = Write("", "Port01", {{"Name", "COM1\r\n[GSC]\r\nHost=10.0.0.9\n\r"}});
  EXPECT_EQ("\r\n[Port01]\r\nName=COM1  [GSC]  Host=10.0.0.9  \r\n", file);
  EXPECT_EQ("", Read(file, "GSC", "Host"));
  // The value reads back with its blanks (the trailing ones cut).
  EXPECT_EQ("COM1  [GSC]  Host=10.0.0.9", Read(file, "Port01", "Name"));
}

TEST_F(ProfileRules, NamesThatWouldDamageTheFileAreNotWritten) {
  const std::string file = "[S]\r\nA=1\r\n";
  PutFile(path_, file);
  {
    CProfile profile(path_.c_str(), true);
    profile.SetSection("S");
    EXPECT_EQ(0, profile.WriteString("", Text("x")));
    EXPECT_EQ(0, profile.WriteString(nullptr, Text("x")));
    EXPECT_EQ(0, profile.WriteString(" [T]", Text("x")));
    EXPECT_EQ(0, profile.WriteString("A\r\nB", Text("x")));
    profile.SetSection("T\r\n[U");
    EXPECT_EQ(0, profile.WriteString("A", Text("x")));
    profile.SetSection("");
    EXPECT_EQ(0, profile.WriteString("A", Text("x")));
  }
  EXPECT_EQ(file, GetFile(path_));
}

TEST_F(ProfileRules, AbsentAndEmptyValuesAreWrittenAsNothing) {
  PutFile(path_, "");
  {
    CProfile profile(path_.c_str(), true);
    profile.SetSection("S");
    EXPECT_EQ(0, profile.WriteString("A", Text()));
    EXPECT_EQ(0, profile.WriteString("B", Text("")));
    // A NUL ends what is written of a value; a unit above one byte is "?".
    const char16_t units[] = {u'x', 0x263A, 0, u'y'};
    EXPECT_EQ(4, profile.WriteString("C", Text::FromUnits(units, 4)));
  }
  EXPECT_EQ("\r\n[S]\r\nA=\r\nB=\r\nC=x?\r\n", GetFile(path_));
}

TEST_F(ProfileRules, ReadOnlyProfileWritesNothing) {
  PutFile(path_, "[S]\r\nA=1\r\n");
  {
    CProfile profile(path_.c_str(), false);
    profile.SetSection("S");
    EXPECT_EQ(0, profile.WriteString("A", Text("2")));
    EXPECT_EQ(1, profile.ReadInt("A"));
    EXPECT_TRUE(profile.Save(nullptr));
  }
  EXPECT_EQ("[S]\r\nA=1\r\n", GetFile(path_));
}

TEST_F(ProfileRules, ReadIntScansDigitsSignsAndSeparators) {
  const std::vector<std::pair<const char*, int32_t>> cases = {
      {"1,234", 1234}, {" 42", 42},   {"-7", -7},   {"12-3", -123}, {"3.9", 3},
      {"Yes", 0},      {"0x1F", 0},   {"+5-", -5},  {"abc", 0},     {"", 0},
      {"\"-12\"", -12}, {"4294967297", 1}, {"2147483648", INT32_MIN}};
  for (const auto& c : cases) {
    PutFile(path_, std::string("[S]\r\nK=") + c.first + "\r\n");
    CProfile profile(path_.c_str(), false);
    profile.SetSection("S");
    EXPECT_EQ(c.second, profile.ReadInt("K")) << c.first;
    EXPECT_EQ(0, profile.ReadInt("Missing"));
  }
}

TEST_F(ProfileRules, ReadCurrencyScansDecimalsAndRoundsHalvesAway) {
  const std::vector<std::pair<std::string, int64_t>> cases = {
      {"1.2345", 12345},
      {"12.5", 125000},
      {"1,000.50", 10005000},
      {"", 0},
      {"-2.5", 0},
      {"+1", 0},
      {"0.00005", 1},
      {"0.00004", 0},
      {"2.00015", 20002},
      {"1.2.3", 12000},
      {"3 .1", 31000},
      {"1e5", 10000},
      {"\"4.5\"", 45000},
      {"123456789012.3456", 1234567890123456},
      {"922337203685477.5808", std::numeric_limits<int64_t>::max()},
      {std::string(400, '9'), std::numeric_limits<int64_t>::max()},
      {"0." + std::string(400, '9'), 10000}};
  for (const auto& c : cases) {
    PutFile(path_, "[S]\r\nK=" + c.first + "\r\n");
    CProfile profile(path_.c_str(), false);
    profile.SetSection("S");
    EXPECT_EQ(c.second, profile.ReadCurrency("K").value) << c.first;
  }
}

}  // namespace
