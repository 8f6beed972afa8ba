// Small helpers shared by the registry tests: a machine without the card, keys by path.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <win32/windows.h>
#include <win32/winreg.h>

#include "temp_machine.h"

namespace regtest {

using ombrin::machine::WindowsVersion;

// A handle value no table ever issued, and one to see whether an out-parameter was written.
inline const HKEY kSentinelKey{0x5EA5EA50u};
constexpr DWORD kSentinel = 0xA5A5A5A5u;

inline HKEY create(HKEY root, const char* path) {
  HKEY key = kSentinelKey;
  EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << path;
  return key;
}

inline LONG open(HKEY root, const char* path, HKEY& key, REGSAM access = KEY_ALL_ACCESS) {
  return RegOpenKeyExA(root, path, 0, access, &key);
}

inline bool exists(HKEY root, const char* path) {
  HKEY key{};
  if (open(root, path, key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline void setString(HKEY key, const char* name, const std::string& text) {
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
}

inline void setDword(HKEY key, const char* name, DWORD value) {
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
            ERROR_SUCCESS);
}

// Every subkey name by index from 0.
inline std::vector<std::string> subkeys(HKEY key) {
  std::vector<std::string> names;
  char name[MAX_PATH];
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
  return names;
}

inline std::vector<std::string> valueNames(HKEY key) {
  std::vector<std::string> names;
  char name[MAX_PATH];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  return names;
}

// A registry test on a machine of the given family, without the card.
class RegistryTest : public ::testing::Test {
 protected:
  explicit RegistryTest(WindowsVersion version = WindowsVersion::Win98) : machine_(version, {}) {}
  ombrin::test::TempMachine machine_;
};

class RegistryNtTest : public RegistryTest {
 protected:
  RegistryNtTest() : RegistryTest(WindowsVersion::Nt4) {}
};

}  // namespace regtest
