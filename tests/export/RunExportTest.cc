// RunExport in process, through a scripted library in place of a controller.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "client/ClientLibraryWrapper.h"
#include "client/LibString.h"
#include "client/LinkedClientLibrary.h"
#include "export/ExportConfiguration.h"
#include "profile/Profile.h"
#include "tests/support/TestFiles.h"

namespace {

// One port whose properties the controller refuses; every call is kept in
// order. A call it does not answer reaches the linked library without a
// logon, which refuses it with a text of its own.
class RefusedPortProperties : public ClientLibraryWrapper {
 public:
  explicit RefusedPortProperties(ClientLibrary& target) : ClientLibraryWrapper(target) {}

  std::vector<std::string> calls;

  int32_t DllVersion(BSTR* version) override {
    calls.push_back("DllVersion");
    *version = ToLibraryString(Text("4.2.1"));
    return 0;
  }
  int32_t ServerVersion(BSTR* version) override {
    calls.push_back("ServerVersion");
    *version = ToLibraryString(Text("4.2.0"));
    return 0;
  }
  int32_t GetPortsCount(int32_t* count) override {
    calls.push_back("GetPortsCount");
    *count = 1;
    return 0;
  }
  int32_t GetPortByOrdinal(int32_t ordinal, int32_t* id) override {
    calls.push_back("GetPortByOrdinal " + std::to_string(ordinal));
    *id = 3;
    return 0;
  }
  int32_t GetPortProperties(int32_t id, int32_t*, BSTR*, int32_t*, int16_t*, BSTR*) override {
    calls.push_back("GetPortProperties " + std::to_string(id));
    return 9;
  }
  BSTR ResultString(int32_t code) override {
    calls.push_back("ResultString " + std::to_string(code));
    return ToLibraryString(Text("Port\tbusy"));
  }
};

// A refused call in the middle of a record: its line with the library's text
// (control characters shown as "?"), -1 and no "All done."; the calls stop at
// it, and what was written before it is saved.
TEST(RunExport, RefusedCallEndsTheRunAndKeepsWhatWasWritten) {
  ScratchFolder folder;
  const std::string path = folder.Path("site.ini");
  const std::string outPath = folder.Path("out.txt");
  LinkedClientLibrary linked;
  RefusedPortProperties library(linked);
  std::FILE* out = std::fopen(outPath.c_str(), "wb");
  ASSERT_NE(nullptr, out);
  int32_t result = 0;
  {
    CProfile profile(path.c_str(), true);
    std::string error;
    ASSERT_TRUE(profile.Open(&error)) << error;
    ExportOptions options;
    options.pam = true;
    result = RunExport(profile, library, out, options);
  }
  std::fclose(out);

  EXPECT_EQ(-1, result);
  EXPECT_EQ("GetPortProperties failed. - Port?busy.\n", GetFile(outPath));
  EXPECT_EQ(
      (std::vector<std::string>{"DllVersion", "ServerVersion", "GetPortsCount",
                                "GetPortByOrdinal 1", "GetPortProperties 3", "ResultString 9"}),
      library.calls);
  const std::string file = GetFile(path);
  EXPECT_NE(std::string::npos, file.find("ClientVersion=4.2.1\r\n")) << file;
  EXPECT_NE(std::string::npos, file.find("ServerVersion=4.2.0\r\n")) << file;
  EXPECT_NE(std::string::npos, file.find("[Pam]\r\n")) << file;
  EXPECT_EQ(std::string::npos, file.find("[Port03]")) << file;
}

}  // namespace
