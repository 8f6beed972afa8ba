// Where the shell finds a program named by ShellExecute.
#pragma once

#include <filesystem>
#include <string>

#include <win32/windef.h>

namespace ombrin::shell {

struct Found {
  int error = 0;                // 0, or SE_ERR_FNF / SE_ERR_PNF
  std::filesystem::path host;   // the host file to start
};

// A name with a directory is taken as a machine path. A bare name is looked for in the
// program's directory, the machine's SYSTEM and Windows directories, then the machine's PATH;
// without an extension, ".exe" is tried too.
Found findProgram(const std::string& file);

}  // namespace ombrin::shell
