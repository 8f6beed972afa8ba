#include <win32/shellapi.h>

#include "coinstaller.h"

void LaunchSetupProgram() {
  WCHAR parameters[kIntToWideUnits];
  IntToWide(14, parameters, 10);
  // The shell's usual search finds the setup program; whether it started is not looked at.
  ::ShellExecuteW(HWND{}, u"open", u"qv10setp.exe", parameters, nullptr, SW_SHOWNORMAL);
}
