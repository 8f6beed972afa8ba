// The entry point of a program built on the framework: runs its application object.
#include <afxwin.h>

namespace {

// The command line after the program's own name, as Windows hands it to WinMain.
LPSTR commandTail() {
  LPSTR line = GetCommandLineA();
  if (line == nullptr) return const_cast<LPSTR>("");
  bool quoted = false;
  for (; *line != '\0'; ++line) {
    if (*line == '"') quoted = !quoted;
    else if (!quoted && (*line == ' ' || *line == '\t')) break;
  }
  while (*line == ' ' || *line == '\t') ++line;
  return line;
}

}  // namespace

int main() { return AfxWinMain(GetModuleHandleA(nullptr), HINSTANCE{}, commandTail(), SW_SHOWDEFAULT); }
