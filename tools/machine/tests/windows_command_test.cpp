#include <gtest/gtest.h>

#include <ombrin/machine.h>

#include "temp_machine.h"
#include "tool_helpers.h"

namespace fs = std::filesystem;
using namespace ombrin;
using namespace ombrin::test;

namespace {

TEST(WindowsCommand, ShowsAndChangesTheReportedVersion) {
  TempMachine m;
  auto r = machineTool({"windows"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(contains(r.out, "98 (9x platform 4.10")) << r.out;

  struct Case {
    const char* version;
    const char* shown;
    const char* systemDir;  // below drive_c, made for the new version
  } cases[] = {
      {"2000", "2000 (NT platform 5.0", "WINNT/SYSTEM32"},
      {"xp", "xp (NT platform 5.1", "WINDOWS/SYSTEM32"},
      {"me", "me (9x platform 4.90", "WINDOWS/SYSTEM"},
  };
  for (const auto& c : cases) {
    r = machineTool({"windows", c.version});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = machineTool({"windows"});
    EXPECT_TRUE(contains(r.out, c.shown)) << r.out;
    EXPECT_TRUE(fs::is_directory(m.root() / "drive_c" / c.systemDir)) << c.systemDir;
  }
  // The card and the rest of the profile stay as they were.
  std::string error;
  EXPECT_EQ(machine::open(m.root(), error)->profile().editions, std::vector<std::string>{"sound"});

  r = machineTool({"windows", "vista"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(contains(r.err, "unknown Windows version 'vista'")) << r.err;
  r = machineTool({"windows", "98", "nt4"});
  EXPECT_EQ(r.exitCode, 2);
}

}  // namespace
