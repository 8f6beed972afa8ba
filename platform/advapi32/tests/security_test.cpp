// Tokens and privileges: absent on the Windows 9x family, the process token on NT.
#include <gtest/gtest.h>

#include <ombrin/security.h>
#include <win32/windows.h>
#include <win32/winreg.h>

#include "temp_machine.h"

using ombrin::machine::WindowsVersion;

namespace {

constexpr DWORD kAllTokenAccess = 0xF00FF;  // standard required rights and every token right
const HANDLE kSentinelHandle{0x5EA5EA50u};

// The shutdown sequence a program runs before asking Windows to restart.
DWORD enableShutdown(HANDLE token) {
  LUID luid{};
  if (!LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &luid)) return GetLastError();
  TOKEN_PRIVILEGES privileges{1, {{luid, SE_PRIVILEGE_ENABLED}}};
  if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) return GetLastError();
  return GetLastError();
}

}  // namespace

TEST(Security, TheWindows9xFamilyHasNoTokens) {
  for (auto version : {WindowsVersion::Win95, WindowsVersion::Win98, WindowsVersion::WinMe}) {
    ombrin::test::TempMachine machine(version, {});
    HANDLE token = kSentinelHandle;
    LUID luid{0x1111, 0x2222};
    SetLastError(0);
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), kAllTokenAccess, FALSE, &token));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
    EXPECT_FALSE(OpenProcessToken(GetCurrentProcess(), kAllTokenAccess, &token));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
    EXPECT_EQ(token, kSentinelHandle);
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &luid));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
    EXPECT_EQ(luid.LowPart, 0x1111u);
    EXPECT_FALSE(AdjustTokenPrivileges(HANDLE{4}, FALSE, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_CALL_NOT_IMPLEMENTED});
    EXPECT_FALSE(ombrin::security::privilegeEnabled(SE_SHUTDOWN_NAME));
  }
}

TEST(Security, OnNtThreadAndProcessTokensEnableShutdown) {
  for (auto version : {WindowsVersion::Nt4, WindowsVersion::Win2000}) {
    ombrin::test::TempMachine machine(version, {});
    HANDLE token = kSentinelHandle;
    EXPECT_FALSE(OpenThreadToken(HANDLE{0x1234}, kAllTokenAccess, FALSE, &token));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_EQ(token, kSentinelHandle);

    ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), kAllTokenAccess, FALSE, &token));
    EXPECT_FALSE(ombrin::security::privilegeEnabled(SE_SHUTDOWN_NAME));
    SetLastError(12345);
    EXPECT_EQ(enableShutdown(token), DWORD{ERROR_SUCCESS});  // the last error is cleared on success
    EXPECT_TRUE(ombrin::security::privilegeEnabled(SE_SHUTDOWN_NAME));
    EXPECT_TRUE(CloseHandle(token));
    EXPECT_FALSE(AdjustTokenPrivileges(token, TRUE, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});

    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), kAllTokenAccess, &token));
    EXPECT_TRUE(CloseHandle(token));
  }
}

TEST(Security, PrivilegesAreLookedUpByNameWithoutCase) {
  ombrin::test::TempMachine machine(WindowsVersion::Nt4, {});
  struct Case {
    const char* name;
    BOOL found;
    DWORD error;
  } cases[] = {
      {"SeShutdownPrivilege", TRUE, 0},
      {"seshutdownprivilege", TRUE, 0},
      {"SeDebugPrivilege", TRUE, 0},
      {"SeNoSuchPrivilege", FALSE, ERROR_NO_SUCH_PRIVILEGE},
      {"", FALSE, ERROR_NO_SUCH_PRIVILEGE},
  };
  for (const auto& c : cases) {
    LUID luid{0x1111, 0x2222};
    SetLastError(0);
    EXPECT_EQ(LookupPrivilegeValueA(nullptr, c.name, &luid), c.found) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
    if (!c.found) {
      EXPECT_EQ(luid.LowPart, 0x1111u) << c.name;
    }
  }
  LUID shutdown{};
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown));
  EXPECT_EQ(shutdown.LowPart, 19u);
  EXPECT_EQ(shutdown.HighPart, 0);
}

TEST(Security, AdjustReportsWhatItCouldNotAssignAndThePreviousState) {
  ombrin::test::TempMachine machine(WindowsVersion::Nt4, {});
  HANDLE token{};
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));

  // A privilege the user does not hold: success, but ERROR_NOT_ALL_ASSIGNED.
  LUID tcb{};
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeTcbPrivilege", &tcb));
  TOKEN_PRIVILEGES request{1, {{tcb, SE_PRIVILEGE_ENABLED}}};
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &request, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_ALL_ASSIGNED});

  // The previous state needs room for the entries that change.
  LUID shutdown{};
  ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &shutdown));
  request = {1, {{shutdown, SE_PRIVILEGE_ENABLED}}};
  TOKEN_PRIVILEGES previous{0xAAAA, {{{0, 0}, 0}}};
  DWORD length = 0;
  EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &request, 4, &previous, &length));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(length, DWORD{sizeof(TOKEN_PRIVILEGES)});
  EXPECT_EQ(previous.PrivilegeCount, 0xAAAAu);
  EXPECT_FALSE(ombrin::security::privilegeEnabled(SE_SHUTDOWN_NAME));
  EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &request, sizeof previous, &previous, &length));
  EXPECT_EQ(previous.PrivilegeCount, 1u);
  EXPECT_EQ(previous.Privileges[0].Luid.LowPart, shutdown.LowPart);
  EXPECT_EQ(previous.Privileges[0].Attributes, 0u);
  EXPECT_TRUE(ombrin::security::privilegeEnabled(SE_SHUTDOWN_NAME));
  EXPECT_TRUE(CloseHandle(token));

  // A token opened for query only cannot be adjusted.
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  EXPECT_FALSE(AdjustTokenPrivileges(token, TRUE, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  EXPECT_TRUE(CloseHandle(token));
}
