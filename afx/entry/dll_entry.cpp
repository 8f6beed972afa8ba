// The entry point of a module built on the framework: the framework owns it and hands the
// module's load and unload to its application object.
#include <afxwin.h>
#include <ombrin/resources.h>

extern "C" OMBRIN_EXPORT BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID) {
  switch (fdwReason) {
    case DLL_PROCESS_ATTACH: return AfxDllAttach(hinstDLL);
    case DLL_PROCESS_DETACH: AfxDllDetach(); return TRUE;
    default: return TRUE;
  }
}
