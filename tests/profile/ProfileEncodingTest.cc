// Files as editors save them: a UTF-8 or UTF-16 byte-order mark says how the
// file's texts are encoded, and the file keeps its mark and its encoding.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestFiles.h"
#include "profile/Profile.h"

namespace {

// The units as UTF-16 bytes in the given byte order.
std::string Utf16(const std::u16string& units, bool bigEndian) {
  std::string bytes;
  for (char16_t u : units) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

Text Units(const std::u16string& units) {
  return Text::FromUnits(units.data(), static_cast<int>(units.size()));
}

TEST(ProfileEncoding, Utf8MarkedFileIsReadAndWrittenAsUtf8AndKeepsItsMark) {
  ScratchFolder folder;
  const std::string path = folder.Path("utf8.ini");
  // The last line holds bytes of no valid sequence: a Latin-1 letter, a lead
  // byte without its continuation, an overlong form and a lone surrogate.
  const std::string kept =
      "\xEF\xBB\xBF[Application]\r\nName=Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\r\n"
      "Bad=\xE9\xC3(\xC0\xAF\xED\xA0\x80\r\n";
  PutFile(path, kept + "[Pump01]\r\nName=x\r\n");
  {
    CProfile profile(path.c_str(), true);
    profile.SetSection("Application");  // the first section, right after the mark
    Text value;
    EXPECT_EQ(9, profile.ReadString("Name", value));
    EXPECT_EQ(Units(u"Caf\u00e9 \u20ac \U0001F600"), value);
    profile.ReadString("Bad", value);
    EXPECT_EQ(Units(u"\u00e9\u00c3(\u00c0\u00af\xD800"), value);

    profile.SetSection("Pump01");
    EXPECT_EQ(4, profile.WriteString("Name", Units(u"\u0141odz")));
    EXPECT_EQ(4, profile.WriteString("Grade", Text("Caf\xe9")));
    profile.SetSection("Gr\xe9");  // names too: each byte one character
    EXPECT_EQ(1, profile.WriteString("K\xe9", Text("1")));
    std::string error;
    EXPECT_TRUE(profile.Save(&error)) << error;
  }
  EXPECT_EQ(kept +
                "[Pump01]\r\nName=\xC5\x81odz\r\nGrade=Caf\xC3\xA9\r\n"
                "\r\n[Gr\xC3\xA9]\r\nK\xC3\xA9=1\r\n",
            GetFile(path));

  CProfile reader(path.c_str(), false);
  reader.SetSection("Gr\xe9");
  EXPECT_EQ(1, reader.ReadInt("K\xe9"));
}

TEST(ProfileEncoding, Utf16MarkedFilesAreReadAndSavedInTheirByteOrder) {
  ScratchFolder folder;
  for (bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "big endian" : "little endian");
    const std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    const std::string path = folder.Path(bigEndian ? "be.ini" : "le.ini");
    // A lone surrogate and an odd last byte are carried as they are.
    PutFile(path, mark +
                      Utf16(u"[Grade01]\r\nName=Caf\u00e9 \u20ac\r\nPrice01=1.259\r\n"
                            u"Odd=\xDC00\r\n",
                            bigEndian) +
                      "A");
    {
      CProfile profile(path.c_str(), true);
      profile.SetSection("Grade01");
      Text value;
      EXPECT_EQ(6, profile.ReadString("Name", value));
      EXPECT_EQ(Units(u"Caf\u00e9 \u20ac"), value);
      EXPECT_EQ(12590, profile.ReadCurrency("Price01").value);
      EXPECT_EQ(4, profile.WriteString("Name", Units(u"\u0141odz")));
      EXPECT_EQ(3, profile.WriteString("Code", Text("95\xe9")));
    }
    EXPECT_EQ(mark +
                  Utf16(u"[Grade01]\r\nName=\u0141odz\r\nPrice01=1.259\r\nOdd=\xDC00\r\n"
                        u"Code=95\u00e9\r\n",
                        bigEndian) +
                  "A",
              GetFile(path));

    // A file that holds only the mark gets its first section in UTF-16.
    PutFile(path, mark);
    {
      CProfile profile(path.c_str(), true);
      profile.SetSection("S");
      profile.WriteString("K", Units(u"\u20ac"));
    }
    EXPECT_EQ(mark + Utf16(u"\r\n[S]\r\nK=\u20ac\r\n", bigEndian), GetFile(path));
  }
}

}  // namespace
