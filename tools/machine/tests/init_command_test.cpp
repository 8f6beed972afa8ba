#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include <ombrin/machine.h>

#include "temp_machine.h"
#include "tool_helpers.h"

namespace fs = std::filesystem;
using namespace ombrin;
using namespace ombrin::test;

namespace {

TEST(InitCommand, CreatesTheMachineOfTheProfile) {
  TempMachine scratch;
  struct Case {
    std::vector<std::string> args;
    const char* windows;
    const char* card;
    const char* windowsDir;
  } cases[] = {
      {{"init"}, "98", "sound", "WINDOWS"},
      {{"init", "--windows", "nt4", "--card", "none"}, "nt4", "none", "WINNT"},
      {{"init", "--windows=2000", "--card=sound,combined"}, "2000", "sound,combined", "WINNT"},
      {{"init", "--windows", "95", "--card", "none"}, "95", "none", "WINDOWS"},
  };
  int n = 0;
  for (const auto& c : cases) {
    auto root = scratch.root() / ("m" + std::to_string(n++));
    auto r = machineTool(c.args, {"OMBRIN_MACHINE=" + root.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(contains(r.out, root.string())) << r.out;
    std::string error;
    auto m = machine::open(root, error);
    ASSERT_TRUE(m) << error;
    EXPECT_EQ(std::string(m->version().name), c.windows);
    std::ifstream ini(root / "machine.ini");
    std::string text((std::istreambuf_iterator<char>(ini)), {});
    EXPECT_TRUE(contains(text, std::string("card=") + c.card)) << text;
    EXPECT_TRUE(fs::is_regular_file(root / "drive_c" / c.windowsDir / "system.ini"));
  }
}

TEST(InitCommand, RefusesToOverwriteWithoutForceAndRejectsBadOptions) {
  TempMachine m;  // already a machine
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* err;
  } cases[] = {
      {{"init"}, 1, "already exists"},
      {{"init", "--windows", "3.11"}, 2, "unknown Windows version '3.11'"},
      {{"init", "--windows"}, 2, "--windows needs a version"},
      {{"init", "--card", "guitar"}, 2, "unknown card edition 'guitar'"},
      {{"init", "--colour"}, 2, "unexpected argument '--colour'"},
  };
  for (const auto& c : cases) {
    auto r = machineTool(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back();
    EXPECT_TRUE(contains(r.err, c.err)) << r.err;
  }
  std::string error;
  EXPECT_EQ(machine::open(m.root(), error)->version().name, std::string("98"));

  m.writeFile("C:\\WINDOWS\\old.txt", "left over");
  auto r = machineTool({"init", "--windows", "me", "--force"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(machine::open(m.root(), error)->version().name, std::string("me"));
  EXPECT_FALSE(fs::exists(m.root() / "drive_c" / "WINDOWS" / "old.txt"));
}

}  // namespace
