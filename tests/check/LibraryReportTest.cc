// TarvoCheck LIBRARY's report through a scripted library: what it shows of
// the file and the functions, and which failure ends it with -1.
#include "check/cli/LibraryReport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "client/ClientLibraryWrapper.h"
#include "client/LibString.h"
#include "client/LinkedClientLibrary.h"

namespace {

LinkedClientLibrary gLinked;

// Answers the three calls LIBRARY makes, the versions only after a logon;
// the logon fails for "bad". Counts the calls made before a logon.
class Scripted : public ClientLibraryWrapper {
 public:
  explicit Scripted(std::string dllVersion = "4.1.7")
      : ClientLibraryWrapper(gLinked), dllVersion_(std::move(dllVersion)) {}
  static int callsBeforeLogon;
  int32_t ClientLogonEx(int32_t, int32_t, BSTR server, int32_t, int32_t, int32_t, int32_t, int32_t,
                        int32_t) override {
    loggedOn_ = TextFromLibraryString(server).Narrow() != "bad";
    return loggedOn_ ? 0 : 5;
  }
  int32_t DllVersion(BSTR* version) override { return Answer(dllVersion_, version); }
  int32_t ServerVersion(BSTR* version) override { return Answer("9.0", version); }
  BSTR ResultString(int32_t code) override {
    return ToLibraryString(Text("code " + std::to_string(code)));
  }

 private:
  int32_t Answer(const std::string& text, BSTR* version) {
    if (!loggedOn_) {
      ++callsBeforeLogon;
      return 9;
    }
    *version = ToLibraryString(Text(text));
    return 0;
  }
  std::string dllVersion_;
  bool loggedOn_ = false;
};
int Scripted::callsBeforeLogon = 0;

ClientBinding Usable() {
  ClientBinding binding;
  binding.library = std::make_unique<Scripted>();
  binding.path = "C:\\Station\\TarvoClient.dll";
  binding.fileVersion = "22.2.0.0";
  binding.bits = 32;
  binding.functions = {{"ClientLogonEx", "_ClientLogonEx@36"}, {"DllVersion", "DllVersion"}};
  return binding;
}

TEST(LibraryReport, ShowsTheFileTheFunctionsAndTheVersions) {
  std::string text;
  EXPECT_EQ(DescribeLibrary(Usable(), nullptr, &text), 0);
  EXPECT_EQ(text,
            "Client library: C:\\Station\\TarvoClient.dll\n"
            "File version:   22.2.0.0\n"
            "Bitness:        32-bit\n"
            "Functions:      2 of 2 found\n"
            "  ClientLogonEx             _ClientLogonEx@36\n"
            "  DllVersion                DllVersion\n"
            "DllVersion:     needs a server: TarvoCheck LIBRARY <server> logs on and asks it\n");

  const std::string server = "127.0.0.1:5123";
  text.clear();
  EXPECT_EQ(DescribeLibrary(Usable(), &server, &text), 0);
  EXPECT_NE(text.find("Bitness:        32-bit\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  DllVersion                DllVersion\n"
                      "Logon:          127.0.0.1:5123 done\n"
                      "DllVersion:     4.1.7\n"
                      "ServerVersion:  9.0\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(Scripted::callsBeforeLogon, 0);
}

// The project's stand-in says so by its version resource (Windows) or, after
// a logon, by its DllVersion text; of a maker's library nothing is claimed.
TEST(LibraryReport, TellsTheProjectsStandIn) {
  const std::string line =
      "Stand-in:       the project's stand-in, which talks to tarvo-emulator only; a station "
      "needs the maker's library\n";
  const std::string server = "127.0.0.1:5123";
  ClientBinding described = Usable();
  described.fileDescription = "TarvoClient stand-in library (talks to tarvo-emulator)";
  ClientBinding answered = Usable();
  answered.library = std::make_unique<Scripted>("TarvoClient stand-in (tarvo-emulator)");
  struct Case {
    const ClientBinding* binding;
    const std::string* server;
    bool standIn;
  };
  for (const Case& c : {Case{&described, nullptr, true}, Case{&answered, nullptr, false},
                        Case{&answered, &server, true}}) {
    std::string text;
    nlohmann::ordered_json facts;
    EXPECT_EQ(DescribeLibrary(*c.binding, c.server, &text, &facts), 0);
    EXPECT_EQ(text.find(line) != std::string::npos, c.standIn) << text;
    EXPECT_EQ(text.find(line), text.rfind(line)) << text;
    EXPECT_EQ(facts["standIn"], c.standIn ? nlohmann::ordered_json(true)
                                          : nlohmann::ordered_json(nullptr));
  }
  std::string text;
  nlohmann::ordered_json facts;
  EXPECT_EQ(DescribeLibrary(Usable(), &server, &text, &facts), 0);
  EXPECT_TRUE(facts["standIn"].is_null());
  EXPECT_EQ(text.find("Stand-in"), std::string::npos) << text;
  EXPECT_EQ(Scripted::callsBeforeLogon, 0);
}

TEST(LibraryReport, AnUnusableLibraryOrAFailedLogonEndsWithMinusOne) {
  ClientBinding incomplete = Usable();
  incomplete.library.reset();
  incomplete.functions[1].foundAs.clear();
  incomplete.problem = "TarvoClient.dll has no function DllVersion: use the maker's.";
  std::string text;
  EXPECT_EQ(DescribeLibrary(incomplete, nullptr, &text), -1);
  EXPECT_NE(text.find("Functions:      1 of 2 found\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  DllVersion                (missing)\n"
                      "TarvoClient.dll has no function DllVersion: use the maker's.\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("\nDllVersion:"), std::string::npos) << text;
  // The same as JSON keys, the first failure as the document's error.
  nlohmann::ordered_json facts;
  std::string failure;
  text.clear();
  EXPECT_EQ(DescribeLibrary(incomplete, nullptr, &text, &facts, &failure), -1);
  EXPECT_EQ(facts["functions"][1],
            (nlohmann::ordered_json{{"name", "DllVersion"}, {"foundAs", nullptr}}));
  EXPECT_EQ(facts["bits"], 32);
  EXPECT_TRUE(facts["dllVersion"].is_null());
  EXPECT_EQ(failure, incomplete.problem);

  const std::string bad = "bad";
  text.clear();
  EXPECT_EQ(DescribeLibrary(Usable(), &bad, &text), -1);
  EXPECT_NE(text.find("Logon to bad failed - code 5.\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("ServerVersion"), std::string::npos) << text;
}

}  // namespace
