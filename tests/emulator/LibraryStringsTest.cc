// Library strings: the shared memory layout, who owns what, and texts that
// UTF-8 carries only with care. Run under AddressSanitizer or valgrind to see
// every string freed exactly once.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/emulator/LibTest.h"

namespace {

using libtest::In;
using libtest::Logon;
using libtest::Out;

TEST(LibraryStrings, LayoutIsLengthPrefixedAndTerminated) {
  const char16_t text[] = u"Caf\u00e9";
  BSTR s = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text), 4);
  ASSERT_NE(s, nullptr);
  uint32_t bytes = 0;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(s) - 4, 4);
  EXPECT_EQ(bytes, 8u);
  EXPECT_EQ(SysStringLen(s), 4u);
  EXPECT_EQ(s[3], 0xE9);
  EXPECT_EQ(s[4], 0);
  SysFreeString(s);

  BSTR zeros = SysAllocStringLen(nullptr, 3);
  EXPECT_EQ(SysStringLen(zeros), 3u);
  EXPECT_EQ(zeros[0] | zeros[1] | zeros[2] | zeros[3], 0);
  SysFreeString(zeros);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(LibraryStrings, StringsFromEitherSideAreFreedByTheOther) {
  // A block made by hand with the shared layout is freed by the library.
  auto* block = static_cast<unsigned char*>(std::malloc(4 + 2 + 2));
  uint32_t bytes = 2;
  std::memcpy(block, &bytes, 4);
  OLECHAR* chars = reinterpret_cast<OLECHAR*>(block + 4);
  chars[0] = u'x';
  chars[1] = 0;
  EXPECT_EQ(SysStringLen(chars), 1u);
  SysFreeString(chars);
  // And the library's strings are plain malloc blocks.
  BSTR s = SysAllocStringLen(nullptr, 1);
  std::free(reinterpret_cast<unsigned char*>(s) - 4);
}

TEST(LibraryStrings, ResultStringIsANewStringForEveryCodeAndEveryCall) {
  for (int32_t code : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, -1, 12345}) {
    BSTR a = ResultString(code);
    BSTR b = ResultString(code);
    ASSERT_NE(a, nullptr);
    EXPECT_NE(a, b);
    EXPECT_GT(SysStringLen(a), 0u);
    EXPECT_NE(a[SysStringLen(a) - 1], u'.') << "the caller adds the full stop";
    SysFreeString(a);
    SysFreeString(b);
  }
}

TEST(LibraryStrings, TextsBeyondLatin1AndEmbeddedNulsRoundTrip) {
  e2e::Emulator emu(R"({"grades": [{"id": 1}]})");
  ASSERT_EQ(Logon(emu.Server()), 0);
  const std::u16string text(u"a\0b \u00ff \u20ac \U0001F600", 10);
  const std::u16string lone(u"x\xD800y");
  ASSERT_EQ(SetGradeProperties(1, 1, In(text), In(lone), In(u"")), 0);
  Out name, shortName, code;
  ASSERT_EQ(GetGradeProperties(1, nullptr, name.ptr(), shortName.ptr(), code.ptr()), 0);
  EXPECT_EQ(name.text(), text);
  EXPECT_EQ(shortName.text(), u"x\uFFFDy") << "a lone surrogate cannot travel as UTF-8";
  EXPECT_EQ(code.text(), u"");
  EXPECT_EQ(emu.State()["grades"][0]["name"], std::string("a\0b \xC3\xBF \xE2\x82\xAC \xF0\x9F\x98\x80", 15));
}

TEST(LibraryStrings, NullInStringsAreEmptyTexts) {
  e2e::Emulator emu;
  ASSERT_EQ(Logon(emu.Server()), 0);
  ASSERT_EQ(SetCardClientProperties(1, 1, nullptr, nullptr, 1), 0);
  EXPECT_EQ(emu.State()["cardClients"][0]["name"], "");
}

TEST(LibraryStrings, ManyOutStringsAreEachTheCallersToFree) {
  e2e::Emulator emu(R"({"attendants": [{"id": 1, "name": "Ann", "shortName": "A",
                                        "password": "1234", "tag": "T"}]})");
  ASSERT_EQ(Logon(emu.Server()), 0);
  for (int i = 0; i < 50; ++i) {
    Out name, shortName, password, tag;
    ASSERT_EQ(GetAttendantPropertiesEx(1, nullptr, name.ptr(), shortName.ptr(), password.ptr(),
                                       tag.ptr(), nullptr, nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(password.text(), u"1234");
  }
}

}  // namespace
