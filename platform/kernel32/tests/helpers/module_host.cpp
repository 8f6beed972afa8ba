// Loads a module by the name given and prints the file it came from, or "error N".
// With "exit" after the name it ends through ExitProcess(5) with the module still loaded.
#include <cstdio>
#include <cstring>

#include <win32/winbase.h>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HMODULE module = LoadLibraryA(argv[1]);
  if (!module) {
    std::printf("error %u\n", GetLastError());
    return 0;
  }
  char path[MAX_PATH];
  GetModuleFileNameA(module, path, sizeof path);
  std::printf("%s\n", path);
  std::fflush(stdout);
  if (argc == 3 && std::strcmp(argv[2], "exit") == 0) ExitProcess(5);
  FreeLibrary(module);
  return 0;
}
