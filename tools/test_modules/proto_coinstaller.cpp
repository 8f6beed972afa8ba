// proto.dll: a test co-installer that records every call as a `coinstaller` event (function
// code in hex, post-processing flag, result handed in) and asks for post-processing of
// DIF_INSTALLDEVICE.
#include <cstdio>
#include <string>

#include <ombrin/eventlog.h>
#include <win32/setupapi.h>

extern "C" DWORD CALLBACK ProtoCoInstall(DI_FUNCTION code, HDEVINFO, PSP_DEVINFO_DATA data,
                                         PCOINSTALLER_CONTEXT_DATA context) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%02X", code);
  ombrin::eventlog::write("coinstaller", {hex, context->PostProcessing ? "post" : "pre",
                                          std::to_string(context->InstallResult),
                                          data && data->cbSize == sizeof(SP_DEVINFO_DATA) ? "data" : "no data"});
  if (code == DIF_INSTALLDEVICE && !context->PostProcessing) return ERROR_DI_POSTPROCESSING_REQUIRED;
  return context->PostProcessing ? context->InstallResult : NO_ERROR;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
