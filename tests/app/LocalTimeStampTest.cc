#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "platform/Platform.h"
#include "profile/Text.h"

namespace {

// Restores the environment and the time category that a test changed.
class LocaleEnvironment : public testing::Test {
 protected:
  void TearDown() override {
    unsetenv("LOCPATH");
    unsetenv("LC_ALL");
    std::setlocale(LC_TIME, "C");
  }
};

TEST_F(LocaleEnvironment, StampIsDateBlankTimeInTheUsersFormat) {
  setenv("LC_ALL", "C", 1);
  const std::string stamp = platform::LocalTimeStamp();
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d)"))) << stamp;
}

// A user whose locale writes numbers with a decimal comma still gets "."
// in every formatted number, while the stamp follows the locale.
TEST_F(LocaleEnvironment, LocaleReachesTheStampButNeverTheNumbers) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tarvo-locale-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string build = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() +
                            "' >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0 || !std::filesystem::exists(dir / "de_DE.UTF-8")) {
    std::filesystem::remove_all(dir);
    GTEST_SKIP() << "localedef cannot build a comma locale here";
  }
  setenv("LOCPATH", dir.c_str(), 1);
  setenv("LC_ALL", "de_DE.UTF-8", 1);

  const std::string stamp = platform::LocalTimeStamp();
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d)")))
      << stamp;
  Text number;
  number.Format("%.3f", 1234.5);
  EXPECT_EQ("1234.500", number.Narrow());

  std::filesystem::remove_all(dir);
}

}  // namespace
