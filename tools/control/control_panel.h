// The machine's Control Panel: loads every applet module in the SYSTEM directory and speaks
// the applet protocol with it as Windows' Control Panel does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <win32/cpl.h>

namespace ombrin::control {

struct Applet {
  std::string file;  // the module's file name, "qv10cpl.cpl"
  UINT index;        // its number within the module
  std::string name;  // texts in the machine's code page
  std::string info;
  LONG data;
  HICON icon;
};

class ControlPanel {
 public:
  // Loads the modules (CPL_INIT, CPL_GETCOUNT, then CPL_NEWINQUIRE for each applet).
  ControlPanel();
  // Says goodbye (CPL_STOP for each applet, CPL_EXIT) and frees each module.
  ~ControlPanel();
  ControlPanel(const ControlPanel&) = delete;
  ControlPanel& operator=(const ControlPanel&) = delete;

  const std::vector<Applet>& applets() const { return applets_; }
  // Double-clicks an applet: CPL_DBLCLK.
  LONG open(const Applet& applet);

 private:
  struct Module {
    std::string file;
    HMODULE handle{};
    APPLET_PROC proc = nullptr;
    std::vector<std::size_t> applets;  // indexes into applets_
  };
  bool inquire(Module& module, UINT index, Applet& applet);

  std::vector<Module> modules_;
  std::vector<Applet> applets_;
};

}  // namespace ombrin::control
