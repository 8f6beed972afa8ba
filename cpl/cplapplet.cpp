#include "cplapplet.h"

namespace {
CCplApplet* g_applet = nullptr;
}

CCplApplet::CCplApplet() { g_applet = this; }

CCplApplet::~CCplApplet() {
  if (g_applet == this) g_applet = nullptr;
}

CCplApplet* CCplApplet::TheApplet() { return g_applet; }

LONG CCplApplet::OnInit() { return 1; }
LONG CCplApplet::OnGetCount() { return 1; }
LONG CCplApplet::OnNewInquire(UINT, NEWCPLINFOA*) { return 0; }
LONG CCplApplet::OnSelect(UINT, LONG) { return 1; }
LONG CCplApplet::OnDblclk(HWND, UINT, LONG) { return 0; }
LONG CCplApplet::OnStop(UINT, LONG) { return 1; }
LONG CCplApplet::OnExit() { return 0; }
