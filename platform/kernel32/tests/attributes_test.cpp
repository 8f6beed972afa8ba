#include <cstring>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

#include <win32/windows.h>

#include "temp_machine.h"

namespace fs = std::filesystem;
using namespace ombrin;

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
constexpr DWORD RO = FILE_ATTRIBUTE_READONLY, H = FILE_ATTRIBUTE_HIDDEN, S = FILE_ATTRIBUTE_SYSTEM,
                A = FILE_ATTRIBUTE_ARCHIVE, D = FILE_ATTRIBUTE_DIRECTORY;

class Attributes : public testing::Test {
 protected:
  test::TempMachine machine_{machine::WindowsVersion::Win98, {}};

  bool xattrsWork() {
    auto probe = machine_.root() / "probe";
    std::ofstream(probe) << "";
    bool ok = ::setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
    fs::remove(probe);
    return ok;
  }
  std::string stored(const std::string& winPath) {
    char text[32] = {};
    ssize_t n = ::getxattr(machine_.host(winPath).c_str(), "user.DOSATTRIB", text, sizeof text - 1);
    return n < 0 ? "" : std::string(text, static_cast<size_t>(n));
  }
};

TEST_F(Attributes, RoundTrip) {
  if (!xattrsWork()) GTEST_SKIP() << "no extended attributes on this file system";
  machine_.writeFile("C:\\f.txt", "x");
  struct Case {
    DWORD set;
    DWORD reported;
    const char* stored;  // the text kept in user.DOSATTRIB
  } cases[] = {
      {FILE_ATTRIBUTE_NORMAL, A, ""},
      {RO, RO | A, ""},
      {H, H | A, "0x2"},
      {S | H, S | H | A, "0x6"},
      {RO | S, RO | S | A, "0x4"},
      {A, A, ""},
      {0, A, ""},
      {FILE_ATTRIBUTE_NORMAL, A, ""},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(SetFileAttributesA("C:\\f.txt", c.set)) << c.set;
    EXPECT_EQ(GetFileAttributesA("c:\\F.TXT"), c.reported) << c.set;
    EXPECT_EQ(stored("C:\\f.txt"), c.stored) << c.set;
  }

  ASSERT_TRUE(CreateDirectoryA("C:\\Dir", nullptr));
  EXPECT_EQ(GetFileAttributesA("C:\\Dir"), D);
  EXPECT_TRUE(SetFileAttributesA("C:\\Dir", H | RO));
  EXPECT_EQ(GetFileAttributesA("C:\\Dir"), D | H);  // folders stay writable
}

TEST_F(Attributes, TextWrittenByOtherToolsIsRead) {
  if (!xattrsWork()) GTEST_SKIP() << "no extended attributes on this file system";
  machine_.writeFile("C:\\f.txt", "x");
  const char value[] = "0x22\0\x01\x02\x03";  // text, a zero byte, then binary data
  ASSERT_EQ(::setxattr(machine_.host("C:\\f.txt").c_str(), "user.DOSATTRIB", value, sizeof value - 1, 0), 0);
  EXPECT_EQ(GetFileAttributesA("C:\\f.txt"), H | A);
}

TEST_F(Attributes, ReadOnlyIsTheModeBits) {
  machine_.writeFile("C:\\f.txt", "x");
  auto host = machine_.host("C:\\f.txt");
  ASSERT_TRUE(SetFileAttributesA("C:\\f.txt", RO));
  EXPECT_EQ(fs::status(host).permissions() & fs::perms::owner_write, fs::perms::none);
  ASSERT_TRUE(SetFileAttributesA("C:\\f.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_NE(fs::status(host).permissions() & fs::perms::owner_write, fs::perms::none);
  fs::permissions(host, fs::perms::owner_read);  // made read-only by someone else
  EXPECT_EQ(GetFileAttributesA("C:\\f.txt"), RO | A);
}

TEST_F(Attributes, Missing) {
  struct Case {
    const char* path;
    DWORD error;
  } cases[] = {
      {"C:\\absent.txt", ERROR_FILE_NOT_FOUND},
      {"C:\\absent\\f.txt", ERROR_PATH_NOT_FOUND},
      {"C:\\..\\f.txt", ERROR_PATH_NOT_FOUND},
      {"E:\\f.txt", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(kSentinel);
    EXPECT_EQ(GetFileAttributesA(c.path), INVALID_FILE_ATTRIBUTES) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
    SetLastError(kSentinel);
    EXPECT_FALSE(SetFileAttributesA(c.path, FILE_ATTRIBUTE_NORMAL)) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
}

TEST_F(Attributes, NothingOutsideChangesThroughALink) {
  fs::path outside = machine_.root().string() + "-outside";
  fs::create_directories(outside);
  std::ofstream(outside / "target.txt") << "x";
  fs::permissions(outside / "target.txt", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(outside / "target.txt", machine_.root() / "drive_c" / "link.txt");
  fs::create_directory_symlink(outside, machine_.root() / "drive_c" / "dir");

  EXPECT_EQ(GetFileAttributesA("C:\\link.txt"), FILE_ATTRIBUTE_REPARSE_POINT | A);
  for (const char* path : {"C:\\link.txt", "C:\\dir\\target.txt"}) {
    EXPECT_FALSE(SetFileAttributesA(path, RO | H | S)) << path;
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(fs::status(outside / "target.txt").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  char text[16];
  EXPECT_LT(::getxattr((outside / "target.txt").c_str(), "user.DOSATTRIB", text, sizeof text), 0);
  fs::remove_all(outside);
}

TEST_F(Attributes, LinksInsideTheMachineAreFollowed) {
  machine_.writeFile("C:\\real.txt", "x");
  fs::create_symlink(machine_.host("C:\\real.txt"), machine_.root() / "drive_c" / "alias.txt");
  EXPECT_TRUE(SetFileAttributesA("C:\\alias.txt", RO));
  EXPECT_EQ(GetFileAttributesA("C:\\real.txt"), RO | A);
  EXPECT_EQ(GetFileAttributesA("C:\\alias.txt"), RO | A);
}

}  // namespace
