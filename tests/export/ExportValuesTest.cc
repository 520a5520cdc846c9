// The two value rules of the export that are easiest to get subtly wrong: the
// channel list and the quoting of texts that would not read back unchanged.
#include <gtest/gtest.h>

#include "export/ExportContext.h"

namespace {

std::string Narrow(const Text& t) { return t.Narrow(); }

TEST(ChannelList, OnlyChannels11To26InAscendingOrder) {
  EXPECT_EQ(Narrow(ChannelList(1 << 11)), " 11");
  EXPECT_EQ(Narrow(ChannelList((1 << 11) | (1 << 15) | (1 << 16))), " 11,15,16");
  EXPECT_EQ(Narrow(ChannelList(-1)),
            " 11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26");
  EXPECT_EQ(Narrow(ChannelList(0)), "");
  EXPECT_EQ(Narrow(ChannelList((1 << 10) | (1 << 27) | 1)), "");
  EXPECT_TRUE(ChannelList(0).IsPresent());
}

TEST(FileSafeText, QuotesOnlyWhatWouldNotReadBack) {
  EXPECT_EQ(Narrow(FileSafeText(Text("Pump 1"))), "Pump 1");
  EXPECT_EQ(Narrow(FileSafeText(Text(" Ann"))), "\" Ann\"");
  EXPECT_EQ(Narrow(FileSafeText(Text("A "))), "\"A \"");
  EXPECT_EQ(Narrow(FileSafeText(Text(" "))), "\" \"");
  EXPECT_EQ(Narrow(FileSafeText(Text("\"Bob\""))), "\"\"Bob\"\"");
  EXPECT_EQ(Narrow(FileSafeText(Text("\""))), "\"\"\"");
  // One quote at one end only reads back unchanged.
  EXPECT_EQ(Narrow(FileSafeText(Text("\"Bob"))), "\"Bob");
  EXPECT_EQ(Narrow(FileSafeText(Text("a \"b\" c"))), "a \"b\" c");
  // A tab is an ordinary character in the file.
  EXPECT_EQ(Narrow(FileSafeText(Text("\tx\t"))), "\tx\t");
}

TEST(FileSafeText, EmptyAndAbsentStayAsTheyAre) {
  EXPECT_EQ(FileSafeText(Text("")), Text(""));
  EXPECT_FALSE(FileSafeText(Text()).IsPresent());
}

TEST(FileSafeText, LineBreaksCannotPlantLines) {
  EXPECT_EQ(Narrow(FileSafeText(Text("Evil\r\n[Attendant01]"))), "Evil  [Attendant01]");
  EXPECT_EQ(Narrow(FileSafeText(Text("x\n"))), "\"x \"");
}

TEST(FileSafeText, LongestTextStillFitsWithItsQuotes) {
  const Text longest(std::string(Text::kMaxLength, ' '));
  const Text safe = FileSafeText(longest);
  ASSERT_EQ(safe.Length(), Text::kMaxLength);
  EXPECT_EQ(safe.At(1), u'"');
  EXPECT_EQ(safe.At(Text::kMaxLength), u'"');
}

}  // namespace
