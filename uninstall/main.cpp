// unombrin: removes the card's software according to the keywords on its command line.
// It talks to the user through message boxes only and always ends with exit code 0.
#include <cstring>
#include <vector>

#include <win32/windows.h>

#include "main_flow.h"

int main() {
  // The run-time start-up hands the program its arguments without its own name; the flow
  // lower-cases them in place, so it works on a copy of the platform's command line.
  const char* line = GetCommandLineA();
  std::vector<char> commandLine(line, line + (line ? std::strlen(line) : 0));
  commandLine.push_back('\0');
  return unombrin::UninstallerMain(unombrin::SkipProgramName(commandLine.data()));
}
