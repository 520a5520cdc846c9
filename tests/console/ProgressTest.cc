#include "console/Progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Everything written to the stream so far.
std::string Contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string s;
  int c;
  while ((c = std::fgetc(f)) != EOF) s += static_cast<char>(c);
  return s;
}

TEST(Progress, ShowsOverwritesAndClearsTheLine) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    Progress p("pumps", f, true, std::chrono::milliseconds(0));
    p.Show(9, 10);
    p.Show(10, 10);
    p.Clear();
    p.Clear();  // nothing shown: nothing written
  }
  EXPECT_EQ(Contents(f), "\rpumps 9/10\r\rpumps 10/10\r\r           \r");
  std::fclose(f);
}

TEST(Progress, ShorterTextBlanksTheRestAndDestructorClears) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    Progress p("ports", f, true, std::chrono::milliseconds(0));
    p.Show(10, 10);
    p.Show(1, 1);
  }
  EXPECT_EQ(Contents(f), "\rports 10/10\r\rports 1/1  \r\r         \r");
  std::fclose(f);
}

TEST(Progress, RefreshesAtMostOncePerIntervalAndNeverWhenDisabled) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    Progress p("tanks", f, true, std::chrono::hours(1));
    p.Show(1, 3);
    p.Show(2, 3);
    p.Show(3, 3);
  }
  EXPECT_EQ(Contents(f), "\rtanks 1/3\r\r         \r");
  std::fclose(f);

  f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  {
    Progress p("tanks", f, false, std::chrono::milliseconds(0));
    p.Show(1, 3);
    p.Clear();
  }
  EXPECT_EQ(Contents(f), "");
  std::fclose(f);
}

}  // namespace
