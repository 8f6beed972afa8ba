#include "registry.h"

#include <algorithm>

namespace {
// The most a customisation text is ever read with.
constexpr DWORD kMaxValueBytes = 256;
}  // namespace

bool ReadRegistryString(HKEY hRootKey, LPCSTR lpSubKey, LPCSTR lpValueName, LPSTR lpBuffer, DWORD cbBuffer) {
  if (lpBuffer == nullptr || cbBuffer == 0) return false;
  HKEY key{};
  if (RegOpenKeyExA(hRootKey, lpSubKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = std::min(kMaxValueBytes, cbBuffer);
  LONG status = RegQueryValueExA(key, lpValueName, nullptr, nullptr, reinterpret_cast<BYTE*>(lpBuffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  // The bytes are taken as a string whatever the value's type: they must end within the buffer.
  if (size < cbBuffer) {
    lpBuffer[size] = '\0';
    return true;
  }
  return std::find(lpBuffer, lpBuffer + cbBuffer, '\0') != lpBuffer + cbBuffer;
}
