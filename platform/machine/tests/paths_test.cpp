#include <cstring>
#include <fstream>

#include <unistd.h>

#include <gtest/gtest.h>

#include <ombrin/paths.h>
#include <win32/windows.h>

#include "temp_machine.h"

namespace fs = std::filesystem;
using namespace ombrin;

class Paths : public test::MachineTest {};

TEST_F(Paths, LookupIgnoresCaseAndKeepsTheStoredCase) {
  auto r = paths::resolve("c:\\windows\\SYSTEM.INI");
  ASSERT_EQ(r.error, 0u);
  EXPECT_TRUE(r.exists);
  EXPECT_EQ(r.host, machine_.root() / "drive_c" / "WINDOWS" / "system.ini");
  auto fresh = paths::resolve("C:\\Windows\\NewFile.Txt");
  EXPECT_EQ(fresh.error, 0u);
  EXPECT_FALSE(fresh.exists);
  EXPECT_TRUE(fresh.parentExists);
  EXPECT_EQ(fresh.host, machine_.root() / "drive_c" / "WINDOWS" / "NewFile.Txt");
  EXPECT_EQ(paths::toWindows(r.host), "C:\\WINDOWS\\system.ini");
}

TEST_F(Paths, NothingLeavesTheMachine) {
  fs::path outside = machine_.root().parent_path() / (machine_.root().filename().string() + "-outside");
  fs::create_directories(outside);
  std::ofstream(outside / "secret.txt") << "x";
  fs::create_directory_symlink(outside, machine_.root() / "drive_c" / "escape");
  fs::create_symlink(outside / "secret.txt", machine_.root() / "drive_c" / "link.txt");

  struct Case {
    std::string path;
    DWORD error;
  } cases[] = {
      {"C:\\..\\..\\etc\\passwd", ERROR_PATH_NOT_FOUND},
      {"C:\\WINDOWS\\..\\..\\x", ERROR_PATH_NOT_FOUND},
      {"D:\\x", ERROR_PATH_NOT_FOUND},
      {"\\\\server\\share\\x", ERROR_PATH_NOT_FOUND},
      {"C:\\escape\\secret.txt", ERROR_PATH_NOT_FOUND},
      {"C:\\" + std::string(300, 'a'), ERROR_FILENAME_EXCED_RANGE},
      {"C:\\a<b", ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) EXPECT_EQ(paths::resolve(c.path).error, c.error) << c.path;

  // A host path is just a path on drive C.
  auto host = paths::resolve(outside.string());
  EXPECT_FALSE(host.exists);
  EXPECT_TRUE(host.host.string().starts_with((machine_.root() / "drive_c").string()));

  auto link = paths::resolve("C:\\link.txt");
  EXPECT_EQ(link.error, 0u);
  EXPECT_TRUE(link.linkOutside);
  fs::remove_all(outside);
}
