// Opening, creating, closing and deleting keys.
#include <ombrin/trace.h>
#include <win32/winreg.h>

#include "key_table.h"

using namespace ombrin::registry;

namespace {

// Resolves base + subkey to an existing key: its id, or the error Windows gives.
LONG findTarget(Store& s, OpenKey& base, const Target& t, KeyId& id) {
  KeyId baseId = keyId(s, base);
  if (t.names.empty() && !t.fromRoot) {  // the base itself
    id = baseId;
    return baseId != 0 && s.keyExists(baseId) ? ERROR_SUCCESS : ERROR_KEY_DELETED;
  }
  id = s.findKey(t.root, t.folded);
  if (id != 0) return ERROR_SUCCESS;
  return baseId != 0 && s.keyExists(baseId) ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
}

HKEY newHandle(const Target& t, KeyId id, REGSAM access) {
  auto key = std::make_shared<OpenKey>();
  key->root = t.root;
  key->path = t.folded;
  key->id = id;
  key->access = access;
  return keyHandles().insert(std::move(key));
}

LONG openKey(const char* call, HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, PHKEY phkResult) {
  LONG result = guarded(call, [&](Store& s) -> LONG {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = HKEY{};
    auto base = resolveKey(hKey);
    if (!base) return ERROR_INVALID_HANDLE;
    std::vector<std::string_view> names;
    if (LONG error = splitSubKey(lpSubKey, names)) return error;
    Target t = target(*base, names);
    KeyId id = 0;
    if (LONG error = findTarget(s, *base, t, id)) return error;
    *phkResult = newHandle(t, id, grantedAccess(samDesired));
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "%s(%#x, %s) -> %d, %#x", call, hKey.value, quoted(lpSubKey).c_str(), result,
               phkResult ? phkResult->value : 0u);
  return result;
}

LONG createKey(const char* call, HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, PHKEY phkResult,
               LPDWORD lpdwDisposition) {
  LONG result = guarded(call, [&](Store& s) -> LONG {
    if (phkResult == nullptr || lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
    *phkResult = HKEY{};
    auto base = resolveKey(hKey);
    if (!base) return ERROR_INVALID_HANDLE;
    if (!allowed(*base, KEY_CREATE_SUB_KEY) && *lpSubKey != '\0') return ERROR_ACCESS_DENIED;
    std::vector<std::string_view> names;
    if (LONG error = splitSubKey(lpSubKey, names)) return error;
    Target t = target(*base, names);
    KeyId baseId = keyId(s, *base);
    s.beginWrite();
    try {
      if (!s.keyExists(baseId)) {
        s.rollback();
        return ERROR_KEY_DELETED;
      }
      bool created = false;
      KeyId from = t.fromRoot ? rootId(t.root) : baseId;
      KeyId id = s.createPath(t.root, from, t.baseFolded, t.names, created);
      s.commit();
      if (created) s.noteLocalWrite();
      *phkResult = newHandle(t, id, grantedAccess(samDesired));
      if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    } catch (...) {
      s.rollback();
      throw;
    }
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "%s(%#x, %s) -> %d, %#x%s", call, hKey.value, quoted(lpSubKey).c_str(), result,
               phkResult ? phkResult->value : 0u,
               result == 0 && lpdwDisposition ? (*lpdwDisposition == REG_CREATED_NEW_KEY ? " created" : " opened") : "");
  return result;
}

}  // namespace

extern "C" LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  return openKey("RegOpenKeyExA", hKey, lpSubKey, samDesired, phkResult);
}

extern "C" LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  // Without a subkey the caller gets its own handle back, not a new one.
  if (phkResult != nullptr && (lpSubKey == nullptr || *lpSubKey == '\0')) {
    auto lock = lockStore();
    LONG result = resolveKey(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    *phkResult = result == ERROR_SUCCESS ? hKey : HKEY{};
    OMBRIN_TRACE("reg", "RegOpenKeyA(%#x, %s) -> %d, %#x", hKey.value, quoted(lpSubKey).c_str(), result,
                 phkResult->value);
    return result;
  }
  return openKey("RegOpenKeyA", hKey, lpSubKey, MAXIMUM_ALLOWED, phkResult);
}

extern "C" LONG WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired,
                                       LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
  return createKey("RegCreateKeyExA", hKey, lpSubKey, samDesired, phkResult, lpdwDisposition);
}

extern "C" LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  if (phkResult != nullptr && (lpSubKey == nullptr || *lpSubKey == '\0')) return RegOpenKeyA(hKey, lpSubKey, phkResult);
  return createKey("RegCreateKeyA", hKey, lpSubKey, MAXIMUM_ALLOWED, phkResult, nullptr);
}

extern "C" LONG WINAPI RegCloseKey(HKEY hKey) {
  LONG result = ERROR_SUCCESS;
  {
    auto lock = lockStore();
    auto key = resolveKey(hKey);
    if (!key) result = ERROR_INVALID_HANDLE;
    else if (!key->predefined) keyHandles().remove(hKey);
  }
  OMBRIN_TRACE("reg", "RegCloseKey(%#x) -> %d", hKey.value, result);
  return result;
}

extern "C" LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  LONG result = guarded("RegDeleteKeyA", [&](Store& s) -> LONG {
    if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
    auto base = resolveKey(hKey);
    if (!base) return ERROR_INVALID_HANDLE;
    std::vector<std::string_view> names;
    if (LONG error = splitSubKey(lpSubKey, names)) return error;
    Target t = target(*base, names);
    // A root, and the link to the current control set, are not keys one can delete.
    if (t.folded.empty() || t.isLink || (base->predefined && names.empty())) return ERROR_ACCESS_DENIED;
    s.beginWrite();
    try {
      KeyId id = 0;
      if (LONG error = findTarget(s, *base, t, id)) {
        s.rollback();
        return error;
      }
      // NT deletes only leaves; the Windows 9x family takes the whole subtree.
      if (isNt() && s.hasChildren(id)) {
        s.rollback();
        return ERROR_ACCESS_DENIED;
      }
      s.deleteSubtree(t.root, t.folded);
      s.commit();
      s.noteLocalWrite();
    } catch (...) {
      s.rollback();
      throw;
    }
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "RegDeleteKeyA(%#x, %s) -> %d", hKey.value, quoted(lpSubKey).c_str(), result);
  return result;
}

extern "C" LONG WINAPI RegFlushKey(HKEY hKey) {
  LONG result = guarded("RegFlushKey", [&](Store& s) -> LONG {
    if (!resolveKey(hKey)) return ERROR_INVALID_HANDLE;
    // Commits are already durable against a crash of the process; a flush also copies the
    // log into the database file and syncs it, against a crash of the host.
    s.exec("PRAGMA wal_checkpoint(PASSIVE)");
    return ERROR_SUCCESS;
  });
  OMBRIN_TRACE("reg", "RegFlushKey(%#x) -> %d", hKey.value, result);
  return result;
}
