// Loads a module by the name given and prints the file it came from, or "error N".
#include <cstdio>

#include <win32/winbase.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HMODULE module = LoadLibraryA(argv[1]);
  if (!module) {
    std::printf("error %u\n", GetLastError());
    return 0;
  }
  char path[MAX_PATH];
  GetModuleFileNameA(module, path, sizeof path);
  std::printf("%s\n", path);
  FreeLibrary(module);
  return 0;
}
