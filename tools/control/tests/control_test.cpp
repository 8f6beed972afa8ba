// ombrin-control end to end: the applet protocol in Windows' order, listing and opening.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include <ombrin/eventlog.h>
#include <temp_machine.h>

namespace fs = std::filesystem;
using ombrin::test::buildDir;
using ombrin::test::run;

namespace {

class ControlTest : public ombrin::test::MachineTest {
 protected:
  std::string control() const { return (buildDir() / "bin" / "ombrin-control").string(); }
  void placeProto() {
    fs::copy_file(buildDir() / "tests" / "modules" / "proto.cpl", machine_.host("C:\\WINDOWS\\SYSTEM\\proto.cpl"));
  }
  // What the test applet was told, in order.
  std::vector<std::string> protocol() {
    std::vector<std::string> seen;
    for (const auto& e : ombrin::eventlog::readAll()) {
      if (e.kind != "cpl") continue;
      std::string line;
      for (const auto& f : e.fields) line += (line.empty() ? "" : " ") + f;
      seen.push_back(line);
    }
    return seen;
  }
};

TEST_F(ControlTest, ListSpeaksTheProtocolInWindowsOrder) {
  placeProto();
  auto result = run({control(), "list"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "proto.cpl\tProto 0\tTest applet 0\nproto.cpl\tProto 1\tTest applet 1\n");
  EXPECT_EQ(protocol(), (std::vector<std::string>{"attach", "1", "2", "8 0", "8 1", "6 0:100", "6 1:101", "7",
                                                  "detach"}));
}

TEST_F(ControlTest, OpenDoubleClicksTheNamedApplet) {
  placeProto();
  auto result = run({control(), "open", "proto 1"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(protocol(), (std::vector<std::string>{"attach", "1", "2", "8 0", "8 1", "5 1:101", "6 0:100", "6 1:101",
                                                  "7", "detach"}));
}

struct UsageCase {
  std::vector<std::string> args;
  int exitCode;
};

TEST_F(ControlTest, UsageAndUnknownApplets) {
  placeProto();
  const UsageCase cases[] = {
      {{}, 2}, {{"lists"}, 2}, {{"open", "a", "b"}, 2}, {{"open"}, 2}, {{"open", "nothing"}, 1}, {{"--help"}, 0},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{control()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(run(argv).exitCode, c.exitCode) << (c.args.empty() ? "" : c.args[0]);
  }
}

TEST_F(ControlTest, EmptySystemDirectoryListsNothing) {
  auto result = run({control(), "list"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");
}

}  // namespace
