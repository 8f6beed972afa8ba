#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <win32/windows.h>

#include "temp_machine.h"

namespace fs = std::filesystem;
using namespace ombrin;

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

class Find : public testing::Test {
 protected:
  test::TempMachine machine_{machine::WindowsVersion::Win98, {}};

  void SetUp() override {
    ASSERT_TRUE(CreateDirectoryA("C:\\D", nullptr));
    for (const char* name : {"b.txt", "A.TXT", "qv10hweq.exe", "QV10LOC.DLL", "qv10", "readme", "c.txt.bak"})
      machine_.writeFile(std::string("C:\\D\\") + name, name);
    ASSERT_TRUE(CreateDirectoryA("C:\\D\\qv10dir", nullptr));
  }

  // Every name a search returns, in order; "!" + error when it fails.
  std::vector<std::string> list(const std::string& search) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(search.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return {"!" + std::to_string(GetLastError())};
    do names.push_back(data.cFileName);
    while (FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(h));
    return names;
  }
};

using Names = std::vector<std::string>;

TEST_F(Find, PatternsAndOrder) {
  struct Case {
    const char* search;
    Names names;
  } cases[] = {
      {"C:\\D\\*", {".", "..", "A.TXT", "b.txt", "c.txt.bak", "qv10", "qv10dir", "qv10hweq.exe", "QV10LOC.DLL", "readme"}},
      {"C:\\D\\*.*", {".", "..", "A.TXT", "b.txt", "c.txt.bak", "qv10", "qv10dir", "qv10hweq.exe", "QV10LOC.DLL", "readme"}},
      {"c:\\d\\QV10*.*", {"qv10", "qv10dir", "qv10hweq.exe", "QV10LOC.DLL"}},
      {"C:\\D\\*.txt", {"A.TXT", "b.txt"}},
      {"C:\\D\\?.TXT", {"A.TXT", "b.txt"}},
      {"C:\\D\\readme.*", {"readme"}},
      {"C:\\D\\README", {"readme"}},
      {"C:\\D\\*.", {".", "..", "qv10", "qv10dir", "readme"}},
      {"C:\\D\\nothing*", {"!2"}},                  // ERROR_FILE_NOT_FOUND
      {"C:\\D\\absent.txt", {"!2"}},
      {"C:\\D\\", {"!2"}},                          // no name to look for
      {"C:\\NOWHERE\\*", {"!3"}},                   // ERROR_PATH_NOT_FOUND
      {"C:\\D\\b.txt\\*", {"!3"}},
      {"C:\\..\\*", {"!3"}},
  };
  for (const auto& c : cases) EXPECT_EQ(list(c.search), c.names) << c.search;
}

TEST_F(Find, TheRootHasNoDotEntries) {
  auto names = list("C:\\*");
  ASSERT_FALSE(names.empty());
  EXPECT_NE(names[0], ".");
  EXPECT_NE(std::find(names.begin(), names.end(), "D"), names.end());
}

TEST_F(Find, EntriesCarryAttributesAndSizes) {
  ASSERT_TRUE(SetFileAttributesA("C:\\D\\b.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  struct Case {
    const char* search;
    DWORD attributes;
    DWORD size;
  } cases[] = {
      {"C:\\D\\b.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, 5},
      {"C:\\D\\qv10hweq.exe", FILE_ATTRIBUTE_ARCHIVE, 12},
      {"C:\\D\\qv10dir", FILE_ATTRIBUTE_DIRECTORY, 0},
  };
  for (const auto& c : cases) {
    WIN32_FIND_DATAA data;
    std::memset(&data, 0x5A, sizeof data);
    HANDLE h = FindFirstFileA(c.search, &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.search;
    EXPECT_EQ(data.dwFileAttributes, c.attributes) << c.search;
    EXPECT_EQ(data.nFileSizeLow, c.size) << c.search;
    EXPECT_EQ(data.nFileSizeHigh, 0u) << c.search;
    EXPECT_STREQ(data.cAlternateFileName, "") << c.search;  // long names only
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0x5A5A5A5Au);
    EXPECT_GT(data.ftLastWriteTime.dwHighDateTime, 0x01C00000u) << "after 1970";
    FindClose(h);
  }
}

TEST_F(Find, EndAndBadHandles) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA("C:\\D\\readme", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  WIN32_FIND_DATAA untouched;
  std::memset(&untouched, 0x5A, sizeof untouched);
  SetLastError(kSentinel);
  EXPECT_FALSE(FindNextFileA(h, &untouched));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_EQ(untouched.dwFileAttributes, 0x5A5A5A5Au);
  EXPECT_FALSE(CloseHandle(h));  // a search is closed with FindClose
  EXPECT_TRUE(FindClose(h));
  SetLastError(kSentinel);
  EXPECT_FALSE(FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FindClose(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  std::memset(&untouched, 0x5A, sizeof untouched);
  EXPECT_EQ(FindFirstFileA("C:\\D\\nothing", &untouched), INVALID_HANDLE_VALUE);
  EXPECT_EQ(untouched.dwFileAttributes, 0x5A5A5A5Au);
}

// How the uninstaller removes files: delete while the search is open, skip directories,
// make read-only, hidden and system files normal first.
int removeMatching(const std::string& directory, const std::string& pattern) {
  int removed = 0;
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((directory + "\\" + pattern).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_OFFLINE)) continue;
    std::string full = directory + "\\" + data.cFileName;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(full.c_str())) ++removed;
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return removed;
}

TEST_F(Find, DeletingWhileSearching) {
  ASSERT_TRUE(SetFileAttributesA("C:\\D\\QV10LOC.DLL", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(removeMatching("C:\\D", "qv10*.*"), 3);
  EXPECT_EQ(list("C:\\D\\qv10*.*"), Names{"qv10dir"});
  EXPECT_EQ(removeMatching("C:\\D", "qv10*.*"), 0);
  EXPECT_EQ(removeMatching("C:\\D", "*"), 4);
  EXPECT_EQ(list("C:\\D\\*"), (Names{".", "..", "qv10dir"}));
}

TEST_F(Find, NeverListsOutsideTheMachine) {
  fs::path outside = machine_.root().string() + "-outside";
  fs::create_directories(outside);
  std::ofstream(outside / "qv10secret.txt") << "x";
  fs::create_directory_symlink(outside, machine_.root() / "drive_c" / "D" / "qv10escape");
  fs::create_symlink(outside / "qv10secret.txt", machine_.root() / "drive_c" / "D" / "qv10link.txt");
  EXPECT_EQ(list("C:\\D\\qv10escape\\*"), Names{"!3"});
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA("C:\\D\\qv10link.txt", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(data.nFileSizeLow, 0u);
  FindClose(h);
  // The uninstaller's loop takes the links away and leaves what they point at.
  removeMatching("C:\\D", "qv10*.*");
  EXPECT_TRUE(fs::exists(outside / "qv10secret.txt"));
  fs::remove_all(outside);
}

}  // namespace
