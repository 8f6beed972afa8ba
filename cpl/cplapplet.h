// One Control Panel applet: one virtual operation per Control Panel message.
#pragma once

#include <win32/cpl.h>

class CCplApplet {
 public:
  CCplApplet();
  virtual ~CCplApplet();
  CCplApplet(const CCplApplet&) = delete;
  CCplApplet& operator=(const CCplApplet&) = delete;

  // In the order of the virtual table, which is not the order of the message numbers.
  virtual LONG OnInit();
  virtual LONG OnGetCount();
  virtual LONG OnNewInquire(UINT uAppNum, NEWCPLINFOA* pInfo);
  virtual LONG OnSelect(UINT uAppNum, LONG lData);
  virtual LONG OnDblclk(HWND hwndCPl, UINT uAppNum, LONG lData);
  virtual LONG OnStop(UINT uAppNum, LONG lData);
  virtual LONG OnExit();

  // The module's one applet, recorded by its constructor; CPlApplet reads it for every message.
  static CCplApplet* TheApplet();
};
