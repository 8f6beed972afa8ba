// The uninstaller run the way people run it: the machine tool lays down installed editions, then
// unombrin removes them; the registry and drive C: afterwards are compared with what must stay.
#include <gtest/gtest.h>
#include <temp_machine.h>

#include <string>
#include <vector>

#include "../../drivers/install/traces_combined.h"
#include "../../drivers/install/traces_modem.h"
#include "../../drivers/install/traces_neighbours.h"
#include "../../drivers/install/traces_tellicor.h"
#include "../../uninstall/tests/recipes_fixture.h"

namespace {

using namespace unombrin::testing;
using ombrin::machine::WindowsVersion;
namespace traces = ombrin::card::traces;

// Recreates the test's machine with the machine tool, as a person would set one up.
void InitMachine(const std::string& windows, const std::string& editions) {
  auto tool = (ombrin::test::buildDir() / "bin" / "ombrin-machine").string();
  auto result = ombrin::test::run({tool, "init", "--windows", windows, "--card", editions, "--force"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  ombrin::machine::resetCurrent();
}

int Unombrin(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{(ombrin::test::buildDir() / "bin" / "unombrin").string()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  auto result = ombrin::test::run(argv);
  ombrin::machine::resetCurrent();
  return result.exitCode;
}

std::string EventLog() { return Slurp(ombrin::machine::current().logDir() / "events.log"); }

class UnombrinRun : public ombrin::test::MachineTest, public ::testing::WithParamInterface<const char*> {
 protected:
  bool win95() const { return std::string(GetParam()) == "95"; }
};

// The sound-and-modem card with the new modem board, taken off by the setup program's keywords.
TEST_P(UnombrinRun, SetupAndSndLinkKeywordsTakeTheCombinedCardAndTheNewBoard) {
  InitMachine(GetParam(), "combined,modem-new");
  Snapshot before = TakeSnapshot();
  ASSERT_EQ(Unombrin({"now", "silent", "qv10setp", "sndlink10"}), 0);
  Expectation expect{
      {&traces::kCombined, &traces::kModemNew},
      // Only the family sweeps of "all" take these.
      {K("System\\CurrentControlSet\\Services\\Class\\MEDIA\\0001"),
       K("System\\CurrentControlSet\\Services\\Class\\MEDIA\\0002"), F("INF\\kmp4mdm.inf")},
      {K("Enum\\PCI\\VEN_1FA3&DEV_0003", Layout::Win95), K("Enum\\PCI\\VEN_1FA3&DEV_5503", Layout::Win95),
       K("Software\\Dravel\\Ombrin"), K("Software\\TELLICOR")}};
  ASSERT_EQ(MissingTraces(before, expect, win95()), "");
  Snapshot expected = ExpectedAfter(before, expect, win95());
  Snapshot after = TakeSnapshot();
  EXPECT_EQ(after, expected) << Differences(expected, after);
  EXPECT_EQ(EventLog().find("\tmsgbox\t"), std::string::npos);  // silent
}

// Every edition's traces go and every neighbour stays.
TEST_P(UnombrinRun, AllOnEveryModemEditionLeavesOnlyTheUnrelatedEntries) {
  InitMachine(GetParam(), "combined,modem-new,modem-old,oem,tellicor-isa,tellicor-pci");
  Snapshot before = TakeSnapshot();
  ASSERT_EQ(Unombrin({"now", "silent", "all"}), 0);
  Expectation expect{
      {&traces::kCombined, &traces::kModemNew, &traces::kModemOld, &traces::kOem, &traces::kTellicorIsa,
       &traces::kTellicorPci},
      {},
      {K("Enum\\PCI\\VEN_1FA3&DEV_0003", Layout::Win95), K("Enum\\PCI\\VEN_1FA3&DEV_5503", Layout::Win95),
       K("Software\\Dravel\\Ombrin"), K("Software\\TELLICOR")}};
  ASSERT_EQ(MissingTraces(before, expect, win95()), "");
  Snapshot expected = ExpectedAfter(before, expect, win95());
  Snapshot after = TakeSnapshot();
  EXPECT_EQ(after, expected) << Differences(expected, after);

  ASSERT_EQ(Unombrin({"now", "silent", "all"}), 0);
  Snapshot again = TakeSnapshot();
  EXPECT_EQ(again, after) << Differences(after, again);
}

// With the sound edition too: whatever else it leaves, nothing of the modem editions survives
// and nothing of their neighbours goes.
TEST_P(UnombrinRun, AllWithTheSoundEditionKeepsTheNeighbours) {
  InitMachine(GetParam(), "sound,combined,modem-new,modem-old,oem,tellicor-isa,tellicor-pci");
  Snapshot before = TakeSnapshot();
  ASSERT_EQ(MissingTraces(before, {{&traces::kNeighbours, &traces::kCombined, &traces::kModemNew}, {}, {}}, win95()),
            "");
  ASSERT_EQ(Unombrin({"now", "silent", "all"}), 0);
  Snapshot after = TakeSnapshot();
  std::string windowsDir = ombrin::machine::current().windowsDirectory();
  for (const Traces* gone : {&traces::kCombined, &traces::kModemNew, &traces::kModemOld, &traces::kOem,
                             &traces::kTellicorIsa, &traces::kTellicorPci})
    for (const Item& item : ItemsOf(*gone, win95()))
      for (const auto& [entry, shown] : after) EXPECT_FALSE(Covers(item, entry, windowsDir)) << entry;
  for (const Item& item : ItemsOf(traces::kNeighbours, win95()))
    for (const auto& [entry, shown] : before) {
      if (Covers(item, entry, windowsDir)) {
        EXPECT_EQ(after.count(entry), 1u) << entry;
      }
    }
  std::string ini = after[FileEntry(windowsDir + "\\system.ini")];
  EXPECT_EQ(ini.find("device=telvcd.vxd\r\n"), std::string::npos);
  EXPECT_NE(ini.find("DEVICE=TELVCD.VXD\r\n"), std::string::npos);
  EXPECT_NE(ini.find("device = telvcd.vxd\r\n"), std::string::npos);
}

// Without "now" the confirmation comes from the edition's uninstall entry; after OK the card
// goes, and cancelling the restart still leaves the reminder.
TEST_P(UnombrinRun, ConfirmationTextComesFromTheInstalledEdition) {
  InitMachine(GetParam(), "combined");
  Snapshot before = TakeSnapshot();
  ASSERT_TRUE(before.count(KeyEntry("System\\CurrentControlSet\\Services\\KMP4MODM")));
  auto result = ombrin::test::run({(ombrin::test::buildDir() / "bin" / "unombrin").string(), "sndlink10"},
                                  {"OMBRIN_MSGBOX_ANSWERS=IDOK,IDCANCEL"});
  ombrin::machine::resetCurrent();
  ASSERT_EQ(result.exitCode, 0);
  std::string log = EventLog();
  EXPECT_NE(log.find("\tmsgbox\tOmbrin SndLink10 Uninstall\tThis removes the Ombrin SndLink10 software from your "
                     "computer.\\nContinue?\t0x1\tIDOK"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("\tmsgbox\tOmbrin SndLink10 Uninstall\tPlease make sure to restart Windows.\t0x0\tIDOK"),
            std::string::npos)
      << log;
  Snapshot after = TakeSnapshot();
  EXPECT_FALSE(after.count(KeyEntry("System\\CurrentControlSet\\Services\\KMP4MODM")));
  EXPECT_FALSE(after.count(KeyEntry("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR")));
}

INSTANTIATE_TEST_SUITE_P(Windows, UnombrinRun, ::testing::Values("95", "98", "me"));

class UnombrinOnNt : public ombrin::test::MachineTest, public ::testing::WithParamInterface<const char*> {};

// Nothing is removed on the NT family, and the closing message says the same as on 9x.
TEST_P(UnombrinOnNt, AllRemovesNothing) {
  InitMachine(GetParam(), "sound,combined,modem-new,modem-old,oem,tellicor-isa,tellicor-pci");
  Snapshot before = TakeSnapshot();
  ASSERT_EQ(MissingTraces(before, {{&traces::kCombined, &traces::kModemNew, &traces::kOem}, {}, {}}, false), "");
  ASSERT_EQ(Unombrin({"now", "all", "qv10setp", "sndlink10"}), 0);
  Snapshot after = TakeSnapshot();
  EXPECT_EQ(after, before) << Differences(before, after);
  EXPECT_NE(EventLog().find("Uninstalled correctly."), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Windows, UnombrinOnNt, ::testing::Values("nt4", "2000"));

}  // namespace
