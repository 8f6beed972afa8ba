// Each recipe against a machine provisioned with the editions it removes and their unrelated
// neighbours, on Windows 95 and 98: the registry and drive C: afterwards must be exactly what was
// there before, less what the recipe takes away; a second run changes nothing.
#include <gtest/gtest.h>
#include <temp_machine.h>

#include <ostream>
#include <string>
#include <vector>

#include "../../drivers/install/traces_combined.h"
#include "../../drivers/install/traces_modem.h"
#include "../../drivers/install/traces_tellicor.h"
#include "recipes_fixture.h"
#include "uninstaller.h"

namespace {

using namespace unombrin::testing;
using ombrin::machine::WindowsVersion;
namespace traces = ombrin::card::traces;

constexpr const char* kPciSound95 = "Enum\\PCI\\VEN_1FA3&DEV_0003";
constexpr const char* kPciModem95 = "Enum\\PCI\\VEN_1FA3&DEV_5503";
constexpr const char* kProb = "System\\CurrentControlSet\\Control\\ASD\\Prob\\Devices";
constexpr const char* kMediaSynth = "System\\CurrentControlSet\\Services\\Class\\MEDIA\\0001";
constexpr const char* kMediaMidi = "System\\CurrentControlSet\\Services\\Class\\MEDIA\\0002";
constexpr const char* kNewBoardModemClass = "System\\CurrentControlSet\\Services\\Class\\Modem\\0000";

// The combined card's files: RemoveSetupDevices leaves every one of them.
std::vector<Item> CombinedFiles() {
  std::vector<Item> items;
  for (const auto& file : traces::kCombinedFiles) items.push_back(F(file.path));
  return items;
}

std::vector<Item> Join(std::vector<Item> a, const std::vector<Item>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct RecipeCase {
  const char* name;
  void (Uninstaller::*recipe)();
  std::vector<std::string> editions;
  Expectation expect;
  std::vector<const char*> extraKeys = {};  // keys of other software made before the run
};

const std::vector<RecipeCase>& Cases() {
  static const std::vector<RecipeCase> cases = {
      {"NewBoard",
       &Uninstaller::RemoveModemNewBoard,
       {"modem-new"},
       {{&traces::kModemNew}, {F("INF\\kmp4mdm.inf")}, {K(kPciSound95, Layout::Win95), K("Software\\TELLICOR")}}},
      {"OldBoard",
       &Uninstaller::RemoveModemOldBoard,
       {"modem-old"},
       {{&traces::kModemOld}, {F("INF\\kmp4mdm.inf")}, {K(kPciSound95, Layout::Win95), K("Software\\TELLICOR")}}},
      // The new board's recipe leaves the old board's device entries, and on 95 their device key.
      {"NewBoardBesideOldBoard",
       &Uninstaller::RemoveModemNewBoard,
       {"modem-new", "modem-old"},
       {{&traces::kModemNew, &traces::kModemOld},
        {F("INF\\kmp4mdm.inf"), K("Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0B&FUNC_00", Layout::Win95),
         K("Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_01", Layout::Win98),
         V(kProb, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_01\\BUS_00&DEV_0B&FUNC_00")},
        {K("Software\\TELLICOR")}}},
      {"OldBoardBesideNewBoard",
       &Uninstaller::RemoveModemOldBoard,
       {"modem-new", "modem-old"},
       {{&traces::kModemNew, &traces::kModemOld},
        {F("INF\\kmp4mdm.inf"), K("Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0A&FUNC_00", Layout::Win95),
         K("Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01", Layout::Win98),
         V(kProb, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01\\BUS_00&DEV_0A&FUNC_00")},
        {K("Software\\TELLICOR")}}},
      // The OEM edition owns only TM34DFV of the modem vendor's keys.
      {"OemEdition",
       &Uninstaller::RemoveOemModemEdition,
       {"oem"},
       {{&traces::kOem}, {F("INF\\kmp4mdm.inf"), K("Software\\TELLICOR\\UDIAG")}, {K(kPciSound95, Layout::Win95)}}},
      {"SetupDevices",
       &Uninstaller::RemoveSetupDevices,
       {"combined"},
       {{&traces::kCombined},
        Join(CombinedFiles(),
             {K(kMediaSynth), K(kMediaMidi), K("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR")}),
        {K(kPciSound95, Layout::Win95), K(kPciModem95, Layout::Win95), K("Software\\Dravel\\Ombrin"),
         K("Software\\TELLICOR")}}},
      // Only the sound function's phantom entry and problem value go.
      {"CombinedEdition",
       &Uninstaller::RemoveCombinedEdition,
       {"combined"},
       {{&traces::kCombined},
        {K(kMediaSynth), K(kMediaMidi), K("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR"),
         K("Software\\Microsoft\\Windows\\CurrentVersion\\cfgmgr32\\Phantom\\0001"),
         V(kProb, "PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3&REV_02\\BUS_00&DEV_0C&FUNC_01")},
        {K(kPciSound95, Layout::Win95), K(kPciModem95, Layout::Win95), K("Software\\Dravel\\Ombrin"),
         K("Software\\TELLICOR")}}},
      // The sweeps take every registration of the vendor but only their own family's files, and
      // leave the modem vendor's keys.
      {"Kmp4FamilyOverCombined",
       &Uninstaller::RemoveKmp4Family,
       {"combined"},
       {{&traces::kCombined},
        {F("qv10link.exe"), F("QV10LINK.INI"), F("INF\\qv10link.inf"), F("SYSTEM\\qv10link.vxd"),
         F("SYSTEM\\qv10lnk.dll"), K("Software\\TELLICOR"),
         K("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR")},
        {K(kPciSound95, Layout::Win95), K(kPciModem95, Layout::Win95), K("Software\\Dravel\\Ombrin")}}},
      {"Qv30FamilyOverCombined",
       &Uninstaller::RemoveQv30Family,
       {"combined"},
       {{&traces::kCombined},
        {F("qv10link.exe"), F("QV10LINK.INI"), F("INF\\qv10link.inf"), F("SYSTEM\\qv10link.vxd"),
         F("SYSTEM\\qv10lnk.dll"), K("Software\\TELLICOR"),
         K("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR")},
        {K(kPciSound95, Layout::Win95), K(kPciModem95, Layout::Win95), K("Software\\Dravel\\Ombrin")}}},
      {"Kmp4FamilyOverNewBoard",
       &Uninstaller::RemoveKmp4Family,
       {"modem-new"},
       {{},
        {},
        {F("INF\\kmp4mdm.inf"), F("INF\\drvdata.bin"), F("INF\\drvidx.bin"), F("SYSTEM\\kmp4_ctl.vxd"),
         F("SYSTEM\\kmp4dfv1.vxd"), F("SYSTEM\\telvcd.vxd"), F("INF\\OTHER\\DravelQV10Modem.inf"),
         K(kPciSound95, Layout::Win95), K("Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01", Layout::Win98),
         K(kNewBoardModemClass), V(kProb, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01\\BUS_00&DEV_0A&FUNC_00")}}},
      // Another card's key under "Software\\Dravel\\Ombrin" keeps it; on 95 the other board's
      // instance keeps its device key; the problem value of the other board goes.
      {"SetupDevicesBesideNewBoardAndAnotherCard",
       &Uninstaller::RemoveSetupDevices,
       {"combined", "modem-new"},
       {{&traces::kCombined},
        Join(CombinedFiles(),
             {K(kMediaSynth), K(kMediaMidi), K("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR")}),
        {K(kPciModem95, Layout::Win95), K("Software\\TELLICOR"),
         V(kProb, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01\\BUS_00&DEV_0A&FUNC_00")}},
       {"Software\\Dravel\\Ombrin\\QV5520"}},
      // The sweep takes "Software\\Dravel\\Ombrin" whole, other cards' keys included.
      {"Kmp4FamilyOverCombinedAndAnotherCard",
       &Uninstaller::RemoveKmp4Family,
       {"combined"},
       {{&traces::kCombined},
        {F("qv10link.exe"), F("QV10LINK.INI"), F("INF\\qv10link.inf"), F("SYSTEM\\qv10link.vxd"),
         F("SYSTEM\\qv10lnk.dll"), K("Software\\TELLICOR"),
         K("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR")},
        {K(kPciSound95, Layout::Win95), K(kPciModem95, Layout::Win95), K("Software\\Dravel\\Ombrin")}},
       {"Software\\Dravel\\Ombrin\\QV5520\\Equalizer"}},
      {"TellicorIsa", &Uninstaller::RemoveTellicorIsaModem, {"tellicor-isa"}, {{&traces::kTellicorIsa}, {}, {}}},
      {"TellicorPci", &Uninstaller::RemoveTellicorPciModem, {"tellicor-pci"}, {{&traces::kTellicorPci}, {}, {}}},
      // The PCI recipe takes the other modem's wave section and class keys too, but not its
      // ISA Plug and Play section.
      {"TellicorPciBesideIsa",
       &Uninstaller::RemoveTellicorPciModem,
       {"tellicor-isa", "tellicor-pci"},
       {{&traces::kTellicorIsa, &traces::kTellicorPci}, {K("Enum\\ISAPNP\\TLC7701")}, {}}},
      // Their driver in the INF folder is theirs; the one in SYSTEM belongs to the board.
      {"TellicorIsaBesideNewBoard",
       &Uninstaller::RemoveTellicorIsaModem,
       {"tellicor-isa", "modem-new"},
       {{&traces::kTellicorIsa}, {}, {}}},
  };
  return cases;
}

struct Param {
  size_t index;
  WindowsVersion windows;
};

void PrintTo(const Param& param, std::ostream* out) {
  *out << Cases()[param.index].name << (param.windows == WindowsVersion::Win95 ? " on 95" : " on 98");
}

class RecipeOnMachine : public ::testing::TestWithParam<Param> {};

TEST_P(RecipeOnMachine, TakesExactlyItsTracesAndASecondRunChangesNothing) {
  const RecipeCase& c = Cases()[GetParam().index];
  bool win95 = GetParam().windows == WindowsVersion::Win95;
  ombrin::test::TempMachine machine(GetParam().windows, c.editions);
  for (const char* path : c.extraKeys) {
    HKEY key{};
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS) << path;
    RegCloseKey(key);
  }
  Snapshot before = TakeSnapshot();
  ASSERT_EQ(MissingTraces(before, c.expect, win95), "");
  ASSERT_NE(before.find(FileEntry("C:\\WINDOWS\\system.ini"))->second.find("device=telvcd.vxd\r\n"), std::string::npos);

  Uninstaller engine;
  (engine.*c.recipe)();
  Snapshot after = TakeSnapshot();
  EXPECT_EQ(after, ExpectedAfter(before, c.expect, win95))
      << Differences(ExpectedAfter(before, c.expect, win95), after);

  (engine.*c.recipe)();
  Snapshot again = TakeSnapshot();
  EXPECT_EQ(again, after) << Differences(after, again);
}

std::vector<Param> AllParams() {
  std::vector<Param> params;
  for (size_t i = 0; i < Cases().size(); ++i)
    for (auto windows : {WindowsVersion::Win95, WindowsVersion::Win98}) params.push_back({i, windows});
  return params;
}

INSTANTIATE_TEST_SUITE_P(Editions, RecipeOnMachine, ::testing::ValuesIn(AllParams()),
                         [](const ::testing::TestParamInfo<Param>& param) {
                           return std::string(Cases()[param.param.index].name) +
                                  (param.param.windows == WindowsVersion::Win95 ? "_Win95" : "_Win98");
                         });

}  // namespace

namespace {

using namespace unombrin::testing;
using ombrin::machine::WindowsVersion;

const std::vector<std::string> kAllModemEditions = {"combined", "modem-new",    "modem-old",
                                                    "oem",      "tellicor-isa", "tellicor-pci"};

class NtMachine : public ::testing::TestWithParam<WindowsVersion> {};

// The guards keep every recipe off the NT family, whatever traces the machine carries.
TEST_P(NtMachine, SelectionsAndGuardsLeaveEverything) {
  ombrin::test::TempMachine machine(GetParam(), kAllModemEditions);
  Snapshot before = TakeSnapshot();
  ASSERT_TRUE(before.count(KeyEntry("System\\CurrentControlSet\\Services\\KMP4MODM")));
  Uninstaller engine;
  engine.RemoveAll();
  engine.RemoveAllButSet3();
  engine.RemoveProductSet1IfWin9x();
  engine.RemoveProductSet2IfWin9x();
  engine.RemoveProductSet3IfWin9x();
  engine.RemoveSetupDevicesIfWin9x();
  engine.RemoveCombinedEditionIfWin9x();
  engine.RemoveModemNewBoardIfWin9x();
  engine.RemoveModemOldBoardIfWin9x();
  Snapshot after = TakeSnapshot();
  EXPECT_EQ(after, before) << Differences(before, after);
}

INSTANTIATE_TEST_SUITE_P(Versions, NtMachine,
                         ::testing::Values(WindowsVersion::Nt4, WindowsVersion::Win2000, WindowsVersion::WinXp));

}  // namespace

namespace {

// The family sweeps take their own family's files from the Windows folder, its INF and SYSTEM
// folders whatever their attributes, and leave the other family's files and folders that match.
struct FamilyFile {
  const char* path;  // below the Windows folder; a trailing backslash makes a folder
  DWORD attributes;
  const char* family;  // the sweep that takes it, or nullptr when both leave it
};

constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

const FamilyFile kFamilyFiles[] = {
    {"KMP4HELP.EXE", FILE_ATTRIBUTE_READONLY | kHiddenSystem, "kmp4"},
    {"kmp4.ini", FILE_ATTRIBUTE_NORMAL, "kmp4"},
    {"INF\\kmp4net.inf", FILE_ATTRIBUTE_READONLY, "kmp4"},
    {"INF\\kmp4note.txt", FILE_ATTRIBUTE_NORMAL, nullptr},
    {"SYSTEM\\kmp4wave.drv", kHiddenSystem, "kmp4"},
    {"KMP4DIR\\", FILE_ATTRIBUTE_NORMAL, nullptr},
    {"KMP4DIR\\kmp4old.dll", FILE_ATTRIBUTE_NORMAL, nullptr},
    {"qv30mix.exe", FILE_ATTRIBUTE_HIDDEN, "qv30"},
    {"INF\\QV30SND.INF", FILE_ATTRIBUTE_NORMAL, "qv30"},
    {"INF\\qv30snd.pnf", FILE_ATTRIBUTE_NORMAL, nullptr},
    {"SYSTEM\\qv30snd.vxd", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM, "qv30"},
    {"SYSTEM\\QV30DIR\\", FILE_ATTRIBUTE_NORMAL, nullptr},
    {"qv3readme.txt", FILE_ATTRIBUTE_NORMAL, nullptr},
};

struct FamilySweep {
  const char* family;
  void (Uninstaller::*recipe)();
};

void PrintTo(const FamilySweep& sweep, std::ostream* out) { *out << sweep.family; }

class FamilyFilesOnMachine : public ::testing::TestWithParam<FamilySweep> {};

TEST_P(FamilyFilesOnMachine, TakesOnlyItsOwnFamilysFiles) {
  ombrin::test::TempMachine machine(ombrin::machine::WindowsVersion::Win98, {});
  std::string windowsDir = ombrin::machine::current().windowsDirectory();
  for (const auto& file : kFamilyFiles) {
    std::string path = windowsDir + "\\" + file.path;
    if (path.back() == '\\') {
      path.pop_back();
      ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
      continue;
    }
    machine.writeFile(path, file.path);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), file.attributes)) << path;
  }

  Uninstaller engine;
  (engine.*GetParam().recipe)();

  for (const auto& file : kFamilyFiles) {
    std::string path = windowsDir + "\\" + file.path;
    if (path.back() == '\\') path.pop_back();
    bool taken = file.family != nullptr && std::string(file.family) == GetParam().family;
    EXPECT_EQ(GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES, taken) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Sweeps, FamilyFilesOnMachine,
                         ::testing::Values(FamilySweep{"kmp4", &Uninstaller::RemoveKmp4Family},
                                           FamilySweep{"qv30", &Uninstaller::RemoveQv30Family}),
                         [](const ::testing::TestParamInfo<FamilySweep>& sweep) { return sweep.param.family; });

}  // namespace
