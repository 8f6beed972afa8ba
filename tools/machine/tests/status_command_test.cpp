#include <gtest/gtest.h>

#include "temp_machine.h"
#include "tool_helpers.h"

namespace fs = std::filesystem;
using namespace ombrin::test;

namespace {

TEST(StatusCommand, ShowsWhatTheMachineHolds) {
  TempMachine m(ombrin::machine::WindowsVersion::Nt4);
  auto r = machineTool({"status"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const std::string& line : {"machine   " + m.root().string(), std::string("windows   nt4 (NT platform 4.0"),
                                  std::string("card      sound"), std::string("registry  HKEY_LOCAL_MACHINE "),
                                  std::string("C:\\\n"), std::string("  WINNT\\\n"), std::string("    SYSTEM32\\ "),
                                  std::string("    system.ini ")})
    EXPECT_TRUE(contains(r.out, line)) << line << "\n" << r.out;
}

TEST(StatusCommand, CreatesTheDefaultMachineOnFirstUse) {
  TempMachine scratch;
  auto data = scratch.root() / "xdg";
  auto r = machineTool({"status"}, {"OMBRIN_MACHINE=", "XDG_DATA_HOME=" + data.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto root = data / "ombrin" / "machine";
  EXPECT_TRUE(contains(r.out, "machine   " + root.string())) << r.out;
  EXPECT_TRUE(contains(r.out, "windows   98 ")) << r.out;
  EXPECT_TRUE(contains(r.out, "card      sound")) << r.out;
  EXPECT_TRUE(fs::is_regular_file(root / "drive_c" / "WINDOWS" / "system.ini"));
}

}  // namespace
