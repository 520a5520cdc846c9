#include "client/LibString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LibString, NullIsAbsentAndLongStringsAreCut) {
  EXPECT_FALSE(TextFromLibraryString(nullptr).IsPresent());
  const std::basic_string<OLECHAR> libraryUnits(Text::kMaxLength + 1, u'b');
  EXPECT_EQ(Text::kMaxLength, TextFromLibraryString(libraryUnits.c_str()).Length());
}

TEST(LibString, ConversionsBothWays) {
  Text t = Text::FromUnits(u"Pump\u0141 1", 7);
  BSTR s = ToLibraryString(t);
  ASSERT_NE(nullptr, s);
  EXPECT_EQ(7u, SysStringLen(s));
  EXPECT_EQ(t, TextFromLibraryString(s));
  SysFreeString(s);

  BSTR fromAbsent = ToLibraryString(Text());
  ASSERT_NE(nullptr, fromAbsent);
  EXPECT_EQ(0u, SysStringLen(fromAbsent));
  EXPECT_EQ(Text(""), TextFromLibraryString(fromAbsent));
  SysFreeString(fromAbsent);

  // Only the units up to the first NUL are copied.
  const OLECHAR withNul[] = {u'a', u'b', 0, u'c', 0};
  EXPECT_EQ(Text("ab"), TextFromLibraryString(withNul));
}

}  // namespace
