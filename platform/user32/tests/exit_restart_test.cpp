#include <fstream>

#include <gtest/gtest.h>

#include <ombrin/devices.h>
#include <ombrin/eventlog.h>
#include <ombrin/machine.h>
#include <win32/windows.h>

#include "temp_machine.h"

namespace fs = std::filesystem;
using namespace ombrin;

namespace {

int restartHooksRun = 0;

TEST(ExitWindows, EndsTheSessionOfTheMachineOnly) {
  struct Case {
    UINT flags;
    const char* logged;
  } cases[] = {
      {EWX_REBOOT | 0x40, "0x42"},  // what an uninstaller asks for
      {EWX_SHUTDOWN | EWX_FORCE, "0x5"},
      {EWX_LOGOFF, "0x0"},
  };
  devices::onRestart([] { ++restartHooksRun; });
  for (const auto& c : cases) {
    test::TempMachine m;
    auto run = machine::current().runDir();
    fs::create_directories(run / "objects" / "deep");
    std::ofstream(run / "card.state") << "gains";
    std::ofstream(run / "objects" / "deep" / "mutex") << "x";
    devices::setLoadInstalledDrivers(false);
    devices::registerDriver("qv10core.vxd", std::make_shared<devices::FakeDevice>());
    int hooksBefore = restartHooksRun;

    SetLastError(0xDEADBEEF);
    EXPECT_TRUE(ExitWindowsEx(c.flags, 0xFFFFFFFF));
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu);

    EXPECT_TRUE(fs::is_directory(run));
    EXPECT_TRUE(fs::is_empty(run));
    EXPECT_TRUE(fs::is_regular_file(m.root() / "machine.ini"));
    EXPECT_TRUE(fs::is_directory(m.root() / "drive_c" / "WINDOWS" / "SYSTEM"));
    EXPECT_TRUE(devices::deviceNames().empty());
    EXPECT_EQ(restartHooksRun, hooksBefore + 1);
    auto events = eventlog::readAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, "restart");
    EXPECT_EQ(events[0].fields, std::vector<std::string>{c.logged});
  }
}

}  // namespace
