#include "coinstaller.h"

#include <ombrin/resources.h>

extern "C" OMBRIN_EXPORT DWORD CALLBACK QvCoDeviceInstall(DI_FUNCTION, HDEVINFO, PSP_DEVINFO_DATA,
                                                          PCOINSTALLER_CONTEXT_DATA) {
  // Every installation step goes on with the device installer's default handling.
  return NO_ERROR;
}

extern "C" OMBRIN_EXPORT BOOL WINAPI DllMain(HINSTANCE, DWORD fdwReason, LPVOID) {
  if (fdwReason == DLL_PROCESS_ATTACH) LaunchSetupProgram();
  return TRUE;
}
