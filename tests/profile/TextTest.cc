#include "profile/Text.h"

#include <gtest/gtest.h>

#include <string>

#include "profile/Currency.h"

namespace {

TEST(Text, AbsentPresentAndEmpty) {
  Text absent;
  EXPECT_FALSE(absent.IsPresent());
  EXPECT_EQ("<null>", absent.Narrow());
  EXPECT_FALSE(Text(static_cast<const char*>(nullptr)).IsPresent());

  Text empty("");
  EXPECT_TRUE(empty.IsPresent());
  EXPECT_EQ(0, empty.Length());
  EXPECT_EQ("", empty.Narrow());
  EXPECT_NE(absent, empty);
}

TEST(Text, PositionsCountFromOneAndGiveZeroOutside) {
  Text t("abc");
  EXPECT_EQ(u'a', t.At(1));
  EXPECT_EQ(u'c', t.At(3));
  EXPECT_EQ(0, t.At(0));
  EXPECT_EQ(0, t.At(4));
  EXPECT_EQ(0, t.At(-1));
  EXPECT_EQ(0, Text().At(1));
}

TEST(Text, NarrowRoundTripsEveryByteAndMarksWideUnits) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  Text t(all);
  ASSERT_EQ(255, t.Length());
  EXPECT_EQ(char16_t{0xE9}, t.At(0xE9));  // widened as unsigned, not sign-extended
  EXPECT_EQ(all, t.Narrow());

  // 0x141 must not turn into 'A' (its low byte).
  const char16_t wide[] = {u'x', 0x141, 0x100, 0xFF};
  EXPECT_EQ("x??\xFF", Text::FromUnits(wide, 4).Narrow());
}

TEST(Text, LengthIsCutAtTheLimit) {
  std::string longer(Text::kMaxLength + 10, 'a');
  EXPECT_EQ(Text::kMaxLength, Text(longer).Length());
  EXPECT_EQ(Text::kMaxLength, Text(longer.c_str()).Length());
  std::u16string units(Text::kMaxLength + 1, u'b');
  EXPECT_EQ(Text::kMaxLength, Text::FromUnits(units.data(), static_cast<int>(units.size())).Length());
}

TEST(Text, FormatUsesDotAndStopsAtTheLimit) {
  Text t;
  EXPECT_EQ(11, t.Format("%.3f|%d", 1234.5, 42));
  EXPECT_EQ("1234.500|42", t.Narrow());
  std::string big(5000, 'z');
  EXPECT_EQ(Text::kMaxFormatted, t.Format("%s", big.c_str()));
  EXPECT_EQ(Text::kMaxFormatted, t.Length());
  EXPECT_EQ(0, t.Format("%s", ""));
  EXPECT_TRUE(t.IsPresent());
}

TEST(Text, ToIntScansLikeTheConfigurationReader) {
  EXPECT_EQ(1234, Text("1,234").ToInt());
  EXPECT_EQ(42, Text(" 42").ToInt());
  EXPECT_EQ(-7, Text("-7").ToInt());
  EXPECT_EQ(-123, Text("12-3").ToInt());
  EXPECT_EQ(5, Text("-+5").ToInt());
  EXPECT_EQ(3, Text("3.9").ToInt());
  EXPECT_EQ(0, Text("Yes").ToInt());
  EXPECT_EQ(0, Text("0x1F").ToInt());
  EXPECT_EQ(0, Text("").ToInt());
  EXPECT_EQ(0, Text().ToInt());
  EXPECT_EQ(0, Text("\t5").ToInt());  // a tab is no blank
}

TEST(Text, ToIntWrapsAroundAt32Bits) {
  EXPECT_EQ(INT32_MAX, Text("2147483647").ToInt());
  EXPECT_EQ(INT32_MIN, Text("2147483648").ToInt());
  EXPECT_EQ(INT32_MIN, Text("-2147483648").ToInt());
  EXPECT_EQ(0, Text("4294967296").ToInt());
  EXPECT_EQ(-1, Text("4294967295").ToInt());
  EXPECT_EQ(1, Text("-4294967295").ToInt());
}

TEST(Currency, ToDoubleDividesByTenThousand) {
  EXPECT_DOUBLE_EQ(1.2345, Currency{12345}.ToDouble());
  EXPECT_DOUBLE_EQ(-2.5, Currency{-25000}.ToDouble());
  EXPECT_DOUBLE_EQ(0.0, Currency{}.ToDouble());
}

}  // namespace
