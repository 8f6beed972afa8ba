#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ombrin/trace.h>
#include <win32/windows.h>

#include "temp_machine.h"

namespace fs = std::filesystem;
using namespace ombrin;

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
const char* const kFile = "C:\\WINDOWS\\test.dat";

// A machine without the card: these tests need only its directories.
class Files : public testing::Test {
 protected:
  test::TempMachine machine_{machine::WindowsVersion::Win98, {}};
  HANDLE open(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileA(name, access, share, nullptr, disposition, flags, HANDLE{});
  }
  std::string contents(const char* name) { return machine_.readFile(name); }
  bool exists(const char* name) { return fs::exists(fs::symlink_status(machine_.host(name))); }
  void makeReadOnly(const char* name) { fs::permissions(machine_.host(name), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove); }
};

TEST_F(Files, Dispositions) {
  struct Case {
    const char* what;
    DWORD disposition;
    bool present;
    BOOL opens;
    DWORD error;      // last error after the call
    const char* after;  // file contents afterwards, null when the file must not exist
  } cases[] = {
      {"create new, absent", CREATE_NEW, false, TRUE, 0, ""},
      {"create new, present", CREATE_NEW, true, FALSE, ERROR_FILE_EXISTS, "old"},
      {"create always, absent", CREATE_ALWAYS, false, TRUE, 0, ""},
      {"create always, present", CREATE_ALWAYS, true, TRUE, ERROR_ALREADY_EXISTS, ""},
      {"open existing, absent", OPEN_EXISTING, false, FALSE, ERROR_FILE_NOT_FOUND, nullptr},
      {"open existing, present", OPEN_EXISTING, true, TRUE, 0, "old"},
      {"open always, absent", OPEN_ALWAYS, false, TRUE, 0, ""},
      {"open always, present", OPEN_ALWAYS, true, TRUE, ERROR_ALREADY_EXISTS, "old"},
      {"truncate existing, absent", TRUNCATE_EXISTING, false, FALSE, ERROR_FILE_NOT_FOUND, nullptr},
      {"truncate existing, present", TRUNCATE_EXISTING, true, TRUE, 0, ""},
      {"no disposition", 0, true, FALSE, ERROR_INVALID_PARAMETER, "old"},
      {"unknown disposition", 6, false, FALSE, ERROR_INVALID_PARAMETER, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(machine_.host(kFile));
    if (c.present) machine_.writeFile(kFile, "old");
    SetLastError(kSentinel);
    HANDLE h = open(kFile, GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens == TRUE);
    EXPECT_EQ(GetLastError(), c.error);
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(h));
    }
    if (c.after) {
      EXPECT_EQ(contents(kFile), c.after);
    } else {
      EXPECT_FALSE(exists(kFile));
    }
  }
}

TEST_F(Files, TruncateNeedsWriteAccess) {
  machine_.writeFile(kFile, "old");
  SetLastError(kSentinel);
  EXPECT_EQ(open(kFile, GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(contents(kFile), "old");
}

TEST_F(Files, ReadWriteAndFilePointer) {
  HANDLE h = open(kFile, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = kSentinel;
  ASSERT_TRUE(WriteFile(h, "hello world", 11, &done, nullptr));
  EXPECT_EQ(done, 11u);
  DWORD high = kSentinel;
  EXPECT_EQ(GetFileSize(h, &high), 11u);
  EXPECT_EQ(high, 0u);

  EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
  char buffer[32] = {};
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 5u);  // up to the end of the file
  EXPECT_STREQ(buffer, "world");
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 0u);  // at the end: success with nothing read

  EXPECT_EQ(SetFilePointer(h, -5, nullptr, FILE_END), 6u);
  EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_CURRENT), 5u);
  ASSERT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, nullptr), 5u);
  EXPECT_TRUE(FlushFileBuffers(h));

  // Moving before the start fails and leaves the pointer and the high part alone.
  LONG highPart = 0x1234;
  SetLastError(kSentinel);
  EXPECT_EQ(SetFilePointer(h, -10, &highPart, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(highPart, 0x1234);
  highPart = -1;  // with the high part: -10 as 64 bits
  SetLastError(kSentinel);
  EXPECT_EQ(SetFilePointer(h, -10, &highPart, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(highPart, -1);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 5u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // Past 4 GiB only with a high part; the file grows sparse when written there.
  highPart = 1;
  EXPECT_EQ(SetFilePointer(h, 16, &highPart, FILE_BEGIN), 16u);
  EXPECT_EQ(highPart, 1);
  ASSERT_TRUE(WriteFile(h, "x", 1, &done, nullptr));
  high = kSentinel;
  EXPECT_EQ(GetFileSize(h, &high), 17u);
  EXPECT_EQ(high, 1u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(SetFilePointer(h, 5, nullptr, FILE_BEGIN), 5u);
  ASSERT_TRUE(SetEndOfFile(h));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(contents(kFile), "hello");
}

TEST_F(Files, AccessIsEnforcedPerHandle) {
  machine_.writeFile(kFile, "data");
  HANDLE reader = open(kFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE writer = open(kFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD done = kSentinel;
  char buffer[8];
  SetLastError(kSentinel);
  EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(done, 0u);
  EXPECT_FALSE(SetEndOfFile(reader));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  done = kSentinel;
  EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(done, 0u);
  CloseHandle(reader);
  CloseHandle(writer);
}

TEST_F(Files, InvalidHandles) {
  HANDLE bogus{0x1230};
  DWORD done = kSentinel, high = kSentinel;
  char buffer[4];
  struct Call {
    const char* what;
    bool failed;
  } calls[] = {
      {"CloseHandle", CloseHandle(bogus) == FALSE},
      {"ReadFile", ReadFile(bogus, buffer, 4, &done, nullptr) == FALSE},
      {"WriteFile", WriteFile(bogus, buffer, 4, &done, nullptr) == FALSE},
      {"GetFileSize", GetFileSize(bogus, &high) == INVALID_FILE_SIZE},
      {"SetFilePointer", SetFilePointer(bogus, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER},
      {"SetEndOfFile", SetEndOfFile(bogus) == FALSE},
      {"FlushFileBuffers", FlushFileBuffers(bogus) == FALSE},
      {"CloseHandle(null)", CloseHandle(HANDLE{}) == FALSE},
  };
  for (const auto& c : calls) EXPECT_TRUE(c.failed) << c.what;
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(high, kSentinel);

  // The current-process and current-thread pseudo handles close without effect.
  EXPECT_TRUE(CloseHandle(HANDLE{0xFFFFFFFFu}));
  EXPECT_TRUE(CloseHandle(HANDLE{0xFFFFFFFEu}));

  // A handle is gone once closed.
  HANDLE h = open(kFile, GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_TRUE(CloseHandle(h));
  SetLastError(kSentinel);
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, ShareModes) {
  constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, RW = GENERIC_READ | GENERIC_WRITE;
  constexpr DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SRW = FILE_SHARE_READ | FILE_SHARE_WRITE;
  struct Case {
    DWORD firstAccess, firstShare, secondAccess, secondShare;
    bool secondOpens;
  } cases[] = {
      {R, SR, R, SR, true},       {R, SR, W, SRW, false},  // the first does not share writing
      {R, SRW, W, SRW, true},     {R, SRW, W, SW, false},  // the second would deny the first's reading
      {RW, 0, R, SRW, false},     {RW, SRW, RW, SRW, true},
      {W, SR, R, SRW, true},      {W, SW, R, SRW, false},  // the first shares writing, not reading
      {W, SW, W, SW, true},       {0, 0, RW, 0, true},     // an open without data access restricts nobody
      {RW, 0, 0, 0, true},        // ...and is restricted by nobody
  };
  machine_.writeFile(kFile, "x");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.firstAccess << '/' << c.firstShare << " then "
                                    << c.secondAccess << '/' << c.secondShare);
    HANDLE first = open(kFile, c.firstAccess, c.firstShare, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    SetLastError(kSentinel);
    HANDLE second = open(kFile, c.secondAccess, c.secondShare, OPEN_EXISTING);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
    if (second != INVALID_HANDLE_VALUE) {
      CloseHandle(second);
    } else {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    CloseHandle(first);
    // Closing ends the restriction.
    HANDLE again = open(kFile, c.secondAccess, c.secondShare, OPEN_EXISTING);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
  }
}

TEST_F(Files, SharingViolationDoesNotTruncate) {
  machine_.writeFile(kFile, "keep");
  HANDLE first = open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  for (DWORD disposition : {CREATE_ALWAYS, TRUNCATE_EXISTING}) {
    EXPECT_EQ(open(kFile, GENERIC_WRITE, FILE_SHARE_READ, disposition), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  SetLastError(kSentinel);
  EXPECT_FALSE(DeleteFileA(kFile));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(first);
  EXPECT_EQ(contents(kFile), "keep");
}

TEST_F(Files, SharingHoldsAcrossProcesses) {
  machine_.writeFile(kFile, "x");
  int ready[2], done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE h = open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    char c = h != INVALID_HANDLE_VALUE ? 'y' : 'n';
    (void)!::write(ready[1], &c, 1);
    (void)!::read(done[0], &c, 1);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  EXPECT_EQ(open(kFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  HANDLE reader = open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  (void)!::write(done[1], "x", 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  // The child is gone, and its restriction with it.
  HANDLE writer = open(kFile, GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
  for (int fd : {ready[0], ready[1], done[0], done[1]}) ::close(fd);
}

TEST_F(Files, ReadOnlyFiles) {
  machine_.writeFile(kFile, "ro");
  makeReadOnly(kFile);
  struct Case {
    DWORD access, disposition, flags;
  } refused[] = {
      {GENERIC_WRITE, OPEN_EXISTING, 0},
      {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0},
      {GENERIC_WRITE, CREATE_ALWAYS, 0},
      {GENERIC_WRITE, TRUNCATE_EXISTING, 0},
      {GENERIC_READ, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE},
  };
  for (const auto& c : refused) {
    SetLastError(kSentinel);
    EXPECT_EQ(open(kFile, c.access, 0, c.disposition, c.flags), INVALID_HANDLE_VALUE) << c.access << ' ' << c.disposition;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  }
  HANDLE reader = open(kFile, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);
  EXPECT_FALSE(DeleteFileA(kFile));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(contents(kFile), "ro");

  // A file created read-only can still be written through the handle that created it.
  HANDLE created = open("C:\\WINDOWS\\new.dat", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(created, "abc", 3, &done, nullptr));
  CloseHandle(created);
  EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\new.dat") & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(contents("C:\\WINDOWS\\new.dat"), "abc");
}

TEST_F(Files, DirectoriesAreNotFiles) {
  SetLastError(kSentinel);
  EXPECT_EQ(open("C:\\WINDOWS", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(open("C:\\WINDOWS", GENERIC_READ, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  HANDLE dir = open("C:\\WINDOWS", 0, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  EXPECT_NE(dir, INVALID_HANDLE_VALUE);
  CloseHandle(dir);
  SetLastError(kSentinel);
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\SYSTEM"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Files, MissingFileAndMissingDirectory) {
  struct Case {
    const char* path;
    DWORD error;
  } cases[] = {
      {"C:\\WINDOWS\\absent.txt", ERROR_FILE_NOT_FOUND},
      {"C:\\NOWHERE\\absent.txt", ERROR_PATH_NOT_FOUND},
      {"C:\\WINDOWS\\system.ini\\x", ERROR_PATH_NOT_FOUND},
      {"", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SetLastError(kSentinel);
    EXPECT_EQ(open(c.path, GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
    SetLastError(kSentinel);
    EXPECT_FALSE(DeleteFileA(c.path)) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
  EXPECT_EQ(open("C:\\NOWHERE\\new.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Files, DeleteOnClose) {
  HANDLE h = open(kFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(exists(kFile));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(exists(kFile));
}

TEST_F(Files, DeleteFile) {
  machine_.writeFile(kFile, "x");
  EXPECT_TRUE(DeleteFileA("c:\\windows\\TEST.DAT"));
  EXPECT_FALSE(exists(kFile));
  SetLastError(kSentinel);
  EXPECT_FALSE(DeleteFileA(kFile));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // On NT an open handle that shares deleting lets the file go; Windows 9x has no such sharing.
  struct Case {
    machine::WindowsVersion windows;
    BOOL deleted;
  } cases[] = {{machine::WindowsVersion::Win2000, TRUE}, {machine::WindowsVersion::Win98, FALSE}};
  for (const auto& c : cases) {
    machine_.setWindows(c.windows);
    machine_.writeFile(kFile, "x");
    HANDLE h = open(kFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
    EXPECT_EQ(DeleteFileA(kFile), c.deleted);
    CloseHandle(h);
    DeleteFileA(kFile);
  }
}

TEST_F(Files, CopyFile) {
  machine_.writeFile(kFile, "payload");
  ASSERT_TRUE(SetFileAttributesA(kFile, FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(CopyFileA(kFile, "C:\\copy.dat", TRUE));
  EXPECT_EQ(contents("C:\\copy.dat"), "payload");
  EXPECT_EQ(GetFileAttributesA("C:\\copy.dat"), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  SetLastError(kSentinel);
  EXPECT_FALSE(CopyFileA(kFile, "C:\\copy.dat", TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_FALSE(CopyFileA(kFile, "C:\\copy.dat", FALSE));  // the copy is read-only now
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(CopyFileA("C:\\absent", "C:\\copy2.dat", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, Directories) {
  EXPECT_TRUE(CreateDirectoryA("C:\\Tools", nullptr));
  EXPECT_TRUE(fs::is_directory(machine_.root() / "drive_c" / "Tools"));
  struct Case {
    BOOL (*call)(const char*);
    const char* path;
    DWORD error;
  } cases[] = {
      {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "C:\\tools", ERROR_ALREADY_EXISTS},
      {[](const char* p) { return CreateDirectoryA(p, nullptr); }, "C:\\a\\b", ERROR_PATH_NOT_FOUND},
      {RemoveDirectoryA, "C:\\absent", ERROR_FILE_NOT_FOUND},
      {RemoveDirectoryA, "C:\\a\\b", ERROR_PATH_NOT_FOUND},
      {RemoveDirectoryA, "C:\\WINDOWS", ERROR_DIR_NOT_EMPTY},
      {RemoveDirectoryA, "C:\\WINDOWS\\system.ini", ERROR_DIRECTORY},
  };
  for (const auto& c : cases) {
    SetLastError(kSentinel);
    EXPECT_FALSE(c.call(c.path)) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
  }
  EXPECT_TRUE(RemoveDirectoryA("C:\\TOOLS"));
  EXPECT_FALSE(fs::exists(machine_.root() / "drive_c" / "Tools"));
}

TEST_F(Files, OverLongPaths) {
  std::string longName = "C:\\WINDOWS\\" + std::string(260, 'a');
  std::string longDir = "C:\\" + std::string(250, 'd');
  SetLastError(kSentinel);
  EXPECT_EQ(open(longName.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  struct Case {
    const char* what;
    bool failed;
  } calls[] = {
      {"DeleteFileA", DeleteFileA(longName.c_str()) == FALSE},
      {"GetFileAttributesA", GetFileAttributesA(longName.c_str()) == INVALID_FILE_ATTRIBUTES},
      {"SetFileAttributesA", SetFileAttributesA(longName.c_str(), FILE_ATTRIBUTE_NORMAL) == FALSE},
      {"CreateDirectoryA", CreateDirectoryA(longDir.c_str(), nullptr) == FALSE},
      {"CopyFileA", CopyFileA("C:\\WINDOWS\\system.ini", longName.c_str(), FALSE) == FALSE},
  };
  for (const auto& c : calls) {
    EXPECT_TRUE(c.failed) << c.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE)) << c.what;
  }
  WIN32_FIND_DATAA data;
  std::memset(&data, 0x5A, sizeof data);
  EXPECT_EQ(FindFirstFileA((longName + "\\*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(static_cast<unsigned char>(data.cFileName[0]), 0x5A);
}

TEST_F(Files, NothingOutsideTheMachineIsTouched) {
  fs::path outside = machine_.root().string() + "-outside";
  fs::create_directories(outside);
  std::ofstream(outside / "secret.txt") << "secret";
  fs::permissions(outside / "secret.txt", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_directory_symlink(outside, machine_.root() / "drive_c" / "escape");
  fs::create_symlink(outside / "secret.txt", machine_.root() / "drive_c" / "link.txt");
  fs::create_symlink(outside / "planted.txt", machine_.root() / "drive_c" / "dangling.txt");
  const std::string hostPath = (outside / "secret.txt").string();

  struct Case {
    const char* path;
  } paths[] = {{"C:\\link.txt"}, {"C:\\escape\\secret.txt"}, {"C:\\..\\secret.txt"}, {"C:\\dangling.txt"}};
  for (const auto& c : paths) {
    SCOPED_TRACE(c.path);
    for (DWORD disposition : {CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING})
      EXPECT_EQ(open(c.path, GENERIC_READ | GENERIC_WRITE, 0, disposition), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(SetFileAttributesA(c.path, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(CopyFileA("C:\\WINDOWS\\system.ini", c.path, FALSE));
  }
  EXPECT_EQ(open(hostPath.c_str(), GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA("C:\\escape\\secret.txt"));
  EXPECT_TRUE(RemoveDirectoryA("C:\\escape\\"));  // removes the link, never the directory
  EXPECT_FALSE(fs::exists(outside / "planted.txt"));

  // Deleting the link removes the link only.
  EXPECT_TRUE(DeleteFileA("C:\\link.txt"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(machine_.root() / "drive_c" / "link.txt")));
  std::ifstream in(outside / "secret.txt");
  std::string text;
  in >> text;
  EXPECT_EQ(text, "secret");
  auto perms = fs::status(outside / "secret.txt").permissions();
  EXPECT_EQ(perms, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(fs::is_directory(outside));
  fs::remove_all(outside);
}

TEST_F(Files, DevicePathsGoToTheDeviceNamespace) {
  SetLastError(kSentinel);
  EXPECT_EQ(open("\\\\.\\nosuchdevice", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                 FILE_FLAG_DELETE_ON_CLOSE),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace

namespace {

TEST(FileTrace, EachCallIsTracedWithItsResult) {
  test::TempMachine machine(machine::WindowsVersion::Win98, {});
  ::setenv("OMBRIN_TRACE", "file", 1);
  trace::reset();
  std::string log = (machine.root() / "trace.txt").string();
  std::fflush(stderr);
  int saved = ::dup(2);
  FILE* sink = std::fopen(log.c_str(), "w");
  ::dup2(::fileno(sink), 2);
  HANDLE h = CreateFileA("C:\\traced.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, HANDLE{});
  DeleteFileA("C:\\absent.txt");
  CloseHandle(h);
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  std::fclose(sink);
  ::unsetenv("OMBRIN_TRACE");
  trace::reset();
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("trace:file:CreateFileA(\"C:\\traced.txt\""), std::string::npos) << text;
  EXPECT_NE(text.find("trace:file:DeleteFileA(\"C:\\absent.txt\") -> FALSE, error 2"), std::string::npos) << text;
  EXPECT_NE(text.find("trace:file:CloseHandle("), std::string::npos) << text;
}

}  // namespace
