// LoadStringA: a string of a module's table, cut to the caller's buffer.
#include <cstring>

#include <ombrin/resources.h>
#include <ombrin/trace.h>
#include <win32/winuser.h>

extern "C" int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
  if (lpBuffer == nullptr || cchBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    OMBRIN_TRACE("res", "LoadStringA(%#x, %u, %p, %d) = 0", hInstance.value, uID, static_cast<void*>(lpBuffer),
                 cchBufferMax);
    return 0;
  }
  const auto* entry = ombrin::resources::findString(hInstance, uID);
  // A missing string leaves an empty buffer, as Windows' 8-bit LoadString does.
  std::size_t length = 0;
  if (entry != nullptr && entry->text != nullptr) {
    length = std::strlen(entry->text);
    if (length > static_cast<std::size_t>(cchBufferMax - 1)) length = static_cast<std::size_t>(cchBufferMax - 1);
    std::memcpy(lpBuffer, entry->text, length);
  }
  lpBuffer[length] = '\0';
  OMBRIN_TRACE("res", "LoadStringA(%#x, %u, \"%s\", %d) = %zu", hInstance.value, uID, lpBuffer, cchBufferMax, length);
  return static_cast<int>(length);
}
