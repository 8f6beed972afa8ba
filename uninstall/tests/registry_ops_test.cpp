#include <cstring>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "log_capture.h"
#include "registry_helpers.h"
#include "temp_machine.h"

using namespace unombrin::testing;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class UninstallerRegistryOps : public ombrin::test::MachineTest {
 protected:
  LoggingUninstaller engine;
};

TEST_F(UninstallerRegistryOps, HiveNames) {
  struct Case {
    DWORD root;
    const char* name;
  } cases[] = {
      {0x80000000, "HKEY_CLASSES_ROOT"}, {0x80000001, "HKEY_CURRENT_USER"}, {0x80000002, "HKEY_LOCAL_MACHINE"},
      {0x80000003, "HKEY_USERS"},        {0x80000004, ""},                  {0x80000005, "HKEY_CURRENT_CONFIG"},
      {0x80000006, "HKEY_DYN_DATA"},     {0x80000007, ""},                  {0x00000040, ""},
  };
  for (const auto& c : cases) {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(engine.GetHiveName(HKEY{c.root}, buffer, sizeof buffer), static_cast<int>(std::strlen(c.name)));
    EXPECT_STREQ(buffer, c.name);
    EXPECT_EQ(buffer[sizeof buffer - 1], '\0') << "the rest of the buffer is zero-filled";
  }
  EXPECT_EQ(engine.GetHiveName(HKEY_LOCAL_MACHINE, nullptr, 0), 0);
  EXPECT_EQ(engine.GetHiveName(HKEY_LOCAL_MACHINE, nullptr, 40), 0);
  char small[5] = {'#', '#', '#', '#', '#'};
  EXPECT_EQ(engine.GetHiveName(HKEY_LOCAL_MACHINE, small, 4), 18);  // cut, as a bounded copy does
  EXPECT_EQ(std::string(small, 5), "HKEY#");
  EXPECT_EQ(engine.GetHiveName(HKEY_LOCAL_MACHINE, small, 0), 18);
  EXPECT_EQ(std::string(small, 5), "HKEY#");
}

TEST_F(UninstallerRegistryOps, RemoveKeysByNameTakesAdjacentMatchesAndKeepsOtherCase) {
  for (const char* name : {"VEN_1FA3&DEV_0003", "VEN_1FA3&DEV_5503", "ven_1fa3&dev_0004", "VEN_8086&DEV_1234"})
    CreateKey(std::string("Enum\\PCI\\") + name + "\\Instance");
  engine.RemoveKeysByName(HKEY_LOCAL_MACHINE, "Enum\\PCI", "VEN_1FA3");
  EXPECT_THAT(Subkeys("Enum\\PCI"), ElementsAre("ven_1fa3&dev_0004", "VEN_8086&DEV_1234"));
  EXPECT_THAT(CapturedLines(), ElementsAre("--Removed key 'HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1FA3&DEV_0003'",
                                           "--Removed key 'HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_1FA3&DEV_5503'"));
}

TEST_F(UninstallerRegistryOps, RemoveKeysByValueMatchesPlainStringsOnly) {
  const std::string base = "System\\CurrentControlSet\\Services\\Class\\Modem";
  struct Case {
    const char* key;
    std::string data;
    DWORD type;
    bool terminated;
    bool removed;
  } cases[] = {
      {"0000", "Dravel Modem", REG_SZ, true, true},
      {"0001", "Made by Dravel", REG_SZ, true, true},  // adjacent to the first match
      {"0002", "Dravel Modem", REG_EXPAND_SZ, true, false},
      {"0003", "Dravel Modem", REG_MULTI_SZ, true, false},
      {"0004", "Dravel Modem", REG_BINARY, true, false},
      {"0005", "dravel modem", REG_SZ, true, false},
      {"0006", std::string(500, 'x') + "Dravel", REG_SZ, true, true},   // 507 bytes with its end
      {"0007", std::string(506, 'x') + "Dravel", REG_SZ, true, false},  // 513 bytes: too large to read
      {"0008", std::string(506, 'x') + "Dravel", REG_SZ, false, true},  // exactly 512, unterminated
      {"0009", "Other", REG_SZ, true, false},
  };
  for (const auto& c : cases) SetValue(base + "\\" + c.key, "Manufacturer", c.data, c.type, c.terminated);
  CreateKey(base + "\\0010");  // no such value
  EXPECT_EQ(engine.RemoveKeysByValue(HKEY_LOCAL_MACHINE, base.c_str(), "Manufacturer", "Dravel"), 4);
  for (const auto& c : cases) EXPECT_EQ(KeyExists(base + "\\" + c.key), !c.removed) << c.key;
  EXPECT_TRUE(KeyExists(base + "\\0010"));
  ASSERT_EQ(CapturedLines().size(), 4u);
  EXPECT_EQ(CapturedLines()[0], "--Removed key 'HKEY_LOCAL_MACHINE\\" + base + "\\0000'");
  EXPECT_EQ(engine.RemoveKeysByValue(HKEY_LOCAL_MACHINE, base.c_str(), "Manufacturer", "Dravel"), 0);
  EXPECT_EQ(engine.RemoveKeysByValue(HKEY_LOCAL_MACHINE, "No\\Such\\Key", "Manufacturer", "Dravel"), 0);
  EXPECT_EQ(CapturedLines().size(), 4u);
}

TEST_F(UninstallerRegistryOps, RemoveSectionsByValueWithAndWithoutTheSection) {
  for (bool removeSection : {false, true}) {
    for (const char* section : {"Enum\\MODEMWAVE\\DRV0001", "Enum\\MODEMWAVE\\DRV0002"}) {
      SetValue(std::string(section) + "\\0000", "Mfg", "Dravel");
      SetValue(std::string(section) + "\\0001", "Mfg", "Other");
    }
    SetValue("Enum\\MODEMWAVE\\OTHER\\0000", "Mfg", "Other");
    CapturedLines().clear();
    engine.RemoveSectionsByValue(HKEY_LOCAL_MACHINE, "Enum\\MODEMWAVE", "Mfg", "Dravel", removeSection);
    if (removeSection) {
      EXPECT_THAT(Subkeys("Enum\\MODEMWAVE"), ElementsAre("OTHER"));
      EXPECT_THAT(CapturedLines(), ElementsAre("--Removed key '\\DRV0001\\0000'",
                                               "--Removed section 'HKEY_LOCAL_MACHINE\\Enum\\MODEMWAVE\\DRV0001'",
                                               "--Removed key '\\DRV0002\\0000'",
                                               "--Removed section 'HKEY_LOCAL_MACHINE\\Enum\\MODEMWAVE\\DRV0002'"));
    } else {
      EXPECT_THAT(Subkeys("Enum\\MODEMWAVE"), ElementsAre("DRV0001", "DRV0002", "OTHER"));
      EXPECT_THAT(Subkeys("Enum\\MODEMWAVE\\DRV0001"), ElementsAre("0001"));
      EXPECT_THAT(CapturedLines(), ElementsAre("--Removed key '\\DRV0001\\0000'", "--Removed key '\\DRV0002\\0000'"));
    }
    EXPECT_THAT(Subkeys("Enum\\MODEMWAVE\\OTHER"), ElementsAre("0000"));
  }
}

TEST_F(UninstallerRegistryOps, RemoveKeyIfNoSubkeys) {
  SetValue("Software\\TELLICOR", "Installed", "1");  // values do not count
  CreateKey("Software\\Busy\\Empty");
  engine.RemoveKeyIfNoSubkeys(HKEY_LOCAL_MACHINE, "Software", "TELLICOR");
  engine.RemoveKeyIfNoSubkeys(HKEY_LOCAL_MACHINE, "Software", "Busy");
  engine.RemoveKeyIfNoSubkeys(HKEY_LOCAL_MACHINE, "No\\Such", "Busy");
  EXPECT_FALSE(KeyExists("Software\\TELLICOR"));
  EXPECT_TRUE(KeyExists("Software\\Busy\\Empty"));
  EXPECT_FALSE(engine.KeyHasNoSubkeys(HKEY_LOCAL_MACHINE, "No\\Such"));
  EXPECT_TRUE(engine.KeyHasNoSubkeys(HKEY_LOCAL_MACHINE, "Software\\Busy\\Empty"));
  EXPECT_THAT(CapturedLines(), IsEmpty());
}

TEST_F(UninstallerRegistryOps, RemoveValuesByNameTakesAdjacentValuesInEverySubkey) {
  const std::string prob = "System\\CurrentControlSet\\Control\\ASD\\Prob";
  for (const char* sub : {"A", "B"}) {
    for (const char* value : {"PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3", "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01",
                              "PCI\\VEN_8086", "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_02"})
      SetValue(prob + "\\" + sub, value, "x");
  }
  engine.RemoveValuesByName(HKEY_LOCAL_MACHINE, prob.c_str(), "VEN_1FA3&DEV_0003&SUBSYS_00041FA3");
  for (const char* sub : {"A", "B"}) {
    EXPECT_TRUE(ValueExists(prob + "\\" + sub, "PCI\\VEN_8086"));
    EXPECT_FALSE(ValueExists(prob + "\\" + sub, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3"));
    EXPECT_FALSE(ValueExists(prob + "\\" + sub, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01"));
    EXPECT_FALSE(ValueExists(prob + "\\" + sub, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_02"));
  }
  ASSERT_EQ(CapturedLines().size(), 6u);
  EXPECT_EQ(CapturedLines()[0], "--Removed value 'HKEY_LOCAL_MACHINE\\" + prob +
                                    "\\A\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3'");
}

TEST_F(UninstallerRegistryOps, SingleDeletionsLogNothing) {
  SetValue("Software\\Dravel\\Modem\\Sub\\Deeper", "v", "x");
  SetValue("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tonelink", "tonelink.exe");
  SetValue("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other", "other.exe");
  engine.DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Dravel", "Modem");
  engine.RemoveValue(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tonelink");
  engine.DeleteKey(HKEY_LOCAL_MACHINE, "No\\Such", "Modem");
  engine.RemoveValue(HKEY_LOCAL_MACHINE, "No\\Such", "Tonelink");
  EXPECT_FALSE(KeyExists("Software\\Dravel\\Modem"));
  EXPECT_TRUE(KeyExists("Software\\Dravel"));
  EXPECT_FALSE(ValueExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Tonelink"));
  EXPECT_TRUE(ValueExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Other"));
  EXPECT_THAT(CapturedLines(), IsEmpty());
}

// On NT the platform refuses to delete a key with subkeys; the engine takes the subtree down itself.
TEST(UninstallerRegistryOpsNt, DeleteKeyRemovesTheSubtreeWhereThePlatformWillNot) {
  ombrin::test::TempMachine machine(ombrin::machine::WindowsVersion::Nt4, {});
  SetValue("Software\\Dravel\\Ombrin\\QV5510\\Equalizer", "BandRange", "20");
  CreateKey("Software\\Dravel\\Ombrin\\QV5510\\Customization\\Deep\\Deeper");
  Uninstaller engine;
  engine.DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Ombrin", "QV5510");
  EXPECT_FALSE(KeyExists("Software\\Dravel\\Ombrin\\QV5510"));
  EXPECT_TRUE(KeyExists("Software\\Dravel\\Ombrin"));
}

// A host whose key deletion does nothing, as a platform that refuses every deletion: each scan
// still ends, and claims no removal.
class RefusingUninstaller : public LoggingUninstaller {
 public:
  void DeleteKey(HKEY, const char*, const char*) override { ++deleteRequests; }
  int deleteRequests = 0;
};

TEST_F(UninstallerRegistryOps, ARefusedDeletionEndsTheScanWithoutClaimingIt) {
  CreateKey("Enum\\PCI\\VEN_1FA3&DEV_0003\\A");
  CreateKey("Enum\\PCI\\VEN_1FA3&DEV_5503\\B");
  SetValue("Enum\\MODEMWAVE\\S1\\0000", "Mfg", "Dravel");
  RefusingUninstaller refusing;
  refusing.RemoveKeysByName(HKEY_LOCAL_MACHINE, "Enum\\PCI", "VEN_1FA3");
  EXPECT_EQ(refusing.RemoveKeysByValue(HKEY_LOCAL_MACHINE, "Enum\\MODEMWAVE\\S1", "Mfg", "Dravel"), 0);
  refusing.RemoveSectionsByValue(HKEY_LOCAL_MACHINE, "Enum\\MODEMWAVE", "Mfg", "Dravel", true);
  EXPECT_EQ(refusing.deleteRequests, 4);
  EXPECT_THAT(CapturedLines(), IsEmpty());
  EXPECT_THAT(Subkeys("Enum\\PCI"), ElementsAre("VEN_1FA3&DEV_0003", "VEN_1FA3&DEV_5503"));
}

TEST_F(UninstallerRegistryOps, DisplayPathsAndOverlongLogLines) {
  std::string longName(250, 'k');
  std::string path = "Software\\Dravel";
  for (int i = 0; i < 2; ++i) path += "\\" + longName;
  CreateKey(path + "\\VEN_1FA3" + std::string(200, 'k'));
  CreateKey("Software\\Dravel\\VEN_1FA3");
  engine.RemoveKeysByName(HKEY_LOCAL_MACHINE, "Software\\Dravel", "VEN_1FA3");
  engine.RemoveKeysByName(HKEY_LOCAL_MACHINE, path.c_str(), "VEN_1FA3");
  ASSERT_EQ(CapturedLines().size(), 2u);
  EXPECT_EQ(CapturedLines()[0], "--Removed key 'HKEY_LOCAL_MACHINE\\Software\\Dravel\\VEN_1FA3'");
  EXPECT_EQ(CapturedLines()[1].size(), 511u);  // cut, not overflowed
  EXPECT_EQ(CapturedLines()[1].rfind("--Removed key 'HKEY_LOCAL_MACHINE\\Software\\Dravel\\kkk", 0), 0u);
  EXPECT_THAT(Subkeys(path), IsEmpty());
}

}  // namespace
