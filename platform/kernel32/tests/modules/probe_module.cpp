// A module for the loader's tests. Its DllMain writes one line per call to the file named by
// OMBRIN_PROBE_LOG: the reason, whether lpvReserved was set, and the module's file name.
// OMBRIN_PROBE_REFUSE makes the attach fail; OMBRIN_PROBE_NESTED makes it load plain.dll
// while attaching and free it while detaching.
#include <cstdio>
#include <cstdlib>

#include <win32/winbase.h>

namespace {
HMODULE nested;

const char* reasonName(DWORD reason) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      return "attach";
    case DLL_PROCESS_DETACH:
      return "detach";
    default:
      return "other";
  }
}
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (const char* log = std::getenv("OMBRIN_PROBE_LOG")) {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(instance, path, sizeof path);
    if (FILE* out = std::fopen(log, "a")) {
      std::fprintf(out, "%s %d %s\n", reasonName(reason), reserved != nullptr, path);
      std::fclose(out);
    }
  }
  if (std::getenv("OMBRIN_PROBE_NESTED")) {
    if (reason == DLL_PROCESS_ATTACH) nested = LoadLibraryA("plain.dll");
    if (reason == DLL_PROCESS_DETACH && nested) FreeLibrary(nested);
  }
  return reason == DLL_PROCESS_ATTACH && std::getenv("OMBRIN_PROBE_REFUSE") ? FALSE : TRUE;
}

extern "C" int probeAnswer() { return 42; }
