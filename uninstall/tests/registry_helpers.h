// Small helpers with which the tests lay out and inspect keys of the machine's registry.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <win32/windows.h>

namespace unombrin::testing {

inline void CreateKey(const std::string& path) {
  HKEY key{};
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key), ERROR_SUCCESS) << path;
  RegCloseKey(key);
}

inline void SetValue(const std::string& path, const std::string& name, const std::string& data, DWORD type = REG_SZ,
                     bool terminate = true) {
  HKEY key{};
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key), ERROR_SUCCESS) << path;
  std::string bytes = data;
  if (terminate) bytes.push_back('\0');
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS)
      << path << " " << name;
  RegCloseKey(key);
}

inline bool KeyExists(const std::string& path) {
  HKEY key{};
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline bool ValueExists(const std::string& path, const std::string& name) {
  HKEY key{};
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return false;
  bool found = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

inline std::vector<std::string> Subkeys(const std::string& path) {
  std::vector<std::string> names;
  HKEY key{};
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS) return names;
  char name[MAX_PATH];
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.emplace_back(name);
  RegCloseKey(key);
  return names;
}

}  // namespace unombrin::testing
