// The Control Panel applet protocol: the CPlApplet export, its messages and records.
#pragma once

#include "winuser.h"

#define CPL_DYNAMIC_RES 0
#define CPL_INIT 1
#define CPL_GETCOUNT 2
#define CPL_INQUIRE 3
#define CPL_SELECT 4
#define CPL_DBLCLK 5
#define CPL_STOP 6
#define CPL_EXIT 7
#define CPL_NEWINQUIRE 8
#define CPL_STARTWPARMSA 9
#define CPL_SETUP 200

// What CPL_INQUIRE fills: resource numbers in the applet's module.
struct CPLINFO {
  int idIcon;
  int idName;
  int idInfo;
  LONG lData;  // LONG_PTR on Windows; 32 bits in the record, as on 32-bit Windows
};
using LPCPLINFO = CPLINFO*;
static_assert(sizeof(CPLINFO) == 16);

// What CPL_NEWINQUIRE fills: the texts themselves.
struct NEWCPLINFOA {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHelpContext;
  LONG lData;  // LONG_PTR on Windows; 32 bits in the record, as on 32-bit Windows
  HICON hIcon;
  CHAR szName[32];
  CHAR szInfo[64];
  CHAR szHelpFile[128];
};
using LPNEWCPLINFOA = NEWCPLINFOA*;
using NEWCPLINFO = NEWCPLINFOA;
using LPNEWCPLINFO = LPNEWCPLINFOA;
static_assert(sizeof(NEWCPLINFOA) == 244);

// The export every applet module has, by the name "CPlApplet".
using APPLET_PROC = LONG(APIENTRY*)(HWND hwndCpl, UINT msg, LPARAM lParam1, LPARAM lParam2);
