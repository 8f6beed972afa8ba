#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "log_capture.h"
#include "temp_machine.h"

using ombrin::machine::WindowsVersion;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

// Records which recipes ran, in order; the selections and guards stay the engine's own.
class RecordingUninstaller : public Uninstaller {
 public:
  std::vector<std::string> ran;
  void RemoveModemNewBoard() override { ran.push_back("ModemNewBoard"); }
  void RemoveModemOldBoard() override { ran.push_back("ModemOldBoard"); }
  void RemoveSetupDevices() override { ran.push_back("SetupDevices"); }
  void RemoveOemModemEdition() override { ran.push_back("OemModemEdition"); }
  void RemoveCombinedEdition() override { ran.push_back("CombinedEdition"); }
  void RemoveKmp4Family() override { ran.push_back("Kmp4Family"); }
  void RemoveQv30Family() override { ran.push_back("Qv30Family"); }
  void RemoveTellicorIsaModem() override { ran.push_back("TellicorIsaModem"); }
  void RemoveTellicorPciModem() override { ran.push_back("TellicorPciModem"); }
};

const std::vector<std::string> kAllOn9x = {
    "TellicorIsaModem", "TellicorPciModem", "ModemNewBoard",   "SetupDevices",     "ModemOldBoard",
    "OemModemEdition",  "CombinedEdition",  "Kmp4Family",      "Qv30Family",       "OemModemEdition",
    "TellicorIsaModem", "TellicorPciModem", "SetupDevices",    "CombinedEdition",
};

TEST(UninstallerEngine, VersionTests) {
  struct Case {
    WindowsVersion version;
    bool win9x, win95;
  } cases[] = {
      {WindowsVersion::Win95, true, true},    {WindowsVersion::Win98, true, false},
      {WindowsVersion::WinMe, true, false},   {WindowsVersion::Nt351, false, false},
      {WindowsVersion::Nt4, false, false},    {WindowsVersion::Win2000, false, false},
      {WindowsVersion::WinXp, false, false},
  };
  for (const auto& c : cases) {
    ombrin::test::TempMachine machine(c.version, {});
    Uninstaller engine;
    EXPECT_EQ(engine.IsWin9x(), c.win9x) << ombrin::machine::versionInfo(c.version).name;
    EXPECT_EQ(engine.IsWin95(), c.win95) << ombrin::machine::versionInfo(c.version).name;
  }
}

TEST(UninstallerEngine, HoldsTheWindowsDirectory) {
  for (auto version : {WindowsVersion::Win98, WindowsVersion::Nt4}) {
    ombrin::test::TempMachine machine(version, {});
    unombrin::testing::LoggingUninstaller engine;
    EXPECT_TRUE(engine.IsReady());
    EXPECT_STREQ(engine.WindowsDir(), ombrin::machine::versionInfo(version).windowsDirectory);
  }
}

TEST(UninstallerEngine, SelectionsRunTheirRecipesInOrderOnWindows9x) {
  using Selection = void (Uninstaller::*)();
  struct Case {
    const char* name;
    Selection selection;
    std::vector<std::string> ran;
  } cases[] = {
      {"RemoveProductSet1", &Uninstaller::RemoveProductSet1,
       {"ModemNewBoard", "SetupDevices", "ModemOldBoard", "OemModemEdition", "CombinedEdition", "Kmp4Family",
        "Qv30Family"}},
      {"RemoveProductSet2", &Uninstaller::RemoveProductSet2, {"TellicorIsaModem", "TellicorPciModem"}},
      {"RemoveProductSet3", &Uninstaller::RemoveProductSet3,
       {"OemModemEdition", "TellicorIsaModem", "TellicorPciModem", "SetupDevices", "CombinedEdition"}},
      {"RemoveAll", &Uninstaller::RemoveAll, kAllOn9x},
      {"RemoveAllButSet3", &Uninstaller::RemoveAllButSet3,
       std::vector<std::string>(kAllOn9x.begin(), kAllOn9x.begin() + 9)},
      {"RemoveProductSet1IfWin9x", &Uninstaller::RemoveProductSet1IfWin9x,
       std::vector<std::string>(kAllOn9x.begin() + 2, kAllOn9x.begin() + 9)},
      {"RemoveSetupDevicesIfWin9x", &Uninstaller::RemoveSetupDevicesIfWin9x, {"SetupDevices"}},
      {"RemoveModemNewBoardIfWin9x", &Uninstaller::RemoveModemNewBoardIfWin9x, {"ModemNewBoard"}},
      {"RemoveModemOldBoardIfWin9x", &Uninstaller::RemoveModemOldBoardIfWin9x, {"ModemOldBoard"}},
      {"RemoveCombinedEditionIfWin9x", &Uninstaller::RemoveCombinedEditionIfWin9x, {"CombinedEdition"}},
      {"RemoveProductSet3IfWin9x", &Uninstaller::RemoveProductSet3IfWin9x,
       std::vector<std::string>(kAllOn9x.begin() + 9, kAllOn9x.end())},
      {"RemoveProductSet2IfWin9x", &Uninstaller::RemoveProductSet2IfWin9x, {"TellicorIsaModem", "TellicorPciModem"}},
  };
  for (auto version : {WindowsVersion::Win95, WindowsVersion::Win98, WindowsVersion::WinMe, WindowsVersion::Nt4,
                       WindowsVersion::Win2000}) {
    ombrin::test::TempMachine machine(version, {});
    for (const auto& c : cases) {
      RecordingUninstaller engine;
      (engine.*c.selection)();
      bool guarded = std::string(c.name).find("IfWin9x") != std::string::npos || c.selection == &Uninstaller::RemoveAll ||
                     c.selection == &Uninstaller::RemoveAllButSet3;
      bool nt = !engine.IsWin9x();
      if (nt && guarded)
        EXPECT_THAT(engine.ran, IsEmpty()) << c.name;
      else
        EXPECT_THAT(engine.ran, ElementsAreArray(c.ran)) << c.name << " on " << ombrin::machine::versionInfo(version).name;
    }
  }
}

// A host may override any step: the selections reach the override through the virtual table,
// and so do the guards for the version test.
TEST(UninstallerEngine, GuardsAskTheVersionThroughTheVirtualTable) {
  ombrin::test::TempMachine machine(WindowsVersion::Nt4, {});
  struct Pretending9x : RecordingUninstaller {
    bool IsWin9x() override { return true; }
  } engine;
  engine.RemoveAll();
  EXPECT_THAT(engine.ran, ElementsAreArray(kAllOn9x));
}

int CountingCallback(const char*) { return 7; }

TEST(UninstallerEngine, LogSink) {
  ombrin::test::TempMachine machine(WindowsVersion::Win98, {});
  Uninstaller engine;
  EXPECT_EQ(engine.Log("nobody listens"), 0);
  EXPECT_EQ(engine.SetLogCallback(CountingCallback), CountingCallback);
  EXPECT_EQ(engine.Log("line"), 7);
  EXPECT_EQ(engine.SetLogCallback(nullptr), nullptr);
  EXPECT_EQ(engine.Log("line"), 0);
}

// Without a callback the primitives still do their work.
TEST(UninstallerEngine, WorksWithoutACallback) {
  ombrin::test::TempMachine machine(WindowsVersion::Win98, {});
  machine.writeFile("C:\\WINDOWS\\SYSTEM\\qv10core.vxd", "x");
  Uninstaller engine;
  engine.RemoveFiles("C:\\WINDOWS\\SYSTEM", "qv10*.*");
  EXPECT_FALSE(std::filesystem::exists(machine.root() / "drive_c" / "WINDOWS" / "SYSTEM" / "qv10core.vxd"));
}

}  // namespace
