#include "app/Driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/LinkedClientLibrary.h"

namespace {

struct Call {
  std::string procedure;
  std::string path;
  bool pam = false, company = false, gsc = false, ipt = false;
  bool versionOnly = false;
  const ClientLibrary* library = nullptr;
};
Call gLastCall;

int32_t FakeImport(const char* path, ClientLibrary& library) {
  gLastCall = Call{"import", path};
  gLastCall.library = &library;
  return 7;
}

int32_t FakeExport(const char* path, ClientLibrary& library, const ExportOptions& options) {
  gLastCall = Call{"export", path, options.pam, options.company, options.gsc, options.ipt,
                   options.versionOnly, &library};
  return -1;
}

// The library the driver hands to the procedure; never called here.
LinkedClientLibrary gLibrary;

Call DispatchOf(std::vector<const char*> args, int32_t* result = nullptr) {
  args.insert(args.begin(), "TarvoExtract");
  gLastCall = Call{};
  const int32_t r = Dispatch(ParseArguments(static_cast<int>(args.size()), args.data()),
                             gLibrary, Procedures{FakeImport, FakeExport});
  if (result != nullptr) *result = r;
  return gLastCall;
}

TEST(Dispatch, RunsOneProcedureAndReturnsItsResult) {
  int32_t result = 0;
  Call c = DispatchOf({"VERSION", "IMPORT", "a.ini"}, &result);
  EXPECT_EQ("import", c.procedure);
  EXPECT_EQ("a.ini", c.path);
  EXPECT_EQ(7, result);
  EXPECT_EQ(&gLibrary, c.library);

  c = DispatchOf({"IMPORT", "VERSION", "b.ini", "/IPT"}, &result);
  EXPECT_EQ("export", c.procedure);
  EXPECT_EQ("b.ini", c.path);
  EXPECT_EQ(-1, result);
  EXPECT_EQ(&gLibrary, c.library);
  EXPECT_TRUE(c.versionOnly);
  EXPECT_TRUE(c.pam);
  EXPECT_FALSE(c.company);
  EXPECT_TRUE(c.gsc);
  EXPECT_TRUE(c.ipt);

  // Flags reach the export in their own places, not shifted.
  c = DispatchOf({"c.ini", "/COMPANY"});
  EXPECT_EQ("export", c.procedure);
  EXPECT_FALSE(c.pam);
  EXPECT_TRUE(c.company);
  EXPECT_FALSE(c.gsc);
  EXPECT_FALSE(c.ipt);
  EXPECT_FALSE(c.versionOnly);
}

TEST(Dispatch, PathBytesPassThroughUnchanged) {
  Call c = DispatchOf({"EXPORT", "C:\\Station \xE9t\xE9\\site.ini"});
  EXPECT_EQ("C:\\Station \xE9t\xE9\\site.ini", c.path);
}


}  // namespace
