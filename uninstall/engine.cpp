// Construction and destruction of the engine object.
#include <new>

#include "uninstaller.h"

Uninstaller::Uninstaller() {
  windowsDir = new (std::nothrow) char[MAX_PATH];
  if (windowsDir == nullptr) return;
  // The platform returns the length on success and the size it needs when the buffer is too
  // small; a directory that does not fit leaves the object not ready instead of cut short.
  UINT length = GetWindowsDirectoryA(windowsDir, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) windowsDir[0] = '\0';
}

Uninstaller::~Uninstaller() {
  delete[] windowsDir;
}
