#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "log_capture.h"
#include "temp_machine.h"

namespace fs = std::filesystem;
using unombrin::testing::CapturedLines;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

namespace {

class RemoveFiles : public ombrin::test::MachineTest {
 protected:
  unombrin::testing::LoggingUninstaller engine;
  fs::path host(const std::string& winPath) { return machine_.host(winPath); }
  bool exists(const std::string& winPath) { return fs::exists(fs::symlink_status(host(winPath))); }
  void write(const std::string& winPath, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    machine_.writeFile(winPath, "data");
    if (attributes != FILE_ATTRIBUTE_NORMAL) {
      ASSERT_TRUE(SetFileAttributesA(winPath.c_str(), attributes)) << winPath;
    }
  }
};

TEST_F(RemoveFiles, DeletesMatchingFilesWhateverTheirAttributes) {
  struct File {
    const char* name;
    DWORD attributes;
    bool removed;
  } files[] = {
      {"qv10core.vxd", FILE_ATTRIBUTE_NORMAL, true},
      {"QV10MIX.VXD", FILE_ATTRIBUTE_READONLY, true},  // patterns match without case
      {"qv10wave.vxd", FILE_ATTRIBUTE_HIDDEN, true},
      {"qv10hweq.exe", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, true},
      {"qv10", FILE_ATTRIBUTE_NORMAL, true},  // "*.*" also matches names without a dot
      {"qv30core.vxd", FILE_ATTRIBUTE_NORMAL, false},
      {"aqv10.dll", FILE_ATTRIBUTE_READONLY, false},
  };
  for (const auto& f : files) write(std::string("C:\\WINDOWS\\SYSTEM\\") + f.name, f.attributes);
  fs::create_directories(host("C:\\WINDOWS\\SYSTEM\\qv10dir"));
  engine.RemoveFiles("C:\\WINDOWS\\SYSTEM", "qv10*.*");
  for (const auto& f : files) EXPECT_EQ(exists(std::string("C:\\WINDOWS\\SYSTEM\\") + f.name), !f.removed) << f.name;
  EXPECT_TRUE(fs::is_directory(host("C:\\WINDOWS\\SYSTEM\\qv10dir")));
  EXPECT_THAT(CapturedLines(), UnorderedElementsAre("--Removed 'C:\\WINDOWS\\SYSTEM\\qv10core.vxd'",
                                                    "--Removed 'C:\\WINDOWS\\SYSTEM\\QV10MIX.VXD'",
                                                    "--Removed 'C:\\WINDOWS\\SYSTEM\\qv10wave.vxd'",
                                                    "--Removed 'C:\\WINDOWS\\SYSTEM\\qv10hweq.exe'",
                                                    "--Removed 'C:\\WINDOWS\\SYSTEM\\qv10'"));
  CapturedLines().clear();
  engine.RemoveFiles("C:\\WINDOWS\\SYSTEM", "qv10*.*");  // a second run finds nothing
  EXPECT_THAT(CapturedLines(), IsEmpty());
}

TEST_F(RemoveFiles, PlainNamesAndMissingPlaces) {
  write("C:\\WINDOWS\\INF\\drvidx.bin");
  write("C:\\WINDOWS\\INF\\drvidx.bin.bak");
  engine.RemoveFiles("C:\\WINDOWS\\INF", "drvidx.bin");
  engine.RemoveFiles("C:\\WINDOWS\\INF", "drvdata.bin");
  engine.RemoveFiles("C:\\WINDOWS\\NOSUCH", "*.*");
  engine.RemoveFiles(nullptr, "*.*");
  engine.RemoveFiles("C:\\WINDOWS\\INF", nullptr);
  EXPECT_FALSE(exists("C:\\WINDOWS\\INF\\drvidx.bin"));
  EXPECT_TRUE(exists("C:\\WINDOWS\\INF\\drvidx.bin.bak"));
  EXPECT_THAT(CapturedLines(), ElementsAre("--Removed 'C:\\WINDOWS\\INF\\drvidx.bin'"));
}

TEST_F(RemoveFiles, AFileInUseIsReportedAndTheRestGoes) {
  write("C:\\WINDOWS\\INF\\qv10a.inf");
  write("C:\\WINDOWS\\INF\\qv10b.inf", FILE_ATTRIBUTE_READONLY);
  write("C:\\WINDOWS\\INF\\qv10c.inf");
  HANDLE inUse = CreateFileA("C:\\WINDOWS\\INF\\qv10b.inf", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, HANDLE{});
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  engine.RemoveFiles("C:\\WINDOWS\\INF", "qv10*.inf");
  CloseHandle(inUse);
  EXPECT_TRUE(exists("C:\\WINDOWS\\INF\\qv10b.inf"));
  EXPECT_THAT(CapturedLines(), ElementsAre("--Removed 'C:\\WINDOWS\\INF\\qv10a.inf'",
                                           "ERROR: Couldn't remove 'C:\\WINDOWS\\INF\\qv10b.inf'",
                                           "--Removed 'C:\\WINDOWS\\INF\\qv10c.inf'"));
}

// A search path that does not fit the platform's path limit is not cut down to a shorter (and
// wider) pattern: nothing is searched.
TEST_F(RemoveFiles, AnOverlongSearchPathSearchesNothing) {
  std::string directory = "C:\\WINDOWS\\" + std::string(219, 'd');
  fs::create_directories(host(directory));
  write(directory + "\\q");
  engine.RemoveFiles(directory.c_str(), std::string("q" + std::string(30, '*')).c_str());
  EXPECT_TRUE(exists(directory + "\\q"));
  EXPECT_THAT(CapturedLines(), IsEmpty());
}

// A matching link is deleted as a link: what it points to, outside the machine, keeps its
// content and its mode bits.
TEST_F(RemoveFiles, ALinkIsDeletedAsALink) {
  fs::path outside = machine_.root().parent_path() / (machine_.root().filename().string() + "-outside.txt");
  std::ofstream(outside) << "keep me";
  fs::permissions(outside, fs::perms::owner_read | fs::perms::group_read);
  fs::create_directories(host("C:\\WINDOWS\\SYSTEM"));
  fs::create_symlink(outside, host("C:\\WINDOWS\\SYSTEM") / "qv10link.dll");
  engine.RemoveFiles("C:\\WINDOWS\\SYSTEM", "qv10*.*");
  EXPECT_FALSE(exists("C:\\WINDOWS\\SYSTEM\\qv10link.dll"));
  ASSERT_TRUE(fs::exists(outside));
  EXPECT_EQ(fs::status(outside).permissions(), fs::perms::owner_read | fs::perms::group_read);
  std::ifstream in(outside);
  std::string content;
  std::getline(in, content);
  EXPECT_EQ(content, "keep me");
  fs::remove(outside);
}

}  // namespace
