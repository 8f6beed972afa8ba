// Enumerating subkeys and values by index, and the counts of a key.
#include <algorithm>
#include <cstring>

#include <ombrin/trace.h>
#include <win32/winreg.h>

#include "key_table.h"
#include "value_copy.h"

using namespace ombrin::registry;

namespace {

// Refreshes the key's snapshot of subkeys when anything was written since it was taken, so an
// index names what it would name in a fresh enumeration (deleting shifts the later ones down).
LONG loadChildren(Store& s, OpenKey& key) {
  auto stamp = s.stamp();
  if (key.childrenValid && key.childrenStamp == stamp) return ERROR_SUCCESS;
  KeyId id = keyId(s, key);
  if (id == 0 || !s.keyExists(id)) return ERROR_KEY_DELETED;
  key.children = s.childList(id);
  key.childrenStamp = stamp;
  key.childrenValid = true;
  return ERROR_SUCCESS;
}

LONG loadValues(Store& s, OpenKey& key) {
  auto stamp = s.stamp();
  if (key.valuesValid && key.valuesStamp == stamp) return ERROR_SUCCESS;
  KeyId id = keyId(s, key);
  if (id == 0 || !s.keyExists(id)) return ERROR_KEY_DELETED;
  key.values = s.values(id);
  key.valuesStamp = stamp;
  key.valuesValid = true;
  return ERROR_SUCCESS;
}

LONG enumKey(Store& s, HKEY hKey, DWORD index, LPSTR name, DWORD capacity, DWORD* length) {
  auto key = resolveKey(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if (!allowed(*key, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  if (LONG error = loadChildren(s, *key)) return error;
  if (index >= key->children->size()) return ERROR_NO_MORE_ITEMS;
  const auto& child = (*key->children)[index];
  if (name == nullptr || child.size() + 1 > capacity) return ERROR_MORE_DATA;
  std::memcpy(name, child.c_str(), child.size() + 1);
  *length = static_cast<DWORD>(child.size());
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
  DWORD length = 0;
  LONG result = guarded("RegEnumKeyA", [&](Store& s) { return enumKey(s, hKey, dwIndex, lpName, cchName, &length); });
  OMBRIN_TRACE("reg", "RegEnumKeyA(%#x, %u) -> %d %s", hKey.value, dwIndex, result,
               result == 0 ? quoted(lpName).c_str() : "");
  return result;
}

extern "C" LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                                     LPSTR lpClass, LPDWORD lpcchClass, FILETIME* lpftLastWriteTime) {
  LONG result = guarded("RegEnumKeyExA", [&](Store& s) -> LONG {
    if (lpcchName == nullptr || lpReserved != nullptr) return ERROR_INVALID_PARAMETER;
    DWORD length = 0;
    if (LONG error = enumKey(s, hKey, dwIndex, lpName, *lpcchName, &length)) return error;
    *lpcchName = length;
    // Keys carry no class and no time of their own here.
    if (lpClass && lpcchClass && *lpcchClass > 0) lpClass[0] = '\0';
    if (lpcchClass) *lpcchClass = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "RegEnumKeyExA(%#x, %u) -> %d %s", hKey.value, dwIndex, result,
               result == 0 ? quoted(lpName).c_str() : "");
  return result;
}

extern "C" LONG WINAPI RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                                     LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  LONG result = guarded("RegEnumValueA", [&](Store& s) -> LONG {
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
      return ERROR_INVALID_PARAMETER;
    auto key = resolveKey(hKey);
    if (!key) return ERROR_INVALID_HANDLE;
    if (!allowed(*key, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (LONG error = loadValues(s, *key)) return error;
    if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
    const auto& row = key->values[dwIndex];
    if (row.name.size() + 1 > *lpcchValueName) return ERROR_MORE_DATA;
    if (LONG error = copyData(row, lpData, lpcbData)) return error;
    std::memcpy(lpValueName, row.name.c_str(), row.name.size() + 1);
    *lpcchValueName = static_cast<DWORD>(row.name.size());
    if (lpType) *lpType = row.type;
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "RegEnumValueA(%#x, %u) -> %d %s", hKey.value, dwIndex, result,
               result == 0 ? quoted(lpValueName).c_str() : "");
  return result;
}

extern "C" LONG WINAPI RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                        LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                        LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                        LPDWORD lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
  LONG result = guarded("RegQueryInfoKeyA", [&](Store& s) -> LONG {
    if (lpReserved != nullptr) return ERROR_INVALID_PARAMETER;
    auto key = resolveKey(hKey);
    if (!key) return ERROR_INVALID_HANDLE;
    if (!allowed(*key, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (LONG error = loadChildren(s, *key)) return error;
    if (LONG error = loadValues(s, *key)) return error;
    DWORD maxSubKey = 0, maxName = 0, maxData = 0;
    for (const auto& child : *key->children) maxSubKey = std::max(maxSubKey, static_cast<DWORD>(child.size()));
    for (const auto& row : key->values) {
      maxName = std::max(maxName, static_cast<DWORD>(row.name.size()));
      maxData = std::max(maxData, static_cast<DWORD>(row.data.size()));
    }
    if (lpClass && lpcchClass && *lpcchClass > 0) lpClass[0] = '\0';
    if (lpcchClass) *lpcchClass = 0;
    if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(key->children->size());
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = maxSubKey;
    if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
    if (lpcValues) *lpcValues = static_cast<DWORD>(key->values.size());
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = maxName;
    if (lpcbMaxValueLen) *lpcbMaxValueLen = maxData;
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "RegQueryInfoKeyA(%#x) -> %d", hKey.value, result);
  return result;
}
