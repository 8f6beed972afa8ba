// Opening, creating, closing and deleting keys, as Windows answers each call.
#include <string>

#include <ombrin/machine.h>
#include <ombrin/trace.h>

#include "registry_fixture.h"

using namespace regtest;

TEST_F(RegistryTest, CreateMakesTheMissingPathAndSaysWhetherItWasNew) {
  HKEY key = kSentinelKey;
  DWORD disposition = kSentinel;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Ombrin\\QV5510\\Equalizer", 0, nullptr, 0, KEY_READ,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
  EXPECT_NE(key, kSentinelKey);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "Software\\Dravel\\Ombrin"));

  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\dravel\\OMBRIN\\qv5510\\equalizer", 0, nullptr, 0, KEY_READ,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
  RegCloseKey(key);
}

TEST_F(RegistryTest, OpenAnswersAsWindows) {
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Present"));
  struct Case {
    HKEY root;
    const char* path;
    LONG result;
  } cases[] = {
      {HKEY_LOCAL_MACHINE, "Software\\Present", ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, "software\\PRESENT", ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, "Software\\Present\\", ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, "\\Software\\Present", ERROR_SUCCESS},  // 9x reads past a leading backslash
      {HKEY_LOCAL_MACHINE, "Software\\Absent", ERROR_FILE_NOT_FOUND},
      {HKEY_LOCAL_MACHINE, "Software\\Present\\Below", ERROR_FILE_NOT_FOUND},
      {HKEY_LOCAL_MACHINE, "", ERROR_SUCCESS},
      {HKEY_LOCAL_MACHINE, nullptr, ERROR_SUCCESS},
      {HKEY{0x1234}, "Software", ERROR_INVALID_HANDLE},
      {HKEY{}, "Software", ERROR_INVALID_HANDLE},
  };
  for (const auto& c : cases) {
    HKEY key = kSentinelKey;
    EXPECT_EQ(RegOpenKeyExA(c.root, c.path, 0, KEY_READ, &key), c.result) << (c.path ? c.path : "NULL");
    if (c.result == ERROR_SUCCESS) {
      EXPECT_NE(key, kSentinelKey);
      EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    } else {
      EXPECT_EQ(key, HKEY{}) << "a failed open clears the handle";
    }
  }
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, OpenWithoutSubkeyGivesTheSameHandleBack) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Same");
  HKEY again = kSentinelKey;
  EXPECT_EQ(RegOpenKeyA(key, "", &again), ERROR_SUCCESS);
  EXPECT_EQ(again, key);
  EXPECT_EQ(RegOpenKeyA(key, nullptr, &again), ERROR_SUCCESS);
  EXPECT_EQ(again, key);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, CloseAcceptsOpenAndPredefinedKeysOnly) {
  HKEY key = create(HKEY_CURRENT_USER, "Software\\Closing");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY{0x1234}), ERROR_INVALID_HANDLE);
  // The predefined root still works after being "closed".
  EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "Software"));
}

TEST_F(RegistryTest, NamesKeepTheirFirstCase) {
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\MiXed\\Case"));
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "SOFTWARE\\mixed\\CASE\\Deeper"));
  HKEY key{};
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, "software\\mixed", key), ERROR_SUCCESS);
  EXPECT_EQ(subkeys(key), std::vector<std::string>{"Case"});
  RegCloseKey(key);
}

TEST_F(RegistryTest, PredefinedRootsOpenAsWindowsMakesThem) {
  for (std::uint32_t root = 0x80000000u; root <= 0x80000006u; ++root) {
    HKEY key = kSentinelKey;
    EXPECT_EQ(RegOpenKeyExA(HKEY{root}, "", 0, KEY_READ, &key), ERROR_SUCCESS) << std::hex << root;
    RegCloseKey(key);
  }
  // HKEY_CLASSES_ROOT shows HKEY_LOCAL_MACHINE\Software\Classes.
  HKEY wav = create(HKEY_CLASSES_ROOT, ".wav");
  setString(wav, "", "SoundRec");
  RegCloseKey(wav);
  EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "Software\\Classes\\.wav"));
  // HKEY_CURRENT_USER is stored apart from HKEY_LOCAL_MACHINE.
  RegCloseKey(create(HKEY_CURRENT_USER, "Software\\UserOnly"));
  EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, "Software\\UserOnly"));
}

TEST(RegistryBaseKeys, AFreshMachineHasTheKeysOfItsFamily) {
  struct Case {
    WindowsVersion version;
    const char* path;
    bool present;
  } cases[] = {
      {WindowsVersion::Win98, "Enum\\PCI", true},
      {WindowsVersion::Win98, "System\\CurrentControlSet\\Services\\Class", true},
      {WindowsVersion::Win98, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
      {WindowsVersion::Win98, "System\\ControlSet001", false},
      {WindowsVersion::Nt4, "Enum", false},
      {WindowsVersion::Nt4, "System\\ControlSet001\\Services", true},
      {WindowsVersion::Nt4, "System\\CurrentControlSet\\Services", true},
  };
  for (const auto& c : cases) {
    ombrin::test::TempMachine machine(c.version, {});
    EXPECT_EQ(exists(HKEY_LOCAL_MACHINE, c.path), c.present) << c.path;
  }
}

TEST_F(RegistryNtTest, CurrentControlSetLeadsToControlSet001) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\qv5510\\Equalizer");
  setDword(key, "BandRange", 12);
  RegCloseKey(key);
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, "system\\controlset001\\services\\qv5510\\Equalizer", key, KEY_READ),
            ERROR_SUCCESS);
  DWORD range = 0, size = sizeof range;
  EXPECT_EQ(RegQueryValueExA(key, "BandRange", nullptr, nullptr, reinterpret_cast<BYTE*>(&range), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(range, 12u);
  RegCloseKey(key);
  // Relative to System, too; and the link itself cannot be deleted.
  HKEY system = create(HKEY_LOCAL_MACHINE, "System");
  EXPECT_TRUE(exists(system, "CurrentControlSet\\Services\\qv5510"));
  EXPECT_EQ(RegDeleteKeyA(system, "CurrentControlSet"), ERROR_ACCESS_DENIED);
  RegCloseKey(system);
  EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Services\\qv5510"));
}

// Deleting a key with subkeys: the 9x family takes the subtree, NT refuses.
TEST(RegistryDelete, KeyWithSubkeysFollowsTheFamily) {
  struct Case {
    WindowsVersion version;
    LONG result;
    bool gone;
  } cases[] = {
      {WindowsVersion::Win95, ERROR_SUCCESS, true},
      {WindowsVersion::Win98, ERROR_SUCCESS, true},
      {WindowsVersion::WinMe, ERROR_SUCCESS, true},
      {WindowsVersion::Nt4, ERROR_ACCESS_DENIED, false},
      {WindowsVersion::Win2000, ERROR_ACCESS_DENIED, false},
  };
  for (const auto& c : cases) {
    ombrin::test::TempMachine machine(c.version, {});
    HKEY leaf = create(HKEY_LOCAL_MACHINE, "Software\\Tree\\Branch\\Leaf");
    setDword(leaf, "Value", 1);
    RegCloseKey(leaf);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tree"), c.result);
    EXPECT_EQ(exists(HKEY_LOCAL_MACHINE, "Software\\Tree"), !c.gone);
    EXPECT_EQ(exists(HKEY_LOCAL_MACHINE, "Software\\Tree\\Branch\\Leaf"), !c.gone);
    // Leaves go on both families, and nothing is left of them to recreate.
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tree\\Branch\\Leaf"), c.gone ? ERROR_FILE_NOT_FOUND
                                                                                         : ERROR_SUCCESS);
    leaf = create(HKEY_LOCAL_MACHINE, "Software\\Tree\\Branch\\Leaf");
    EXPECT_EQ(RegQueryValueExA(leaf, "Value", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    RegCloseKey(leaf);
  }
}

TEST_F(RegistryTest, DeleteRefusesRootsAndReportsMissingKeys) {
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "Software\\Classes"));
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Nothing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(HKEY{0x1234}, "x"), ERROR_INVALID_HANDLE);
  // Case does not matter.
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\DeleteMe"));
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\deleteme"), ERROR_SUCCESS);
  EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, "Software\\DeleteMe"));
}

TEST_F(RegistryTest, HandlesBelowADeletedKeyReportKeyDeleted) {
  HKEY parent = create(HKEY_LOCAL_MACHINE, "Software\\Doomed");
  HKEY child = create(HKEY_LOCAL_MACHINE, "Software\\Doomed\\Child");
  setDword(child, "Value", 7);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Doomed"), ERROR_SUCCESS);

  for (HKEY key : {parent, child}) {
    DWORD data = kSentinel, size = sizeof data, type = kSentinel;
    EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, &type, reinterpret_cast<BYTE*>(&data), &size), ERROR_KEY_DELETED);
    EXPECT_EQ(data, kSentinel);
    EXPECT_EQ(type, kSentinel);
    DWORD one = 1;
    EXPECT_EQ(RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_KEY_DELETED);
    EXPECT_EQ(RegDeleteValueA(key, "Value"), ERROR_KEY_DELETED);
    char name[MAX_PATH];
    EXPECT_EQ(RegEnumKeyA(key, 0, name, sizeof name), ERROR_KEY_DELETED);
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    HKEY sub = kSentinelKey;
    EXPECT_EQ(RegCreateKeyExA(key, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegOpenKeyExA(key, "Child", 0, KEY_READ, &sub), ERROR_KEY_DELETED);
  }
  // A key created again at the same place is a new key: the old handles stay deleted.
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Doomed\\Child"));
  EXPECT_EQ(RegQueryValueExA(child, "Value", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(parent), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
}

TEST_F(RegistryTest, NamesLongerThanWindowsAllowsAreRefused) {
  std::string longest(255, 'k'), tooLong(256, 'k');
  HKEY key = kSentinelKey;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("Software\\" + longest).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  std::string longestValue(255, 'v'), tooLongValue(256, 'v');
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExA(key, longestValue.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, tooLongValue.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
  key = kSentinelKey;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ("Software\\" + tooLong).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(key, HKEY{});
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ("Software\\" + tooLong).c_str(), 0, KEY_READ, &key),
            ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryNtTest, HandlesKeepTheAccessTheyWereOpenedWith) {
  RegCloseKey(create(HKEY_LOCAL_MACHINE, "Software\\Guarded"));
  HKEY reader{};
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Guarded", reader, KEY_READ), ERROR_SUCCESS);
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExA(reader, "x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
  RegCloseKey(reader);
  HKEY writer{};
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Guarded", writer, KEY_SET_VALUE), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(writer, "x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(writer, "x", nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
  RegCloseKey(writer);
  // RegOpenKeyA asks for everything.
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Guarded", &writer), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(writer, "x", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  RegCloseKey(writer);
}

TEST_F(RegistryTest, AMachineResetClosesHandlesAndKeepsTheData) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Kept");
  setDword(key, "Value", 5);
  ombrin::machine::resetCurrent();
  EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
  ASSERT_EQ(open(HKEY_LOCAL_MACHINE, "Software\\Kept", key), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 5u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, TracingShowsEachCallWithItsResult) {
  ::setenv("OMBRIN_TRACE", "reg", 1);
  ombrin::trace::reset();
  testing::internal::CaptureStderr();
  HKEY key{};
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Absent", 0, KEY_READ, &key);
  RegQueryValueExA(HKEY_LOCAL_MACHINE, "Missing", nullptr, nullptr, nullptr, nullptr);
  auto trace = testing::internal::GetCapturedStderr();
  ::unsetenv("OMBRIN_TRACE");
  ombrin::trace::reset();
  EXPECT_NE(trace.find("trace:reg:RegOpenKeyExA(0x80000002, \"Software\\Absent\") -> 2"), std::string::npos) << trace;
  EXPECT_NE(trace.find("trace:reg:RegQueryValueExA(0x80000002, \"Missing\""), std::string::npos) << trace;
}
