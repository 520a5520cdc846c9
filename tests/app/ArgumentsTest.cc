#include "app/Arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

RunSettings Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "TarvoExtract");
  return ParseArguments(static_cast<int>(args.size()), args.data());
}

struct Flags {
  bool pam, company, gsc, ipt;
};

void ExpectFlags(const Flags& expected, const RunSettings& s, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(expected.pam, s.pam);
  EXPECT_EQ(expected.company, s.company);
  EXPECT_EQ(expected.gsc, s.gsc);
  EXPECT_EQ(expected.ipt, s.ipt);
}

TEST(Arguments, UsageWhenTooFewOrNoFileName) {
  EXPECT_EQ(RunSettings::Usage::kTooFew, Parse({}).usage);
  EXPECT_EQ(RunSettings::Usage::kTooFew, Parse({"EXPORT"}).usage);
  EXPECT_EQ(RunSettings::Usage::kTooFew, Parse({"a.ini"}).usage);
  EXPECT_EQ(RunSettings::Usage::kNoFileName, Parse({"EXPORT", "/GSC"}).usage);
  EXPECT_EQ(RunSettings::Usage::kNoFileName, Parse({"EXPORT", ""}).usage);
  EXPECT_EQ(RunSettings::Usage::kNoFileName, Parse({"import", "version", "/ipt"}).usage);
  EXPECT_EQ(RunSettings::Usage::kNone, Parse({"a.ini", "srv"}).usage);
}

TEST(Arguments, KeywordsInAnyPositionAndCase) {
  RunSettings s = Parse({"site.ini", "export"});
  EXPECT_FALSE(s.importCommand);
  EXPECT_EQ("site.ini", s.fileName.Narrow());
  EXPECT_EQ("127.0.0.1", s.server.Narrow());

  s = Parse({"site.ini", "station-7"});  // no command word: export
  EXPECT_FALSE(s.importCommand);
  EXPECT_FALSE(s.versionOnly);
  EXPECT_EQ("site.ini", s.fileName.Narrow());
  EXPECT_EQ("station-7", s.server.Narrow());

  s = Parse({"a.ini", "iMpOrT"});
  EXPECT_TRUE(s.importCommand);
  s = Parse({"IMPORT", "a.ini", "EXPORT"});
  EXPECT_FALSE(s.importCommand);

  // Only whole keywords count; look-alikes are ordinary arguments.
  s = Parse({"EXPORTS", "/XYZ", "/PAMX", "IMPORT_"});
  EXPECT_EQ("EXPORTS", s.fileName.Narrow());
  EXPECT_EQ("IMPORT_", s.server.Narrow());
  EXPECT_FALSE(s.pam);
  EXPECT_FALSE(s.importCommand);
}

TEST(Arguments, FileNameThenLastServerWins) {
  RunSettings s = Parse({"IMPORT", "a.ini", "srv1", "srv2"});
  EXPECT_TRUE(s.importCommand);
  EXPECT_EQ("a.ini", s.fileName.Narrow());
  EXPECT_EQ("srv2", s.server.Narrow());

  // An empty argument before the file name does not take its place.
  s = Parse({"EXPORT", "", "a.ini", "srv"});
  EXPECT_EQ(RunSettings::Usage::kNone, s.usage);
  EXPECT_EQ("a.ini", s.fileName.Narrow());
  EXPECT_EQ("srv", s.server.Narrow());

  // After the file name, an empty argument is a server like any other.
  s = Parse({"EXPORT", "a.ini", "srv", ""});
  EXPECT_TRUE(s.server.IsPresent());
  EXPECT_EQ("", s.server.Narrow());
}

TEST(Arguments, VersionFlagStaysSetAndCommandFollowsTheLastWord) {
  RunSettings s = Parse({"VERSION", "IMPORT", "a.ini"});
  EXPECT_TRUE(s.versionOnly);
  EXPECT_TRUE(s.importCommand);

  s = Parse({"IMPORT", "VERSION", "a.ini"});
  EXPECT_TRUE(s.versionOnly);
  EXPECT_FALSE(s.importCommand);

  s = Parse({"version", "a.ini", "EXPORT"});
  EXPECT_TRUE(s.versionOnly);
  EXPECT_FALSE(s.importCommand);

  EXPECT_FALSE(Parse({"EXPORT", "a.ini"}).versionOnly);
}

TEST(Arguments, OptionImplications) {
  ExpectFlags({false, false, false, false}, Parse({"EXPORT", "a.ini"}), "none");
  ExpectFlags({true, false, true, true}, Parse({"EXPORT", "a.ini", "/IPT", "/COMPANY"}),
              "/IPT /COMPANY");
  ExpectFlags({false, true, false, false}, Parse({"EXPORT", "a.ini", "/COMPANY"}), "/COMPANY");
  ExpectFlags({true, false, false, false}, Parse({"EXPORT", "a.ini", "/Company", "/PAM"}),
              "/Company /PAM");
  ExpectFlags({false, true, false, false}, Parse({"EXPORT", "a.ini", "/pam", "/company"}),
              "/pam /company");
  ExpectFlags({true, false, true, false}, Parse({"/company", "/gsc", "a.ini", "EXPORT"}),
              "/company /gsc");
  ExpectFlags({true, false, true, true}, Parse({"/ipt", "a.ini"}), "/ipt alone");
  ExpectFlags({true, false, false, false}, Parse({"/PAM", "a.ini", "/PAM"}), "/PAM twice");
}

}  // namespace
