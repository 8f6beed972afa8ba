// Which Windows the engine runs on: the recipes run only on the 9x family, and choose between
// the Windows 95 and the later layout of the device tree.
#include "uninstaller.h"

bool Uninstaller::IsWin9x() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return false;
  return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool Uninstaller::IsWin95() {
  if (!IsWin9x()) return false;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return false;
  return info.dwMajorVersion == 4 && info.dwMinorVersion == 0;
}
