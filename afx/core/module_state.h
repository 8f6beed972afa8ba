// The module's own framework state: one per module or program, because the framework is
// linked statically into each of them.
#pragma once

#include <afxwin.h>

struct AfxModuleState {
  CWinApp* app = nullptr;
  HINSTANCE instance{};
  HINSTANCE resource{};  // where strings, icons, bitmaps and dialogs are taken from
};

AfxModuleState& AfxGetModuleState();
