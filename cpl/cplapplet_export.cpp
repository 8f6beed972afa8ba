// CPlApplet, the module's one export: every Control Panel message goes to the module's applet.
#include <ombrin/resources.h>

#include "cplapplet.h"

namespace {

struct MessageRoute {
  UINT message;
  LONG (*forward)(CCplApplet& applet, HWND hwnd, LPARAM lParam1, LPARAM lParam2);
};

// Applet numbers and data travel in the message arguments as 32-bit values.
UINT number(LPARAM value) { return static_cast<UINT>(value); }
LONG data(LPARAM value) { return static_cast<LONG>(value); }

constexpr MessageRoute kRoutes[] = {
    {CPL_INIT, [](CCplApplet& a, HWND, LPARAM, LPARAM) { return a.OnInit(); }},
    {CPL_GETCOUNT, [](CCplApplet& a, HWND, LPARAM, LPARAM) { return a.OnGetCount(); }},
    // The older inquiry is answered without touching its record: the new one carries everything.
    {CPL_INQUIRE, [](CCplApplet&, HWND, LPARAM, LPARAM) { return LONG{1}; }},
    {CPL_SELECT, [](CCplApplet& a, HWND, LPARAM l1, LPARAM l2) { return a.OnSelect(number(l1), data(l2)); }},
    {CPL_DBLCLK, [](CCplApplet& a, HWND h, LPARAM l1, LPARAM l2) { return a.OnDblclk(h, number(l1), data(l2)); }},
    {CPL_STOP, [](CCplApplet& a, HWND, LPARAM l1, LPARAM l2) { return a.OnStop(number(l1), data(l2)); }},
    {CPL_EXIT, [](CCplApplet& a, HWND, LPARAM, LPARAM) { return a.OnExit(); }},
    {CPL_NEWINQUIRE,
     [](CCplApplet& a, HWND, LPARAM l1, LPARAM l2) {
       return a.OnNewInquire(number(l1), reinterpret_cast<NEWCPLINFOA*>(l2));
     }},
};

}  // namespace

extern "C" OMBRIN_EXPORT LONG APIENTRY CPlApplet(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2) {
  CCplApplet* applet = CCplApplet::TheApplet();
  for (const auto& route : kRoutes)
    if (route.message == uMsg) return applet != nullptr ? route.forward(*applet, hwndCPl, lParam1, lParam2) : 0;
  return 1;
}
