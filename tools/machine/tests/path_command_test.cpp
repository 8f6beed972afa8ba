#include <gtest/gtest.h>

#include "temp_machine.h"
#include "tool_helpers.h"

namespace fs = std::filesystem;
using namespace ombrin::test;

namespace {

TEST(PathCommand, PrintsHostPathsInsideTheMachineOnly) {
  TempMachine m;
  fs::create_symlink("/etc", m.root() / "drive_c" / "WINDOWS" / "outside");
  struct Case {
    const char* winPath;
    const char* host;  // below drive_c; null when the tool must refuse
    const char* err;
  } cases[] = {
      {"C:\\WINDOWS\\SYSTEM.INI", "WINDOWS/system.ini", ""},
      {"c:\\windows\\system", "WINDOWS/SYSTEM", ""},
      {"C:\\WINDOWS\\new.txt", "WINDOWS/new.txt", ""},
      {"C:\\..\\..\\etc\\passwd", nullptr, "ERROR_PATH_NOT_FOUND"},
      {"C:\\WINDOWS\\outside\\passwd", nullptr, "ERROR_PATH_NOT_FOUND"},
      {"C:\\WINDOWS\\outside", nullptr, "leads out of the machine"},
      {"D:\\x", nullptr, "ERROR_PATH_NOT_FOUND"},
      {"C:\\NOWHERE\\x", nullptr, "ERROR_PATH_NOT_FOUND"},
      {"C:\\a<b", nullptr, "ERROR_INVALID_NAME"},
  };
  for (const auto& c : cases) {
    auto r = machineTool({"path", c.winPath});
    if (c.host) {
      EXPECT_EQ(r.exitCode, 0) << c.winPath << ": " << r.err;
      EXPECT_EQ(r.out, (m.root() / "drive_c" / c.host).string() + "\n");
    } else {
      EXPECT_EQ(r.exitCode, 1) << c.winPath;
      EXPECT_EQ(r.out, "");
      EXPECT_TRUE(contains(r.err, c.err)) << r.err;
    }
  }
  auto r = machineTool({"path", "C:\\" + std::string(300, 'a')});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(contains(r.err, "ERROR_FILENAME_EXCED_RANGE")) << r.err;
}

TEST(PathCommand, InitThenPathGivesAnExistingFile) {
  TempMachine scratch;
  auto root = (scratch.root() / "fresh").string();
  std::vector<std::string> env{"OMBRIN_MACHINE=" + root};
  ASSERT_EQ(machineTool({"init", "--windows", "98"}, env).exitCode, 0);
  auto r = machineTool({"path", "C:\\WINDOWS\\SYSTEM.INI"}, env);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  fs::path host = r.out.substr(0, r.out.size() - 1);
  EXPECT_TRUE(fs::is_regular_file(host)) << host;
  EXPECT_EQ(host.string().rfind(root, 0), 0u) << host;
}

}  // namespace
