#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include <win32/windows.h>

#include "temp_machine.h"

namespace fs = std::filesystem;
using namespace ombrin;

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
constexpr DWORD kRoom = 0x18000;  // the room an editor maps beyond a file to let it grow
const char* const kIni = "C:\\WINDOWS\\system.ini";

class Mapping : public testing::Test {
 protected:
  test::TempMachine machine_{machine::WindowsVersion::Win98, {}};

  HANDLE open(const char* name, DWORD access, DWORD disposition = OPEN_EXISTING, DWORD share = FILE_SHARE_READ) {
    return CreateFileA(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, HANDLE{});
  }
  std::uintmax_t size(const char* name) { return fs::file_size(machine_.host(name)); }
};

TEST_F(Mapping, EditInPlaceAndCutOnClose) {
  const std::string text = "[386Enh]\r\ndevice=telvcd.vxd\r\nkeyboard=*vkd\r\n";
  machine_.writeFile(kIni, text);
  HANDLE file = open(kIni, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD length = GetFileSize(file, nullptr);
  ASSERT_EQ(length, text.size());

  // A mapping larger than the file grows the file to the mapping's size.
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, kRoom, nullptr);
  ASSERT_TRUE(mapping);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(size(kIni), kRoom);
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kRoom));
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(std::string(view, length), text);
  EXPECT_EQ(view[length], '\0');  // the room is zeros

  // Remove the middle line in the view.
  const char line[] = "device=telvcd.vxd\r\n";
  char* at = std::strstr(view, line);
  ASSERT_NE(at, nullptr);
  std::size_t cut = sizeof line - 1;
  std::memmove(at, at + cut, length - (at - view) - cut);
  length -= static_cast<DWORD>(cut);
  EXPECT_TRUE(FlushViewOfFile(view, length));

  // While the view is mapped, the file cannot be cut shorter.
  EXPECT_EQ(SetFilePointer(file, static_cast<LONG>(length), nullptr, FILE_BEGIN), length);
  SetLastError(kSentinel);
  EXPECT_FALSE(SetEndOfFile(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_USER_MAPPED_FILE));
  EXPECT_EQ(size(kIni), kRoom);

  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_EQ(SetFilePointer(file, static_cast<LONG>(length), nullptr, FILE_BEGIN), length);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(machine_.readFile(kIni), "[386Enh]\r\nkeyboard=*vkd\r\n");
}

TEST_F(Mapping, EmptyFiles) {
  HANDLE file = open("C:\\empty.txt", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetLastError(kSentinel);
  EXPECT_FALSE(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
  EXPECT_FALSE(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));

  // With room, an empty file maps, and is empty again when cut back on close.
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, kRoom, nullptr);
  ASSERT_TRUE(mapping);
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(size("C:\\empty.txt"), 0u);
}

TEST_F(Mapping, Refusals) {
  machine_.writeFile("C:\\f.bin", std::string(100, 'x'));
  HANDLE reader = open("C:\\f.bin", GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);
  HANDLE writer = open("C:\\f.bin", GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE);  // no read access
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  struct Case {
    const char* what;
    HANDLE file;
    DWORD protect;
    DWORD size;
    DWORD error;
  } cases[] = {
      {"write mapping of a read handle", reader, PAGE_READWRITE, 0, ERROR_ACCESS_DENIED},
      {"mapping of a handle without read access", writer, PAGE_READONLY, 0, ERROR_ACCESS_DENIED},
      {"read-only mapping beyond the file", reader, PAGE_READONLY, 4096, ERROR_NOT_ENOUGH_MEMORY},
      {"unknown protection", reader, PAGE_NOACCESS, 0, ERROR_INVALID_PARAMETER},
      {"not a file", HANDLE{0x7770}, PAGE_READONLY, 0, ERROR_INVALID_HANDLE},
      {"paging file without a size", INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(kSentinel);
    EXPECT_FALSE(CreateFileMappingA(c.file, nullptr, c.protect, 0, c.size, nullptr)) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  EXPECT_EQ(size("C:\\f.bin"), 100u);

  HANDLE mapping = CreateFileMappingA(reader, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_TRUE(mapping);
  struct ViewCase {
    const char* what;
    DWORD access;
    DWORD offset;
    SIZE_T bytes;
    DWORD error;
  } views[] = {
      {"write view of a read-only mapping", FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
      {"offset off the granularity", FILE_MAP_READ, 4096, 0, ERROR_MAPPED_ALIGNMENT},
      {"view beyond the mapping", FILE_MAP_READ, 0, 101, ERROR_ACCESS_DENIED},
      {"offset beyond the mapping", FILE_MAP_READ, 65536, 0, ERROR_ACCESS_DENIED},
  };
  for (const auto& v : views) {
    SetLastError(kSentinel);
    EXPECT_EQ(MapViewOfFile(mapping, v.access, 0, v.offset, v.bytes), nullptr) << v.what;
    EXPECT_EQ(GetLastError(), v.error) << v.what;
  }
  SetLastError(kSentinel);
  EXPECT_EQ(MapViewOfFile(reader, FILE_MAP_READ, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  int local = 0;
  for (const void* address : {static_cast<const void*>(&local), static_cast<const void*>(nullptr)}) {
    SetLastError(kSentinel);
    EXPECT_FALSE(UnmapViewOfFile(address));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    EXPECT_FALSE(FlushViewOfFile(address, 0));
  }
  CloseHandle(mapping);
  CloseHandle(reader);
  CloseHandle(writer);
}

TEST_F(Mapping, ViewsOutliveTheirHandlesAndShareTheFile) {
  machine_.writeFile("C:\\f.bin", "0123456789");
  HANDLE file = open("C:\\f.bin", GENERIC_READ | GENERIC_WRITE);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  ASSERT_TRUE(mapping);
  auto* a = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  auto* b = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 10));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(file));

  a[0] = 'X';
  EXPECT_EQ(b[0], 'X');
  // Another handle sees the bytes through the file, and cannot cut it while it is mapped.
  HANDLE other = CreateFileA("C:\\f.bin", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, HANDLE{});
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  char buffer[4] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(other, buffer, 3, &read, nullptr));
  EXPECT_STREQ(buffer, "X12");
  EXPECT_FALSE(SetEndOfFile(other));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_USER_MAPPED_FILE));
  EXPECT_FALSE(DeleteFileA("C:\\f.bin"));

  EXPECT_TRUE(UnmapViewOfFile(a + 5));  // any address inside the view names it
  EXPECT_FALSE(UnmapViewOfFile(a));
  EXPECT_FALSE(SetEndOfFile(other));  // one view still holds the file
  EXPECT_TRUE(UnmapViewOfFile(b));
  EXPECT_TRUE(SetEndOfFile(other));
  CloseHandle(other);
  EXPECT_EQ(machine_.readFile("C:\\f.bin"), "X12");
}

TEST_F(Mapping, PagingFileSections) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8192, nullptr);
  ASSERT_TRUE(mapping);
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  view[8191] = 'z';
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
}

}  // namespace
