// The Windows side of the platform layer: the stamp in the user's formats,
// the configuration file's load and safe save with Windows' own calls, and
// console text in pieces. (Text's
// tests cover the library strings, which come from oleaut32 here.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "client/LibString.h"
#include "platform/File.h"
#include "platform/Platform.h"
#include "platform/Utf16.h"
#include "profile/Profile.h"
#include "profile/Text.h"

namespace {

namespace fs = std::filesystem;

class Folder {
 public:
  Folder() {
    char base[MAX_PATH + 1];
    GetTempPathA(sizeof base, base);
    for (unsigned n = GetTickCount(); path_.empty(); ++n) {
      const std::string candidate = std::string(base) + "tarvo-win32-" + std::to_string(n);
      if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
    }
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  // Windows' own separator, as a technician types it.
  std::string Path(const std::string& name) const { return path_ + "\\" + name; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::string path_;
};

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Get(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteVersion(const std::string& path, const char* value, std::string* error) {
  CProfile profile(path.c_str(), true);
  if (!profile.Open(error)) return false;
  profile.SetSection("Application");
  profile.WriteString("Version", Text(value));
  return profile.Save(error);
}

TEST(LocalTimeStamp, IsTodaysDateAndTheTimeInTheUsersFormats) {
  SYSTEMTIME before;
  SYSTEMTIME after;
  std::string stamp;
  // Taken again when a minute turns over meanwhile.
  for (int attempt = 0; attempt < 3; ++attempt) {
    GetLocalTime(&before);
    stamp = platform::LocalTimeStamp();
    GetLocalTime(&after);
    if (before.wMinute == after.wMinute) break;
  }
  wchar_t date[80];
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &before, nullptr, date, 80), 0);
  const std::string datePart = TextFromLibraryString(date).Narrow();
  ASSERT_EQ(0u, stamp.rfind(datePart + " ", 0)) << stamp;
  // The time part holds the hour and minute, whatever the clock's style.
  const std::string timePart = stamp.substr(datePart.size() + 1);
  char minute[4];
  snprintf(minute, sizeof minute, ":%02u", static_cast<unsigned>(before.wMinute));
  EXPECT_NE(std::string::npos, timePart.find(minute)) << stamp;
  EXPECT_TRUE(std::regex_search(timePart, std::regex("^\\d"))) << stamp;
  EXPECT_EQ(std::string::npos, stamp.find('\0'));
}

// ctest runs this a second time for a German user (see CMakeLists.txt).
TEST(LocalTimeStamp, UsersDecimalCommaReachesNoNumber) {
  wchar_t decimal[8] = {0};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8);
  if (std::wstring(decimal) != L",") GTEST_SKIP() << "the user's locale writes a decimal point";
  EXPECT_FALSE(platform::LocalTimeStamp().empty());
  Text number;
  number.Format("%.3f", 1234.5);
  EXPECT_EQ("1234.500", number.Narrow());
}

TEST(ConfigurationFile, SaveReplacesTheFileAndLeavesNothingElse) {
  Folder folder;
  const std::string path = folder.Path("station.ini");
  Put(path, "[Application]\r\nVersion=0\r\n");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  std::string error;
  ASSERT_TRUE(WriteVersion(path, "2", &error)) << error;
  EXPECT_EQ("[Application]\r\nVersion=2\r\n", Get(path));
  EXPECT_EQ(std::vector<std::string>{"station.ini"}, folder.Entries());
  EXPECT_NE(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  // A new file, with forward slashes in the path too.
  std::string slashed = folder.Path("new.ini");
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  ASSERT_TRUE(WriteVersion(slashed, "3", &error)) << error;
  EXPECT_EQ("\r\n[Application]\r\nVersion=3\r\n", Get(folder.Path("new.ini")));
  EXPECT_EQ(2u, folder.Entries().size());
}

TEST(ConfigurationFile, NoHandleIsKeptOpenBetweenLoadAndSave) {
  // Another program may delete or replace the file meanwhile, as on POSIX.
  Folder folder;
  const std::string path = folder.Path("station.ini");
  Put(path, "[S]\r\nK=1\r\n");
  CProfile profile(path.c_str(), true);
  ASSERT_TRUE(profile.Open(nullptr));
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  profile.SetSection("S");
  EXPECT_EQ(1, profile.WriteString("K", Text("2")));
  EXPECT_TRUE(profile.Save(nullptr));
  EXPECT_EQ("[S]\r\nK=2\r\n", Get(path));
}

// Another file put under the name during the run is not overwritten: the
// save is refused, as on POSIX.
TEST(ConfigurationFile, SaveGoesOnlyToTheFileThatWasRead) {
  Folder folder;
  const std::string path = folder.Path("station.ini");
  Put(path, "[S]\r\nK=1\r\n");
  CProfile profile(path.c_str(), true);
  ASSERT_TRUE(profile.Open(nullptr));
  profile.SetSection("S");
  EXPECT_EQ(1, profile.WriteString("K", Text("2")));
  ASSERT_TRUE(MoveFileA(path.c_str(), folder.Path("moved.ini").c_str()));
  Put(path, "other\r\n");
  std::string error;
  EXPECT_FALSE(profile.Save(&error));
  EXPECT_EQ("File replaced since it was read", error);
  EXPECT_EQ("other\r\n", Get(path));
  EXPECT_EQ("[S]\r\nK=1\r\n", Get(folder.Path("moved.ini")));
  EXPECT_EQ(2u, folder.Entries().size());
}

TEST(ConfigurationFile, DevicesAreWrittenDirectly) {
  Folder folder;
  SetCurrentDirectoryA(folder.Path("").c_str());
  std::string error;
  EXPECT_TRUE(WriteVersion("NUL", "1", &error)) << error;
  EXPECT_TRUE(folder.Entries().empty());
  char base[MAX_PATH + 1];
  GetTempPathA(sizeof base, base);
  SetCurrentDirectoryA(base);
}

TEST(ConfigurationFile, FailuresGiveTheirReason) {
  Folder folder;
  struct Case {
    std::string path;
    bool writable;
    const char* reason;
  };
  const std::string locked = folder.Path("locked.ini");
  Put(locked, "[S]\r\nK=1\r\n");
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  std::vector<Case> cases = {
      {folder.Path("none.ini"), false, "No such file or directory"},
      {folder.Path("none\\x.ini"), true, "No such file or directory"},
      {folder.Path(""), false, "Is a directory"},
      {folder.Path(""), true, "Is a directory"},
  };
  // Under wine run by root a read-only file can still be opened for writing.
  HANDLE probe = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    cases.push_back({locked, true, "Permission denied"});
  } else {
    CloseHandle(probe);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CProfile profile(c.path.c_str(), c.writable);
    std::string error;
    EXPECT_FALSE(profile.Open(&error));
    EXPECT_EQ(c.reason, error);
  }
  EXPECT_TRUE(CProfile(locked.c_str(), false).Open(nullptr));
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ConfigurationFile, FolderGoneBeforeTheSaveIsAMissingFolder) {
  Folder folder;
  const std::string sub = folder.Path("gone");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  const std::string path = sub + "\\station.ini";
  CProfile profile(path.c_str(), true);
  ASSERT_TRUE(profile.Open(nullptr));
  profile.SetSection("S");
  profile.WriteString("K", Text("1"));
  ASSERT_TRUE(DeleteFileA(path.c_str()));
  ASSERT_TRUE(RemoveDirectoryA(sub.c_str()));
  std::string error;
  EXPECT_FALSE(profile.Save(&error));
  EXPECT_EQ("No such file or directory", error);
}

// Names are UTF-8 (as the command line gives them): a folder that no ANSI
// code page spells is created, replaced and read under its UTF-16 name.
TEST(ConfigurationFile, NamesOutsideTheAnsiCodePage) {
  Folder folder;
  const std::string ascii = folder.Path("");
  const std::wstring wide = std::wstring(ascii.begin(), ascii.end()) + L"\u0141\u00F3d\u017A";
  ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
  const std::string path = folder.Path("\xC5\x81\xC3\xB3" "d\xC5\xBA\\site.ini");  // Łódź
  std::string error;
  ASSERT_TRUE(WriteVersion(path, "1", &error)) << error;
  ASSERT_TRUE(WriteVersion(path, "2", &error)) << error;
  platform::FileLoad load;
  ASSERT_TRUE(platform::LoadFile(path, false, &load, &error)) << error;
  EXPECT_EQ("\r\n[Application]\r\nVersion=2\r\n", load.bytes);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((wide + L"\\site.ini").c_str()));
}

// Console text goes to the console in pieces, each converted on its own:
// whatever the piece size, the pieces give the UTF-16 of the whole text,
// characters of one to four bytes (a piece holds at least one) and stray
// bytes alike. To a file the
// bytes go as they are.
TEST(ConsoleText, PiecesConvertAsTheWholeText) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € U+1F600
  text += "\xE9z\x80\x80\x80\x80\x80z";  // a Latin-1 byte, a run of continuation bytes
  const std::wstring whole = platform::WidePath(text);
  for (size_t piece = 4; piece <= 12; ++piece) {
    std::wstring joined;
    for (size_t begin = 0; begin < text.size();) {
      const size_t end = platform::Utf8PieceEnd(text, begin, piece);
      ASSERT_GT(end, begin);
      ASSERT_LE(end - begin, piece);
      joined += platform::WidePath(std::string_view(text).substr(begin, end - begin));
      begin = end;
    }
    EXPECT_EQ(whole, joined) << piece;
  }
  Folder folder;
  const std::string path = folder.Path("report.txt");
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  EXPECT_TRUE(platform::WriteText(file, text));
  std::fclose(file);
  EXPECT_EQ(text, Get(path));
}

}  // namespace
