// What the shell started: programs run as host processes of the machine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <win32/windef.h>

namespace ombrin::shell {

// Splits a Windows command line into arguments with the rules Windows programs parse it by
// (blanks separate, quotes group, backslashes escape only before a quote).
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The machine's PATH: its directories as Windows paths, in order.
std::vector<std::string> machinePath();

// Waits until every program this process started through ShellExecute has ended; returns how
// many it waited for. Tests use it to read what a started program left behind.
int waitForStartedPrograms();

}  // namespace ombrin::shell
