// CheckResult against a small library of its own: this executable does not
// link the client library, so ResultString here decides the texts and counts
// what is freed.
#include "client/CheckResult.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "client/LinkedClientLibrary.h"
#include "client/TarvoClient.h"

namespace {

int gAllocated = 0;
int gFreed = 0;

}  // namespace

extern "C" {

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  auto* block = static_cast<unsigned char*>(std::malloc(4 + 2 * size_t{length} + 2));
  const uint32_t bytes = 2 * length;
  std::memcpy(block, &bytes, 4);
  auto* s = reinterpret_cast<OLECHAR*>(block + 4);
  for (uint32_t i = 0; i < length; ++i) s[i] = text != nullptr ? text[i] : 0;
  s[length] = 0;
  ++gAllocated;
  return s;
}

void SysFreeString(BSTR s) {
  if (s == nullptr) return;
  ++gFreed;
  std::free(reinterpret_cast<unsigned char*>(s) - 4);
}

uint32_t SysStringLen(BSTR s) {
  if (s == nullptr) return 0;
  uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<unsigned char*>(s) - 4, 4);
  return bytes / 2;
}

// 7: no text at all; 8: a text with a letter outside one byte; 9: a text
// with a terminal's escape sequence and other control characters; others: a
// plain text.
BSTR ResultString(int32_t code) {
  if (code == 7) return nullptr;
  if (code == 8) {
    const OLECHAR units[] = {u'\x141', u'o', u'd', u'z'};
    return SysAllocStringLen(units, 4);
  }
  if (code == 9) {
    const OLECHAR units[] = {0x1B, u'[', u'2', u'J', u'\t', u'A', u'\r', u'\n', 0x7F,
                             0x80, 0xE9, u' ', 0x1F};
    return SysAllocStringLen(units, sizeof units / sizeof units[0]);
  }
  const OLECHAR units[] = {u'C', u'o', u'n', u'n', u'e', u'c', u't', u'i', u'o', u'n',
                           u' ', u'r', u'e', u'f', u'u', u's', u'e', u'd'};
  return SysAllocStringLen(units, sizeof units / sizeof units[0]);
}

}  // extern "C"

namespace {

struct Outcome {
  bool ok;
  std::string out;
};

Outcome Check(const char* step, int32_t code) {
  testing::internal::CaptureStdout();
  LinkedClientLibrary library;
  const bool ok = CheckResult(library, stdout, step, code);
  return {ok, testing::internal::GetCapturedStdout()};
}

TEST(CheckResult, SuccessIsSilentAndAsksForNoText) {
  gAllocated = gFreed = 0;
  const Outcome o = Check("Logon failed", 0);
  EXPECT_TRUE(o.ok);
  EXPECT_EQ("", o.out);
  EXPECT_EQ(0, gAllocated);
}

TEST(CheckResult, FailureLineWithTheLibraryTextWhichIsFreed) {
  gAllocated = gFreed = 0;
  Outcome o = Check("Logon failed", 3);
  EXPECT_FALSE(o.ok);
  EXPECT_EQ("Logon failed - Connection refused.\n", o.out);
  EXPECT_EQ(1, gAllocated);
  EXPECT_EQ(1, gFreed);

  // Negative codes are failures too.
  EXPECT_FALSE(Check("GetPortsCount", -5).ok);
  EXPECT_EQ(gAllocated, gFreed);
}

TEST(CheckResult, NoTextReadsNullAndAStepsFullStopStays) {
  Outcome o = Check("Logon failed", 7);
  EXPECT_FALSE(o.ok);
  EXPECT_EQ("Logon failed - <null>.\n", o.out);

  o = Check("Cannot write port 3.", 3);
  EXPECT_EQ("Cannot write port 3. - Connection refused.\n", o.out);
}

TEST(CheckResult, WideLettersOfTheTextAreMarked) {
  EXPECT_EQ("Step - ?odz.\n", Check("Step", 8).out);
}

TEST(CheckResult, ControlCharactersOfTheTextPrintAsQuestionMarks) {
  EXPECT_EQ("Step - ?[2J?A???\x80\xe9 ?.\n", Check("Step", 9).out);
}

}  // namespace
