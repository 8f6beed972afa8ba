// Prints the command line the machine gives this program.
#include <cstdio>

#include <win32/winbase.h>

int main() {
  std::printf("%s\n", GetCommandLineA());
  return 0;
}
