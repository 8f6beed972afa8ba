// Collects the engine's log lines: the callback is a plain function, so the lines go to a list
// that each test clears through the fixture.
#pragma once

#include <string>
#include <vector>

#include "uninstaller.h"

namespace unombrin::testing {

inline std::vector<std::string>& CapturedLines() {
  static std::vector<std::string> lines;
  return lines;
}

inline int CaptureLine(const char* text) {
  CapturedLines().emplace_back(text);
  return static_cast<int>(CapturedLines().size());
}

// An engine whose log lines land in CapturedLines(), emptied when it is made.
class LoggingUninstaller : public Uninstaller {
 public:
  LoggingUninstaller() {
    CapturedLines().clear();
    SetLogCallback(CaptureLine);
  }
  const char* WindowsDir() const { return windowsDir; }
};

}  // namespace unombrin::testing
