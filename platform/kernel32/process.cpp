#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include <ombrin/trace.h>
#include <win32/winbase.h>

#include "module_internal.h"
#include "sync_internal.h"

namespace {

// One argument as Windows programs write them on a command line: in quotes when it holds
// blanks (or is empty, which would otherwise vanish).
void appendArgument(std::string& line, const std::string& argument) {
  if (!line.empty()) line += ' ';
  bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
  if (quote) line += '"';
  line += argument;
  if (quote) line += '"';
}

std::string buildCommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::stringstream raw;
  raw << in.rdbuf();
  std::string bytes = raw.str();
  std::string line;
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    appendArgument(line, bytes.substr(start, end - start));
    start = end + 1;
  }
  return line;
}

}  // namespace

extern "C" LPSTR WINAPI GetCommandLineA() {
  // Built once: callers keep the pointer, and some edit the line in place.
  static std::string line = buildCommandLine();
  return line.data();
}

extern "C" DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

extern "C" HANDLE WINAPI GetCurrentProcess() { return HANDLE{ombrin::sync::kCurrentProcessPseudoHandle}; }

extern "C" [[noreturn]] void WINAPI ExitProcess(UINT uExitCode) {
  OMBRIN_TRACE("sync", "ExitProcess(%u)", uExitCode);
  ombrin::modules::detachAll(false);  // as Windows tells every module that the process ends
  std::exit(static_cast<int>(uExitCode));
}
