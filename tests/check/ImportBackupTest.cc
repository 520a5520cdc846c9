// The checked import's files through a scripted controller: the encoding a
// file takes from the controller's texts (one byte each, Unicode, a lone
// surrogate), a stamped name that is never replaced, and a file a stopped
// run left that is named and kept.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "check/guarded/CheckedImport.h"
#include "check/guarded/ReplayLibrary.h"
#include "client/ClientLibrary.h"
#include "profile/FileEncoding.h"
#include "tests/support/OneOfEachLibrary.h"
#include "tests/support/TestFiles.h"

namespace {

using file_encoding::Mark;

std::string Utf16Le(const std::u16string& units) {
  std::string bytes;
  for (char16_t u : units) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return bytes;
}

std::string Read(std::FILE* f) {
  std::string text(4096, '\0');
  std::rewind(f);
  text.resize(std::fread(&text[0], 1, text.size(), f));
  return text;
}

TEST(ImportBackup, TheFileCarriesEveryTextAndReplacesNone) {
  const struct {
    std::u16string text;
    Mark mark;
    std::string line;  // as the file holds it
  } cases[] = {
      {u"Caf\u00e9", Mark::kNone, "\nName=Caf\xE9\r\n"},
      {u"\u0141\u00f3d\u017a \U0001F600", Mark::kUtf8, "\nName=\u0141\u00f3d\u017a \U0001F600\r\n"},
      {std::u16string(u"A\xD800"
                      u"B"),
       Mark::kUtf16Le,
       Utf16Le(u"\nName=A\xD800"
               u"B\r\n")},
  };
  ScratchFolder folder;
  GuardedRun run;
  run.path = folder.Path("site.ini");
  run.out = std::fopen(folder.Path("out.txt").c_str(), "w+b");
  ASSERT_NE(run.out, nullptr);
  int n = 0;
  for (const auto& c : cases) {
    OneOfEachLibrary controller(c.text);
    ReplayLibrary library(controller);
    run.stamp = "S" + std::to_string(n++);
    BackupFile file;
    std::string error;
    ASSERT_TRUE(ExportWhole(run, "before", library, &file, &error)) << error;
    EXPECT_EQ(file.mark, c.mark);
    EXPECT_EQ(file.path, folder.Path("site.before-" + run.stamp + ".ini"));
    const std::string bytes = GetFile(file.path);
    EXPECT_EQ(bytes.rfind(file_encoding::MarkBytes(c.mark), 0), 0u);
    EXPECT_NE(bytes.find(c.line), std::string::npos) << bytes;
    EXPECT_FALSE(Exists(folder.Path("site.before.partial")));
  }

  // A name taken is never replaced, and a file a stopped run left is kept.
  PutFile(folder.Path("site.before.partial"), "a user's file");
  OneOfEachLibrary controller(u"Caf\u00e9");
  ReplayLibrary library(controller);
  BackupFile file;
  std::string error;
  ASSERT_TRUE(ExportWhole(run, "before", library, &file, &error)) << error;
  EXPECT_EQ(file.path, folder.Path("site.before-S2-2.ini"));
  EXPECT_EQ(GetFile(folder.Path("site.before.partial")), "a user's file");
  EXPECT_NE(Read(run.out).find("Left by a stopped run, not removed (look at it, then delete it): " +
                               folder.Path("site.before.partial") + "\n"),
            std::string::npos);
  std::fclose(run.out);
}

}  // namespace
