// The applet module's application object.
#pragma once

#include <afxwin.h>

#include "audiocplapplet.h"

class CCplApp : public CWinApp {
 public:
  CCplApp();

  CAudioCplApplet m_applet;
  HMODULE m_hLocDll{};  // "qv10loc.dll" when it loaded
  HICON m_hIcon{};      // a shared resource icon: never destroyed

  BOOL InitInstance() override;
  int ExitInstance() override;
};
