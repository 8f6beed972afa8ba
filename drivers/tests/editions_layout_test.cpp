// What the card's editions leave on a new machine: every row of their tables in the layout of
// the machine's Windows (PCI device keys without the subsystem on 95, with it elsewhere), files
// with their read-only, hidden and system bits, and one "device=telvcd.vxd" line however many
// editions share it.
#include <gtest/gtest.h>
#include <temp_machine.h>

#include <string>
#include <vector>

#include "../../uninstall/tests/recipes_fixture.h"
#include "install/traces_combined.h"
#include "install/traces_modem.h"
#include "install/traces_neighbours.h"
#include "install/traces_tellicor.h"

namespace {

using namespace unombrin::testing;
using ombrin::machine::WindowsVersion;
namespace traces = ombrin::card::traces;

struct Edition {
  const char* name;
  const Traces* traces;
};

const Edition kEditions[] = {
    {"combined", &traces::kCombined}, {"modem-new", &traces::kModemNew},       {"modem-old", &traces::kModemOld},
    {"oem", &traces::kOem},           {"tellicor-isa", &traces::kTellicorIsa}, {"tellicor-pci", &traces::kTellicorPci},
};

struct Param {
  Edition edition;
  WindowsVersion windows;
};

class EditionLayout : public ::testing::TestWithParam<Param> {};

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST_P(EditionLayout, LaysDownItsRowsForThisWindowsAndNoOthers) {
  const auto& [edition, windows] = GetParam();
  bool win95 = windows == WindowsVersion::Win95;
  ombrin::test::TempMachine machine(windows, {edition.name});
  Snapshot snapshot = TakeSnapshot();
  EXPECT_EQ(MissingTraces(snapshot, {{edition.traces, &traces::kNeighbours}, {}, {}}, win95), "");

  // Rows of the other layout are not there.
  std::string windowsDir = ombrin::machine::current().windowsDirectory();
  for (const auto& row : edition.traces->registry) {
    if (ombrin::card::applies(row.layout, win95)) continue;
    for (const auto& [entry, shown] : snapshot) EXPECT_FALSE(Covers(K(row.key), entry, windowsDir)) << entry;
  }

  // Files keep the attributes an installer gave them (archive is always reported).
  for (const auto& file : edition.traces->files) {
    std::string path = windowsDir + "\\" + file.path;
    DWORD want = file.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    DWORD have = GetFileAttributesA(path.c_str());
    ASSERT_NE(have, INVALID_FILE_ATTRIBUTES) << path;
    EXPECT_EQ(have & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM), want) << path;
  }

  std::string ini = machine.readFile(windowsDir + "\\system.ini");
  EXPECT_EQ(Count(ini, "[386Enh]\r\ndevice=telvcd.vxd\r\n"), 1u) << ini;
}

std::vector<Param> AllParams() {
  std::vector<Param> params;
  for (const auto& edition : kEditions)
    for (auto windows : {WindowsVersion::Win95, WindowsVersion::Win98, WindowsVersion::WinMe, WindowsVersion::Nt4})
      params.push_back({edition, windows});
  return params;
}

const char* VersionName(WindowsVersion windows) { return ombrin::machine::versionInfo(windows).name; }

INSTANTIATE_TEST_SUITE_P(Editions, EditionLayout, ::testing::ValuesIn(AllParams()),
                         [](const ::testing::TestParamInfo<Param>& param) {
                           std::string name =
                               std::string(param.param.edition.name) + "_" + VersionName(param.param.windows);
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

// Editions installed together share files, keys and the system.ini line without doubling them.
TEST(EditionsTogether, ShareTheirLineAndFilesWithoutDoubling) {
  ombrin::test::TempMachine machine(
      WindowsVersion::Win98, {"sound", "combined", "modem-new", "modem-old", "oem", "tellicor-isa", "tellicor-pci"});
  std::string windowsDir = ombrin::machine::current().windowsDirectory();
  std::string ini = machine.readFile(windowsDir + "\\system.ini");
  EXPECT_EQ(Count(ini, "device=telvcd.vxd\r\n"), 1u) << ini;
  EXPECT_EQ(Count(ini, "DEVICE=TELVCD.VXD\r\n"), 1u) << ini;
  EXPECT_EQ(Count(ini, "device = telvcd.vxd\r\n"), 1u) << ini;
  Snapshot snapshot = TakeSnapshot();
  EXPECT_EQ(MissingTraces(snapshot,
                          {{&traces::kNeighbours, &traces::kCombined, &traces::kModemNew, &traces::kModemOld,
                            &traces::kOem, &traces::kTellicorIsa, &traces::kTellicorPci},
                           {},
                           {}},
                          false),
            "");
}

}  // namespace
