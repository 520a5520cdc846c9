// TarvoExtract's lines: the bytes a file or a pipe receives, and the UTF-8
// a console is given, for the two kinds of text a line holds.
#include "client/ConsoleLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/TestFiles.h"

namespace {

TEST(ConsoleLine, BytesStayAsTheyAreAndBecomeTheirCharactersOnAConsole) {
  // A UTF-8 path (Łódź), then a library text of one byte per character:
  // "Café" with its 0xE9, a 0x80 and a 0xFF, and plain ASCII.
  const std::string path = "C:\\Stacja \xC5\x81\xC3\xB3\x64\xC5\xBA.ini";
  const std::string library = "Caf\xE9 \x80\xFF ok";
  ConsoleLine line;
  line.Utf8("Cannot read ").Utf8(path).Utf8(" - ").Bytes(library).Utf8(".\n");
  EXPECT_EQ(line.AsBytes(), "Cannot read " + path + " - " + library + ".\n");
  EXPECT_EQ(line.AsUtf8(),
            "Cannot read " + path + " - Caf\xC3\xA9 \xC2\x80\xC3\xBF ok.\n");

  // To a file (never a console here): the bytes, in order with what the
  // stream holds already.
  ScratchFolder folder;
  std::FILE* out = std::fopen(folder.Path("out.txt").c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fputs("before\n", out);
  PrintLine(out, line);
  std::fputs("after\n", out);
  std::fclose(out);
  EXPECT_EQ(GetFile(folder.Path("out.txt")), "before\n" + line.AsBytes() + "after\n");
}

}  // namespace
