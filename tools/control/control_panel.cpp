#include "control_panel.h"

#include <cstring>

#include <ombrin/machine.h>
#include <win32/windows.h>

namespace ombrin::control {
namespace {

// The Control Panel has no window of its own on this machine.
const HWND kControlPanelWindow{};

std::string text(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

}  // namespace

ControlPanel::ControlPanel() {
  std::string systemDir = machine::current().systemDirectory();
  std::vector<std::string> files;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((systemDir + "\\*.cpl").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.emplace_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }

  for (const auto& file : files) {
    Module module;
    module.file = file;
    module.handle = LoadLibraryA((systemDir + "\\" + file).c_str());
    if (!module.handle) continue;
    module.proc = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(module.handle, "CPlApplet")));
    // A module that is no applet, or that declines CPL_INIT, is let go at once.
    if (!module.proc || module.proc(kControlPanelWindow, CPL_INIT, 0, 0) == 0) {
      FreeLibrary(module.handle);
      continue;
    }
    LONG count = module.proc(kControlPanelWindow, CPL_GETCOUNT, 0, 0);
    for (LONG i = 0; i < count; ++i) {
      Applet applet{file, static_cast<UINT>(i), {}, {}, 0, {}};
      if (inquire(module, applet.index, applet)) {
        module.applets.push_back(applets_.size());
        applets_.push_back(applet);
      }
    }
    modules_.push_back(module);
  }
}

bool ControlPanel::inquire(Module& module, UINT index, Applet& applet) {
  NEWCPLINFOA info{};
  module.proc(kControlPanelWindow, CPL_NEWINQUIRE, static_cast<LPARAM>(index), reinterpret_cast<LPARAM>(&info));
  if (info.dwSize == sizeof(NEWCPLINFOA)) {
    applet.name = text(info.szName, sizeof info.szName);
    applet.info = text(info.szInfo, sizeof info.szInfo);
    applet.data = info.lData;
    applet.icon = info.hIcon;
    return true;
  }
  // An applet that only knows the older inquiry names resources of its module.
  CPLINFO old{CPL_DYNAMIC_RES, CPL_DYNAMIC_RES, CPL_DYNAMIC_RES, 0};
  module.proc(kControlPanelWindow, CPL_INQUIRE, static_cast<LPARAM>(index), reinterpret_cast<LPARAM>(&old));
  if (old.idName == CPL_DYNAMIC_RES) return false;
  char buffer[64] = {};
  LoadStringA(module.handle, static_cast<UINT>(old.idName), buffer, 32);
  applet.name = buffer;
  LoadStringA(module.handle, static_cast<UINT>(old.idInfo), buffer, 64);
  applet.info = buffer;
  applet.data = old.lData;
  applet.icon = LoadIconA(module.handle, MAKEINTRESOURCEA(old.idIcon));
  return true;
}

LONG ControlPanel::open(const Applet& applet) {
  for (auto& module : modules_)
    for (std::size_t i : module.applets)
      if (&applets_[i] == &applet)
        return module.proc(kControlPanelWindow, CPL_DBLCLK, static_cast<LPARAM>(applet.index), applet.data);
  return 0;
}

ControlPanel::~ControlPanel() {
  for (auto& module : modules_) {
    for (std::size_t i : module.applets)
      module.proc(kControlPanelWindow, CPL_STOP, static_cast<LPARAM>(applets_[i].index), applets_[i].data);
    module.proc(kControlPanelWindow, CPL_EXIT, 0, 0);
    FreeLibrary(module.handle);
  }
}

}  // namespace ombrin::control
