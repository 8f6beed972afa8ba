#include <cstring>

#include <ombrin/machine.h>
#include <ombrin/trace.h>
#include <win32/winbase.h>

using ombrin::machine::current;

extern "C" BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    OMBRIN_TRACE("version", "GetVersionExA(%p) -> FALSE", static_cast<void*>(info));
    return FALSE;
  }
  const auto& v = current().version();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwPlatformId = v.platformId;
  // The 9x family keeps major.minor in the high word of the build number.
  info->dwBuildNumber = v.platformId == VER_PLATFORM_WIN32_NT ? v.build : ((v.major << 24) | (v.minor << 16) | v.build);
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  OMBRIN_TRACE("version", "GetVersionExA -> %u %u.%u", v.platformId, v.major, v.minor);
  return TRUE;
}

extern "C" DWORD WINAPI GetVersion() {
  const auto& v = current().version();
  DWORD high = (v.build & 0x7FFF) | (v.platformId == VER_PLATFORM_WIN32_NT ? 0 : 0x8000);
  return (high << 16) | (v.minor << 8) | v.major;
}

namespace {
UINT copyDirectory(const std::string& dir, LPSTR buffer, UINT size) {
  auto length = static_cast<UINT>(dir.size());
  if (buffer == nullptr || size <= length) return length + 1;  // the size needed, terminator included
  std::memcpy(buffer, dir.c_str(), length + 1);
  return length;
}
}  // namespace

extern "C" UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return copyDirectory(current().windowsDirectory(), buffer, size);
}

extern "C" UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return copyDirectory(current().systemDirectory(), buffer, size);
}
