#include "audiocplapplet.h"

#include <cstring>

#include <afxwin.h>
#include <win32/shellapi.h>

#include "cplapp.h"
#include "registry.h"
#include "resource.h"

namespace {

constexpr const char* kCustomizationKey = "Software\\Dravel\\Ombrin\\QV5510\\Customization";

// Copies a text into a field of its own size, the rest of the field cleared, so that nothing
// of the applet's stack travels to the caller.
template <std::size_t N>
void copyField(CHAR (&field)[N], const char (&text)[N]) {
  std::size_t length = strnlen(text, N - 1);
  std::memcpy(field, text, length);
  std::memset(field + length, 0, N - length);
}

}  // namespace

LONG CAudioCplApplet::OnNewInquire(UINT, NEWCPLINFOA* pInfo) {
  if (pInfo == nullptr) return 0;
  auto* app = static_cast<CCplApp*>(AfxGetApp());

  pInfo->dwSize = sizeof(NEWCPLINFOA);
  pInfo->dwFlags = 0;
  pInfo->dwHelpContext = 0;
  pInfo->lData = 0;
  pInfo->hIcon = app != nullptr ? app->m_hIcon : HICON{};
  pInfo->szHelpFile[0] = '\0';

  char name[sizeof pInfo->szName];
  ::LoadStringA(AfxGetResourceHandle(), IDS_CPL_NAME, name, sizeof name);
  copyField(pInfo->szName, name);
  if (ReadRegistryString(HKEY_LOCAL_MACHINE, kCustomizationKey, "ControlPanelIconDesc", name, sizeof name))
    copyField(pInfo->szName, name);

  char info[sizeof pInfo->szInfo];
  ::LoadStringA(AfxGetResourceHandle(), IDS_CPL_INFO, info, sizeof info);
  copyField(pInfo->szInfo, info);
  if (ReadRegistryString(HKEY_LOCAL_MACHINE, kCustomizationKey, "ControlPanelIconInfo", info, sizeof info))
    copyField(pInfo->szInfo, info);

  return 0;
}

LONG CAudioCplApplet::OnDblclk(HWND, UINT, LONG) {
  // The program is found by the shell's own search; whether it started is not the applet's business.
  ::ShellExecuteA(HWND{}, "open", "qv10cpl.exe", nullptr, nullptr, SW_SHOWDEFAULT);
  return 0;
}
