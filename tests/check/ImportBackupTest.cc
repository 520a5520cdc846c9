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
#include "tests/support/TestFiles.h"

namespace {

using file_encoding::Mark;

// Every call succeeds: each count and identifier is 1 (a port and a ZigBee
// device 5, where the walks begin), each amount 1.5 and each text `text`, so
// that EXPORT writes one record of each table.
class OneOfEach : public ClientLibrary {
 public:
  explicit OneOfEach(std::u16string text) : text_(std::move(text)) {}
#define TARVO_ANSWER(result, name, parameters, arguments) \
  result name parameters override {                       \
    call_ = #name;                                        \
    return Answer<result> arguments;                      \
  }
  TARVO_CLIENT_FUNCTIONS(TARVO_ANSWER)
#undef TARVO_ANSWER

 private:
  template <typename Result, typename... Args>
  Result Answer(Args... args) {
    (Fill(args), ...);
    return Result{};
  }
  template <typename T>
  void Fill(T) {}
  void Fill(int32_t* v) {
    const bool five = std::strcmp(call_, "GetPortByOrdinal") == 0 ||
                      std::strcmp(call_, "GetZigBeeByOrdinal") == 0;
    *v = five ? 5 : 1;
  }
  void Fill(int16_t* v) { *v = 1; }
  void Fill(double* v) { *v = 1.5; }
  void Fill(BSTR* v) {
    *v = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text_.data()),
                           static_cast<uint32_t>(text_.size()));
  }

  std::u16string text_;
  const char* call_ = "";
};

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
    OneOfEach controller(c.text);
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
  OneOfEach controller(u"Caf\u00e9");
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
