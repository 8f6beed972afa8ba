// Enumeration by index: order, buffers, and what deleting in the middle of it does.
#include <functional>
#include <string>

#include "registry_fixture.h"

using namespace regtest;

TEST_F(RegistryTest, SubkeysComeSortedWithoutCaseAndValuesInCreationOrder) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Order");
  for (const char* name : {"b", "_x", "C", "A", "\xe9t\xe9", "Zed"}) RegCloseKey(create(key, name));
  // Folded to upper case: A B C Z _ and then the accented letter (0xC9).
  EXPECT_EQ(subkeys(key), (std::vector<std::string>{"A", "b", "C", "Zed", "_x", "\xe9t\xe9"}));
  for (const char* name : {"z", "a", "M"}) setDword(key, name, 1);
  EXPECT_EQ(valueNames(key), (std::vector<std::string>{"z", "a", "M"}));
  RegCloseKey(key);
}

TEST_F(RegistryTest, EnumKeyBuffersAndTheEnd) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Buffers");
  RegCloseKey(create(key, "Four"));
  char name[8] = "SSSSSSS";
  EXPECT_EQ(RegEnumKeyA(key, 0, name, 4), ERROR_MORE_DATA);
  EXPECT_STREQ(name, "SSSSSSS");
  EXPECT_EQ(RegEnumKeyA(key, 0, name, 5), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Four");
  EXPECT_EQ(RegEnumKeyA(key, 1, name, sizeof name), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumKeyA(HKEY{0x1234}, 0, name, sizeof name), ERROR_INVALID_HANDLE);

  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(length, 4u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, EnumValueReportsNameTypeAndData) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\EnumValues");
  setString(key, "Mfg", "Dravel");
  setDword(key, "Count", 3);
  char name[MAX_PATH];
  BYTE data[16];
  DWORD nameSize = sizeof name, type = kSentinel, dataSize = sizeof data;
  ASSERT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Mfg");
  EXPECT_EQ(nameSize, 3u);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(dataSize, 7u);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "Dravel");

  nameSize = 3;  // no room for the terminator
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  nameSize = sizeof name;
  dataSize = 2;
  EXPECT_EQ(RegEnumValueA(key, 1, name, &nameSize, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 4u);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 2, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  DWORD subKeys = kSentinel, values = kSentinel, maxName = kSentinel, maxData = kSentinel;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, &maxName, &maxData,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 0u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxName, 5u);
  EXPECT_EQ(maxData, 7u);
  RegCloseKey(key);
}

// Deleting at index i shifts the later subkeys down: a loop that restarts at 0 deletes them all,
// one that goes on with i+1 skips every other one, as on Windows.
TEST_F(RegistryTest, DeletingWhileEnumeratingReindexes) {
  struct Case {
    const char* loop;
    bool restart;
    std::vector<std::string> left;
  } cases[] = {
      {"restart at 0", true, {}},
      {"index + 1", false, {"K2", "K4"}},
  };
  for (const auto& c : cases) {
    HKEY parent = create(HKEY_LOCAL_MACHINE, "Software\\Scan");
    for (const char* name : {"K1", "K2", "K3", "K4"}) RegCloseKey(create(parent, name));
    char name[MAX_PATH];
    for (DWORD i = 0; RegEnumKeyA(parent, i, name, sizeof name) == ERROR_SUCCESS;) {
      ASSERT_EQ(RegDeleteKeyA(parent, name), ERROR_SUCCESS);
      i = c.restart ? 0 : i + 1;
    }
    EXPECT_EQ(subkeys(parent), c.left) << c.loop;
    RegCloseKey(parent);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Scan");
  }
}

TEST_F(RegistryTest, DeletingValuesWhileEnumeratingReindexesToo) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\ValueScan");
  for (const char* name : {"V1", "V2", "V3"}) setDword(key, name, 1);
  char name[MAX_PATH];
  DWORD size = sizeof name;
  ASSERT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValueA(key, name), ERROR_SUCCESS);
  size = sizeof name;
  ASSERT_EQ(RegEnumValueA(key, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "V3");  // V2 moved into index 0 and is skipped
  RegCloseKey(key);
}

// Answers read once are remembered; this process's own writes must show in them right away.
TEST_F(RegistryTest, OwnWritesShowInWhatWasReadBefore) {
  HKEY mix = create(HKEY_LOCAL_MACHINE, "Software\\Mix");
  for (const char* name : {"b\\x\\y", "D"}) RegCloseKey(create(mix, name));
  setDword(mix, "Level", 1);
  HKEY deep{};
  ASSERT_EQ(open(mix, "b\\x\\y", deep), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value;
  auto level = [&] {
    size = sizeof value;
    return RegQueryValueExA(mix, "level", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  };
  // Read everything once, so it is all remembered.
  EXPECT_EQ(subkeys(mix), (std::vector<std::string>{"b", "D"}));
  EXPECT_TRUE(exists(mix, "b\\x\\y"));
  EXPECT_FALSE(exists(mix, "C"));
  EXPECT_EQ(level(), ERROR_SUCCESS);

  struct Step {
    const char* what;
    std::function<void()> write;
    std::vector<std::string> subkeys;
  } steps[] = {
      {"create in the middle", [&] { RegCloseKey(create(mix, "C")); }, {"b", "C", "D"}},
      {"create first", [&] { RegCloseKey(create(mix, "a")); }, {"a", "b", "C", "D"}},
      {"delete a subtree", [&] { EXPECT_EQ(RegDeleteKeyA(mix, "B"), ERROR_SUCCESS); }, {"a", "C", "D"}},
      {"create it again", [&] { RegCloseKey(create(mix, "b")); }, {"a", "b", "C", "D"}},
  };
  for (const auto& step : steps) {
    step.write();
    EXPECT_EQ(subkeys(mix), step.subkeys) << step.what;
  }
  EXPECT_TRUE(exists(mix, "C"));
  EXPECT_FALSE(exists(mix, "b\\x\\y"));
  EXPECT_EQ(RegQueryValueExA(deep, "Any", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);

  setDword(mix, "Level", 2);
  EXPECT_EQ(level(), ERROR_SUCCESS);
  EXPECT_EQ(value, 2u);
  ASSERT_EQ(RegDeleteValueA(mix, "Level"), ERROR_SUCCESS);
  EXPECT_EQ(level(), ERROR_FILE_NOT_FOUND);
  RegCloseKey(deep);
  RegCloseKey(mix);
}
