#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

#include "temp_machine.h"
#include "tool_helpers.h"

using namespace ombrin::test;

namespace {

TEST(MachineTool, HelpAndUsageErrors) {
  TempMachine m;
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* out;  // expected in stdout
    const char* err;  // expected in stderr
  } cases[] = {
      {{"--help"}, 0, "init [--windows 95|98|me|nt351|nt4|2000|xp] [--card EDITIONS] [--force]", ""},
      {{"help"}, 0, "path WINPATH", ""},
      {{"help", "path"}, 0, "usage: ombrin-machine path WINPATH", ""},
      {{"windows", "--help"}, 0, "usage: ombrin-machine windows", ""},
      {{}, 2, "", "no command given"},
      {{"frobnicate"}, 2, "", "unknown command 'frobnicate'"},
      {{"help", "frobnicate"}, 2, "", "unknown command 'frobnicate'"},
      {{"path"}, 2, "", "usage: ombrin-machine path WINPATH"},
      {{"status", "now"}, 2, "", "takes no arguments"},
  };
  for (const auto& c : cases) {
    auto r = machineTool(c.args);
    std::string what = c.args.empty() ? "(nothing)" : c.args[0];
    EXPECT_EQ(r.exitCode, c.exitCode) << what << "\n" << r.err;
    EXPECT_TRUE(contains(r.out, c.out)) << what << "\n" << r.out;
    EXPECT_TRUE(contains(r.err, c.err)) << what << "\n" << r.err;
  }
}

TEST(MachineTool, MachineThatCannotBeOpenedIsOneMessageNamingThePath) {
  TempMachine m;
  auto missing = (m.root() / "nowhere").string();
  std::ofstream(m.root() / "drive_c" / "plain-file") << "x";
  auto underFile = (m.root() / "drive_c" / "plain-file" / "machine").string();
  for (const auto& root : {missing, underFile}) {
    for (std::vector<std::string> args : {std::vector<std::string>{"status"}, {"windows"}, {"path", "C:\\"}}) {
      auto r = machineTool(args, {"OMBRIN_MACHINE=" + root});
      EXPECT_EQ(r.exitCode, 1) << args[0];
      EXPECT_EQ(r.out, "");
      EXPECT_TRUE(contains(r.err, root)) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
  }
  std::ofstream(m.root() / "machine.ini") << "[machine]\nwindows=3.11\ncard=sound\n";
  auto r = machineTool({"status"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(contains(r.err, (m.root() / "machine.ini").string() + " is corrupt: line 2")) << r.err;
}

}  // namespace
