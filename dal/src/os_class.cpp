#include "os_class.h"

namespace qv10dal {

bool GetOsClass(OsClass& osClass) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  if (!GetVersionExA(&version)) return false;
  osClass = OS_UNSUPPORTED;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    if (version.dwMajorVersion == 4) osClass = version.dwMinorVersion == 0 ? OS_WIN95 : OS_WIN98;
  } else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if (version.dwMajorVersion == 4 && version.dwMinorVersion == 0) osClass = OS_NT4;
    if (version.dwMajorVersion == 5 && version.dwMinorVersion == 0) osClass = OS_WIN2000;
  }
  return true;
}

}  // namespace qv10dal
