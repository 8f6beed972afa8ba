#include "restart.h"

#include <win32/windows.h>

namespace {

// The standard required rights together with every token right (0x01 to 0x80).
constexpr DWORD kTokenAccess = 0xF00FF;
constexpr UINT kRestartFlags = 0x42;  // reboot, together with 0x40
constexpr DWORD kRestartReason = 0xFFFFFFFF;

}  // namespace

void RestartWindows() {
  HANDLE token{};
  if (OpenThreadToken(GetCurrentThread(), kTokenAccess, FALSE, &token)) {
    LUID shutdown{};
    LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = shutdown;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // AdjustTokenPrivileges leaves 0 as the last error only when the privilege was enabled.
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    DWORD error = GetLastError();
    CloseHandle(token);
    SetLastError(error);
  } else {
    // Without a security model (the 9x family) there is nothing to ask for.
    DWORD error = GetLastError();
    SetLastError(error == ERROR_CALL_NOT_IMPLEMENTED ? 0 : error);
  }
  if (GetLastError() == 0) ExitWindowsEx(kRestartFlags, kRestartReason);
}
