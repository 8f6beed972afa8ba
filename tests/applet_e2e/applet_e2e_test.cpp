// A fresh machine of each Windows version after `ombrin-machine install`: the Control Panel
// shows the card's applet, in English or localised, opening it starts the card's control
// panel program, and installing the card starts its setup program with "14".
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include <ombrin/eventlog.h>
#include <temp_machine.h>

using ombrin::machine::WindowsVersion;
using ombrin::test::buildDir;
using ombrin::test::run;

namespace {

std::string tool(const char* name) { return (buildDir() / "bin" / name).string(); }

// Started programs run on their own; wait a bounded while for what they record.
std::vector<std::vector<std::string>> programEvents(std::size_t expected) {
  std::vector<std::vector<std::string>> found;
  for (int attempt = 0; attempt < 400; ++attempt) {
    found.clear();
    for (const auto& e : ombrin::eventlog::readAll())
      if (e.kind == "program") found.push_back(e.fields);
    if (found.size() >= expected) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return found;
}

class AppletEndToEnd : public ::testing::TestWithParam<WindowsVersion> {};

TEST_P(AppletEndToEnd, ListOpenAndInstall) {
  ombrin::test::TempMachine machine(GetParam());
  auto install = run({tool("ombrin-machine"), "install"});
  ASSERT_EQ(install.exitCode, 0) << install.err;

  auto list = run({tool("ombrin-control"), "list"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, "qv10cpl.cpl\tDravel Ombrin Audio\tOmbrin Control Panel\n");

  auto localised = run({tool("ombrin-machine"), "install", "--localised"});
  ASSERT_EQ(localised.exitCode, 0) << localised.err;
  list = run({tool("ombrin-control"), "list"});
  EXPECT_EQ(list.out, "qv10cpl.cpl\tAudio Dravel Ombrin\tPanneau de contr\xc3\xb4le Ombrin\n");

  // An English installation over it takes the localisation library away again.
  ASSERT_EQ(run({tool("ombrin-machine"), "install"}).exitCode, 0);
  list = run({tool("ombrin-control"), "list"});
  EXPECT_EQ(list.out, "qv10cpl.cpl\tDravel Ombrin Audio\tOmbrin Control Panel\n");

  auto open = run({tool("ombrin-control"), "open", "Dravel Ombrin Audio"});
  EXPECT_EQ(open.exitCode, 0) << open.err;
  auto programs = programEvents(1);
  ASSERT_EQ(programs.size(), 1u);
  EXPECT_EQ(programs[0], (std::vector<std::string>{"qv10cpl.exe"}));

  auto devinst = run({tool("ombrin-devinst"), "install"});
  EXPECT_EQ(devinst.exitCode, 0) << devinst.err;
  EXPECT_NE(devinst.out.find("DIF_INSTALLDEVICE\tQv10CoInstaller.dll,QvCoDeviceInstall\t0x00000000"),
            std::string::npos)
      << devinst.out;
  programs = programEvents(2);
  ASSERT_EQ(programs.size(), 2u);
  EXPECT_EQ(programs[1], (std::vector<std::string>{"qv10setp.exe", "14"}));
}

INSTANTIATE_TEST_SUITE_P(Versions, AppletEndToEnd,
                         ::testing::Values(WindowsVersion::Win95, WindowsVersion::Win98, WindowsVersion::Nt4,
                                           WindowsVersion::Win2000),
                         [](const ::testing::TestParamInfo<WindowsVersion>& param) {
                           return "Win" + std::string(ombrin::machine::versionInfo(param.param).name);
                         });

}  // namespace
