// ExitWindowsEx: the machine restarts; the host never does.
#include <cstdio>
#include <system_error>

#include <ombrin/devices.h>
#include <ombrin/eventlog.h>
#include <ombrin/machine.h>
#include <ombrin/trace.h>
#include <win32/winuser.h>

namespace fs = std::filesystem;

extern "C" BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason) {
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%x", uFlags);
  ombrin::eventlog::write("restart", {flags});
  // Whatever ends the session ends what lived only for it: named objects, the card's state and
  // the window list in run/, and this process's view of the drivers.
  const auto run = ombrin::machine::current().runDir();
  std::error_code ec;
  for (fs::directory_iterator it(run, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code removeError;
    fs::remove_all(it->path(), removeError);
  }
  fs::create_directories(run, ec);
  ombrin::devices::restart();
  OMBRIN_TRACE("restart", "ExitWindowsEx(0x%x, 0x%x) -> TRUE", uFlags, dwReason);
  return TRUE;
}
