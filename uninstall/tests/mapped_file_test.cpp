#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "mapped_file.h"
#include "temp_machine.h"

namespace fs = std::filesystem;

namespace {

constexpr DWORD kStep = 98304;

TEST(MappedFileCapacity, IsTheNextMultipleOfTheStepAboveTheSize) {
  struct Case {
    DWORD size, capacity;
  } cases[] = {
      {0, kStep}, {1, kStep}, {kStep - 1, kStep}, {kStep, 2 * kStep}, {5 * kStep + 7, 6 * kStep},
      {43690 * kStep - 1, 43690 * kStep},  // the last multiple below 2^32
      {43690 * kStep, 0},                  // the next one does not fit into 32 bits
      {0xFFFFFFFFu, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(MappedFile::CapacityFor(c.size), c.capacity) << c.size;
}

class MappedFileTest : public ombrin::test::MachineTest {
 protected:
  const char* path = "C:\\WINDOWS\\data.txt";
  std::string onDisk() { return machine_.readFile(path); }
  bool exists() { return fs::exists(machine_.host(path)); }
};

TEST_F(MappedFileTest, OpenModesOnPresentAndMissingFiles) {
  struct Case {
    const char* what;
    int (MappedFile::*open)(const char*);
    bool present;
    int result;
    DWORD size;
    bool writable;
    bool existsAfter;
    std::string contentAfter;
  } cases[] = {
      {"read, present", &MappedFile::OpenRead, true, 1, 5, false, true, "hello"},
      {"read, missing", &MappedFile::OpenRead, false, 0, 0, false, false, ""},
      {"read-write, present", &MappedFile::OpenReadWrite, true, 1, 5, true, true, "hello"},
      {"read-write, missing", &MappedFile::OpenReadWrite, false, 1, 0, true, true, ""},
      {"create, present", &MappedFile::Create, true, 1, 0, true, true, ""},
      {"create, missing", &MappedFile::Create, false, 1, 0, true, true, ""},
  };
  for (const auto& c : cases) {
    std::error_code ec;
    fs::remove(machine_.host(path), ec);
    if (c.present) machine_.writeFile(path, "hello");
    {
      MappedFile file;
      EXPECT_EQ((file.*c.open)(path), c.result) << c.what;
      EXPECT_EQ(file.GetSize(), c.size) << c.what;
      EXPECT_EQ(file.IsWritable(), c.writable) << c.what;
      EXPECT_EQ(file.IsOpen(), c.result == 1) << c.what;
      if (c.result == 1) {
        EXPECT_EQ(file.GetCapacity(), c.writable ? MappedFile::CapacityFor(c.size) : c.size) << c.what;
        EXPECT_EQ(std::string(file.GetCurrentPointer(), file.GetSize()), c.contentAfter) << c.what;
      }
    }
    EXPECT_EQ(exists(), c.existsAfter) << c.what;
    if (c.existsAfter) {
      EXPECT_EQ(onDisk(), c.contentAfter) << c.what;  // closing cut the mapping's room away
    }
  }
}

TEST_F(MappedFileTest, NamesThatCannotBeOpened) {
  MappedFile file;
  EXPECT_EQ(file.OpenRead(nullptr), -1);
  EXPECT_EQ(file.OpenReadWrite(nullptr), -1);
  EXPECT_EQ(file.Create(nullptr), -1);
  machine_.writeFile("C:\\WINDOWS\\empty.txt", "");
  EXPECT_EQ(file.OpenRead("C:\\WINDOWS\\empty.txt"), 0);  // an empty file cannot be mapped read-only
  std::string tooLong = "C:\\WINDOWS\\" + std::string(MAX_PATH, 'x');
  EXPECT_EQ(file.Create(tooLong.c_str()), 0);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_STREQ(file.GetName(), "");
}

TEST_F(MappedFileTest, ReadSeekTellAndMarks) {
  machine_.writeFile(path, "0123456789");
  MappedFile file;
  EXPECT_EQ(file.Tell(), 0u);
  ASSERT_EQ(file.OpenRead(path), 1);
  EXPECT_STREQ(file.GetName(), path);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(file.SetMark(3), 0u);
  EXPECT_EQ(file.SetMark(42), 0u);  // beyond the last mark: mark 9
  EXPECT_EQ(file.Seek(10), 4u);     // the end itself is a valid position
  EXPECT_EQ(file.Seek(11), 10u);    // beyond it is not
  EXPECT_EQ(file.Tell(), 10u);
  EXPECT_EQ(file.Read(buffer, 4), 0u);
  EXPECT_EQ(file.GotoMark(3), 4u);
  EXPECT_EQ(file.Read(buffer, 100), 6u);
  EXPECT_EQ(std::string(buffer, 6), "456789");
  EXPECT_EQ(file.GotoMark(9), 4u);
  EXPECT_EQ(file.Read(nullptr, 1), 0u);
  file.SetSize(2);  // below the position: nothing to read, nothing read beyond
  EXPECT_EQ(file.Read(buffer, 4), 0u);
  file.Close();
  EXPECT_EQ(file.Tell(), 0u);
  EXPECT_EQ(file.GetPosition(), 4u);
  EXPECT_EQ(file.Read(buffer, 1), 0u);
  EXPECT_EQ(onDisk(), "0123456789");  // read-only: never cut
}

TEST_F(MappedFileTest, WritesAndCutsTheFileToTheSizeOnClose) {
  machine_.writeFile(path, "0123456789");
  {
    MappedFile file;
    ASSERT_EQ(file.OpenReadWrite(path), 1);
    EXPECT_EQ(fs::file_size(machine_.host(path)), kStep);  // the mapping's room, while open
    file.Seek(8);
    EXPECT_EQ(file.Write("abcd", 4), 4u);
    EXPECT_EQ(file.GetSize(), 12u);
    EXPECT_EQ(file.Tell(), 12u);
    EXPECT_EQ(file.Write(nullptr, 4), 0u);
    EXPECT_TRUE(file.Flush(0, 100));
  }
  EXPECT_EQ(onDisk(), "01234567abcd");
  {
    MappedFile file;
    ASSERT_EQ(file.OpenReadWrite(path), 1);
    file.SetSize(3);
  }
  EXPECT_EQ(onDisk(), "012");
}

TEST_F(MappedFileTest, AWriteBeyondTheMappingGrowsItAndKeepsThePosition) {
  machine_.writeFile(path, "head");
  MappedFile file;
  ASSERT_EQ(file.OpenReadWrite(path), 1);
  file.SetMark(0);
  std::string block(kStep, 'z');
  file.Seek(4);
  EXPECT_EQ(file.Write(block.data(), kStep), kStep);
  EXPECT_EQ(file.GetSize(), kStep + 4);
  EXPECT_EQ(file.GetCapacity(), 2 * kStep);
  EXPECT_EQ(file.Tell(), kStep + 4);
  EXPECT_TRUE(file.IsWritable());
  EXPECT_EQ(std::string(file.GetCurrentPointer() - file.Tell(), 4), "head");
  file.Close();
  EXPECT_EQ(onDisk(), "head" + block);
}

TEST_F(MappedFileTest, AReadOnlyViewTakesOnlyWritesThatReopenIt) {
  machine_.writeFile(path, "0123456789");
  MappedFile file;
  ASSERT_EQ(file.OpenRead(path), 1);
  file.Seek(2);
  EXPECT_EQ(file.Write("ab", 2), 0u);  // inside the read-only view
  EXPECT_EQ(file.GetSize(), 10u);
  file.Seek(8);
  EXPECT_EQ(file.Write("abcd", 4), 4u);  // beyond it: reopened writable
  EXPECT_TRUE(file.IsWritable());
  file.Close();
  EXPECT_EQ(onDisk(), "01234567abcd");
}

TEST_F(MappedFileTest, MakeWritableReopensAtTheSamePosition) {
  machine_.writeFile(path, "0123456789");
  MappedFile file;
  ASSERT_EQ(file.OpenRead(path), 1);
  file.Seek(6);
  EXPECT_EQ(file.MakeWritable(), 1);
  EXPECT_TRUE(file.IsWritable());
  EXPECT_EQ(file.Tell(), 6u);
  EXPECT_EQ(file.MakeWritable(), 1);
  EXPECT_EQ(file.Write("X", 1), 1u);
  file.Close();
  EXPECT_EQ(onDisk(), "012345X789");
}

TEST_F(MappedFileTest, OthersMayReadButNotWriteWhileOpen) {
  machine_.writeFile(path, "0123456789");
  MappedFile file;
  ASSERT_EQ(file.OpenReadWrite(path), 1);
  HANDLE reader = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, HANDLE{});
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  HANDLE writer = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, HANDLE{});
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

}  // namespace
