// Reading, writing and deleting values.
#include <cstring>

#include <ombrin/trace.h>
#include <win32/winreg.h>

#include "key_table.h"
#include "value_copy.h"

using namespace ombrin::registry;

namespace {

std::string valueName(LPCSTR name) { return name ? std::string(name) : std::string(); }

LONG checkValueName(const std::string& name) {
  std::size_t limit = isNt() ? kMaxValueNameLengthNt : kMaxValueNameLength9x;
  return name.size() > limit ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

}  // namespace

extern "C" LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                                        LPBYTE lpData, LPDWORD lpcbData) {
  DWORD given = lpcbData ? *lpcbData : 0;
  LONG result = guarded("RegQueryValueExA", [&](Store& s) -> LONG {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) return ERROR_INVALID_PARAMETER;
    auto key = resolveKey(hKey);
    if (!key) return ERROR_INVALID_HANDLE;
    if (!allowed(*key, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    KeyId id = keyId(s, *key);
    ValueRow row;
    if (!s.findValue(id, valueName(lpValueName), row))
      return id != 0 && s.keyExists(id) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
    if (lpType) *lpType = row.type;
    return copyData(row, lpData, lpcbData);
  });
  OMBRIN_TRACE("reg", "RegQueryValueExA(%#x, %s, size %u) -> %d, type %u, size %u", hKey.value,
               quoted(lpValueName).c_str(), given, result, lpType ? *lpType : 0u, lpcbData ? *lpcbData : 0u);
  return result;
}

extern "C" LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                                      DWORD cbData) {
  LONG result = guarded("RegSetValueExA", [&](Store& s) -> LONG {
    auto key = resolveKey(hKey);
    if (!key) return ERROR_INVALID_HANDLE;
    if (!allowed(*key, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    if (lpData == nullptr && cbData != 0) return ERROR_NOACCESS;
    auto name = valueName(lpValueName);
    if (LONG error = checkValueName(name)) return error;
    KeyId id = keyId(s, *key);
    std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    s.beginWrite();
    try {
      if (id == 0 || !s.keyExists(id)) {
        s.rollback();
        return ERROR_KEY_DELETED;
      }
      s.setValue(id, name, dwType, data);
      s.commit();
      s.noteLocalWrite();
    } catch (...) {
      s.rollback();
      throw;
    }
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "RegSetValueExA(%#x, %s, type %u, size %u) -> %d", hKey.value, quoted(lpValueName).c_str(),
               dwType, cbData, result);
  return result;
}

extern "C" LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  LONG result = guarded("RegDeleteValueA", [&](Store& s) -> LONG {
    auto key = resolveKey(hKey);
    if (!key) return ERROR_INVALID_HANDLE;
    if (!allowed(*key, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    KeyId id = keyId(s, *key);
    s.beginWrite();
    try {
      if (id == 0 || !s.keyExists(id)) {
        s.rollback();
        return ERROR_KEY_DELETED;
      }
      bool deleted = s.deleteValue(id, valueName(lpValueName));
      s.commit();
      if (!deleted) return ERROR_FILE_NOT_FOUND;
      s.noteLocalWrite();
    } catch (...) {
      s.rollback();
      throw;
    }
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "RegDeleteValueA(%#x, %s) -> %d", hKey.value, quoted(lpValueName).c_str(), result);
  return result;
}
