// proto.cpl: a test applet module with two applets that records every message it is sent
// as a `cpl` event (message number, then the applet number where the message has one).
#include <cstdio>
#include <string>

#include <ombrin/eventlog.h>
#include <win32/cpl.h>

namespace {

void record(UINT msg, const std::string& detail = {}) {
  std::vector<std::string> fields{std::to_string(msg)};
  if (!detail.empty()) fields.push_back(detail);
  ombrin::eventlog::write("cpl", fields);
}

}  // namespace

extern "C" LONG APIENTRY CPlApplet(HWND, UINT msg, LPARAM lParam1, LPARAM lParam2) {
  switch (msg) {
    case CPL_INIT: record(msg); return 1;
    case CPL_GETCOUNT: record(msg); return 2;
    case CPL_NEWINQUIRE: {
      record(msg, std::to_string(lParam1));
      auto* info = reinterpret_cast<NEWCPLINFOA*>(lParam2);
      *info = NEWCPLINFOA{};
      info->dwSize = sizeof(NEWCPLINFOA);
      info->lData = static_cast<LONG>(100 + lParam1);
      std::snprintf(info->szName, sizeof info->szName, "Proto %d", static_cast<int>(lParam1));
      std::snprintf(info->szInfo, sizeof info->szInfo, "Test applet %d", static_cast<int>(lParam1));
      return 0;
    }
    case CPL_DBLCLK:
    case CPL_STOP: record(msg, std::to_string(lParam1) + ":" + std::to_string(lParam2)); return 0;
    default: record(msg); return 0;
  }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH || reason == DLL_PROCESS_DETACH)
    ombrin::eventlog::write("cpl", {reason == DLL_PROCESS_ATTACH ? "attach" : "detach"});
  return TRUE;
}
