// The card's applet: its icon, name and description, and opening the card's control panel program.
#pragma once

#include "cplapplet.h"

class CAudioCplApplet : public CCplApplet {
 public:
  LONG OnNewInquire(UINT uAppNum, NEWCPLINFOA* pInfo) override;
  LONG OnDblclk(HWND hwndCPl, UINT uAppNum, LONG lData) override;
};
