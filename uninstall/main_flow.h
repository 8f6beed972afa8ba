// The uninstaller's run: keywords, confirmation, the removal sequence, restart and closing.
#pragma once

#include "uninstaller.h"

namespace unombrin {

// What the command line selects; all false at start.
struct Selection {
  bool now = false;
  bool all = false;
  bool sndlink10 = false;
  bool qv10setp = false;
  bool silent = false;
  bool oldBoard = false;
};

// The product's uninstall key, and the size of the buffers its two texts are read into.
inline constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR";
inline constexpr unsigned kWarningTextSize = 1040;

// The arguments of a full command line: skips the program name (a quoted name up to its closing
// quote, otherwise up to the first character of code 0x20 or below) and the blanks after it.
char* SkipProgramName(char* commandLine);

// Lower-cases A to Z in place, then looks for each keyword as a plain substring.
Selection ParseCommandLine(char* arguments);

// Runs the removal sequence of a selection on the engine.
void RunRemovalSequence(Uninstaller& engine, const Selection& selection);

// The whole run with a given engine; returns the exit code, always 0.
int RunMainFlow(Uninstaller& engine, char* arguments);

// Creates the engine, runs the main flow and destroys the engine; always 0.
int UninstallerMain(char* arguments);

}  // namespace unombrin
