// Access tokens and privileges. The Windows 9x family has no security model: every call fails
// with ERROR_CALL_NOT_IMPLEMENTED. On NT the process has one token; threads never impersonate,
// so a thread has no token of its own (ERROR_NO_TOKEN) and a program reaches the process token
// through OpenProcessToken.
#include <cstring>
#include <mutex>

#include <ombrin/handles.h>
#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <ombrin/security.h>
#include <ombrin/trace.h>
#include <win32/winreg.h>

namespace {

// Privilege names with their locally unique identifiers as NT numbers them, and whether the
// machine's user (an administrator, as installers and uninstallers need) holds each one.
struct Privilege {
  const char* name;
  DWORD luid;
  bool held;
};
constexpr Privilege kPrivileges[] = {
    {"SeCreateTokenPrivilege", 2, false},        {"SeAssignPrimaryTokenPrivilege", 3, false},
    {"SeLockMemoryPrivilege", 4, false},         {"SeIncreaseQuotaPrivilege", 5, true},
    {"SeMachineAccountPrivilege", 6, false},     {"SeTcbPrivilege", 7, false},
    {"SeSecurityPrivilege", 8, true},            {"SeTakeOwnershipPrivilege", 9, true},
    {"SeLoadDriverPrivilege", 10, true},         {"SeSystemProfilePrivilege", 11, true},
    {"SeSystemtimePrivilege", 12, true},         {"SeProfileSingleProcessPrivilege", 13, true},
    {"SeIncreaseBasePriorityPrivilege", 14, true}, {"SeCreatePagefilePrivilege", 15, true},
    {"SeCreatePermanentPrivilege", 16, false},   {"SeBackupPrivilege", 17, true},
    {"SeRestorePrivilege", 18, true},            {"SeShutdownPrivilege", 19, true},
    {"SeDebugPrivilege", 20, true},              {"SeAuditPrivilege", 21, false},
    {"SeSystemEnvironmentPrivilege", 22, true},  {"SeChangeNotifyPrivilege", 23, true},
    {"SeRemoteShutdownPrivilege", 24, true},     {"SeUndockPrivilege", 25, true},
};
constexpr DWORD kFirstLuid = 2;
constexpr DWORD kLuidCount = 26;
// Enabled from the start in a new logon's token.
constexpr DWORD kEnabledByDefault = 23;  // SeChangeNotifyPrivilege

constexpr std::uint32_t kCurrentProcess = 0xFFFFFFFFu;
constexpr std::uint32_t kCurrentThread = 0xFFFFFFFEu;

// The process token's privilege state: one per process, whatever number of handles refer to it.
struct TokenState {
  std::mutex mutex;
  bool enabled[kLuidCount] = {};
  TokenState() { enabled[kEnabledByDefault] = true; }
};

TokenState& tokenState() {
  static TokenState* state = new TokenState;  // outlives every static that may use it at exit
  static const bool registered = [] {
    ombrin::machine::onReset([] {
      std::lock_guard lock(tokenState().mutex);
      std::memset(tokenState().enabled, 0, sizeof tokenState().enabled);
      tokenState().enabled[kEnabledByDefault] = true;
    });
    return true;
  }();
  (void)registered;
  return *state;
}

class TokenObject : public ombrin::KernelObject {
 public:
  explicit TokenObject(DWORD access) : KernelObject(Kind::Token), access_(access) {}
  DWORD access() const { return access_; }

 private:
  DWORD access_;
};

const Privilege* privilegeByLuid(const LUID& luid) {
  if (luid.HighPart != 0) return nullptr;
  for (const auto& p : kPrivileges)
    if (p.luid == luid.LowPart) return &p;
  return nullptr;
}

bool is9x() { return !ombrin::machine::current().profile().isNt(); }

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

bool isThread(HANDLE handle) {
  if (handle.value == kCurrentThread) return true;
  auto object = ombrin::kernelHandles().find(handle);
  return object && object->kind() == ombrin::KernelObject::Kind::Thread;
}

bool isProcess(HANDLE handle) {
  if (handle.value == kCurrentProcess) return true;
  auto object = ombrin::kernelHandles().find(handle);
  return object && object->kind() == ombrin::KernelObject::Kind::Process;
}

// Token access as granted: generic rights mapped, everything asked for is given (the user
// owns the token).
DWORD grantedTokenAccess(DWORD desired) {
  constexpr DWORD kAllAccess = STANDARD_RIGHTS_REQUIRED | 0xFF;
  if (desired & (MAXIMUM_ALLOWED | GENERIC_ALL)) return kAllAccess;
  DWORD granted = desired & kAllAccess;
  if (desired & GENERIC_READ) granted |= READ_CONTROL | TOKEN_QUERY;
  if (desired & GENERIC_WRITE) granted |= READ_CONTROL | TOKEN_ADJUST_PRIVILEGES | 0x40 | 0x80;
  return granted;
}

// Privilege lists are variable-length records: the count, then that many entries.
LUID_AND_ATTRIBUTES* entries(PTOKEN_PRIVILEGES list) {
  return reinterpret_cast<LUID_AND_ATTRIBUTES*>(reinterpret_cast<BYTE*>(list) + offsetof(TOKEN_PRIVILEGES, Privileges));
}
DWORD listSize(DWORD count) {
  return static_cast<DWORD>(offsetof(TOKEN_PRIVILEGES, Privileges) + count * sizeof(LUID_AND_ATTRIBUTES));
}

}  // namespace

namespace ombrin::security {

bool privilegeEnabled(std::string_view name) {
  if (is9x()) return false;
  for (const auto& p : kPrivileges) {
    if (!paths::equalsNoCase(name, p.name)) continue;
    auto& state = tokenState();
    std::lock_guard lock(state.mutex);
    return p.held && state.enabled[p.luid];
  }
  return false;
}

}  // namespace ombrin::security

extern "C" BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD DesiredAccess, BOOL OpenAsSelf,
                                       PHANDLE TokenHandle) {
  BOOL result = [&] {
    if (is9x()) return fail(ERROR_CALL_NOT_IMPLEMENTED);
    if (TokenHandle == nullptr) return fail(ERROR_NOACCESS);
    if (!isThread(ThreadHandle)) return fail(ERROR_INVALID_HANDLE);
    // Every thread of the machine runs as the logged-on user, so its token is the process's
    // (a program asking its own thread for the shutdown privilege gets it, as the machine's
    // restart path expects).
    tokenState();
    *TokenHandle = ombrin::kernelHandles().insert(std::make_shared<TokenObject>(grantedTokenAccess(DesiredAccess)));
    return TRUE;
  }();
  OMBRIN_TRACE("security", "OpenThreadToken(%#x, %#x, %d) -> %d, %#x", ThreadHandle.value, DesiredAccess,
               OpenAsSelf, result, result && TokenHandle ? TokenHandle->value : 0u);
  return result;
}

extern "C" BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
  BOOL result = [&] {
    if (is9x()) return fail(ERROR_CALL_NOT_IMPLEMENTED);
    if (TokenHandle == nullptr) return fail(ERROR_NOACCESS);
    if (!isProcess(ProcessHandle)) return fail(ERROR_INVALID_HANDLE);
    tokenState();  // the state outlives every handle to it
    *TokenHandle = ombrin::kernelHandles().insert(std::make_shared<TokenObject>(grantedTokenAccess(DesiredAccess)));
    return TRUE;
  }();
  OMBRIN_TRACE("security", "OpenProcessToken(%#x, %#x) -> %d, %#x", ProcessHandle.value, DesiredAccess, result,
               result && TokenHandle ? TokenHandle->value : 0u);
  return result;
}

extern "C" BOOL WINAPI LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid) {
  BOOL result = [&] {
    if (is9x()) return fail(ERROR_CALL_NOT_IMPLEMENTED);
    if (lpName == nullptr || lpLuid == nullptr) return fail(ERROR_INVALID_PARAMETER);
    for (const auto& p : kPrivileges) {
      if (ombrin::paths::equalsNoCase(lpName, p.name)) {
        *lpLuid = LUID{p.luid, 0};
        return TRUE;
      }
    }
    return fail(ERROR_NO_SUCH_PRIVILEGE);
  }();
  OMBRIN_TRACE("security", "LookupPrivilegeValueA(%s, %s) -> %d", lpSystemName ? lpSystemName : "NULL",
               lpName ? lpName : "NULL", result);
  return result;
}

extern "C" BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges,
                                             PTOKEN_PRIVILEGES NewState, DWORD BufferLength,
                                             PTOKEN_PRIVILEGES PreviousState, LPDWORD ReturnLength) {
  BOOL result = [&] {
    if (is9x()) return fail(ERROR_CALL_NOT_IMPLEMENTED);
    auto token = ombrin::kernelObject<TokenObject>(TokenHandle, ombrin::KernelObject::Kind::Token);
    if (!token) return FALSE;  // ERROR_INVALID_HANDLE is set
    if (!(token->access() & TOKEN_ADJUST_PRIVILEGES)) return fail(ERROR_ACCESS_DENIED);
    if (!DisableAllPrivileges && NewState == nullptr) return fail(ERROR_INVALID_PARAMETER);
    if (PreviousState != nullptr && ReturnLength == nullptr) return fail(ERROR_INVALID_PARAMETER);

    auto& state = tokenState();
    std::lock_guard lock(state.mutex);
    // The change as a list of (luid, enable); privileges the token does not hold are left out.
    bool notAll = false;
    std::pair<DWORD, bool> changes[kLuidCount];
    DWORD changeCount = 0;
    if (DisableAllPrivileges) {
      for (DWORD luid = kFirstLuid; luid < kLuidCount; ++luid)
        if (state.enabled[luid]) changes[changeCount++] = {luid, false};
    } else {
      for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
        const auto& entry = entries(NewState)[i];
        const Privilege* p = privilegeByLuid(entry.Luid);
        if (p == nullptr || !p->held) {
          notAll = true;
          continue;
        }
        bool enable = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        if (state.enabled[p->luid] != enable && changeCount < kLuidCount) changes[changeCount++] = {p->luid, enable};
      }
    }
    if (PreviousState != nullptr) {
      *ReturnLength = listSize(changeCount);
      if (BufferLength < *ReturnLength) return fail(ERROR_INSUFFICIENT_BUFFER);
      PreviousState->PrivilegeCount = changeCount;
      for (DWORD i = 0; i < changeCount; ++i)
        entries(PreviousState)[i] = {LUID{changes[i].first, 0},
                                     state.enabled[changes[i].first] ? DWORD{SE_PRIVILEGE_ENABLED} : 0u};
    }
    for (DWORD i = 0; i < changeCount; ++i) state.enabled[changes[i].first] = changes[i].second;
    // Success either way; the last error says whether every privilege could be adjusted.
    SetLastError(notAll ? ERROR_NOT_ALL_ASSIGNED : ERROR_SUCCESS);
    return TRUE;
  }();
  OMBRIN_TRACE("security", "AdjustTokenPrivileges(%#x, %d) -> %d, error %u", TokenHandle.value, DisableAllPrivileges,
               result, GetLastError());
  return result;
}
