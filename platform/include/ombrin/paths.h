// Windows paths inside the machine: C:\... maps below drive_c/, matched without case,
// and nothing ever leaves the machine's directory.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <win32/windef.h>

namespace ombrin::paths {

struct Resolved {
  DWORD error = 0;                  // 0, or the Win32 error a bad path gets
  std::filesystem::path host;       // the host path; existing components in their stored case
  bool exists = false;              // the whole path names an existing entry
  bool parentExists = false;        // every component but the last exists (as a directory)
  bool linkOutside = false;         // the last component is a symbolic link leading out of the machine:
                                    // it may be deleted as a link, never opened or changed through
};

// Resolves a Windows path (absolute "C:\\x", "\\x" on drive C, or relative to C:\\).
// `..` that would climb above C:\\, other drives, host paths, over-long names and symbolic
// links that point outside the machine give ERROR_PATH_NOT_FOUND / ERROR_FILENAME_EXCED_RANGE /
// ERROR_INVALID_NAME as Windows would report them.
Resolved resolve(std::string_view winPath);

// The Windows path of a host path under drive_c ("C:\\WINDOWS\\SYSTEM.INI"), or empty.
std::string toWindows(const std::filesystem::path& host);

// Where the loader and the shell look for a program or module file:
// an existing regular file at a machine path (never through a link leading out), or empty;
std::filesystem::path machineFile(std::string_view winPath);
// the entry of a host directory whose name equals `name` without case, if a regular file, or empty;
std::filesystem::path hostFileNoCase(const std::filesystem::path& dir, std::string_view name);
// the host directory of the running program.
std::filesystem::path programDirectory();

// Case-insensitive comparison in the machine's code page (ASCII letters and Windows-1252 accents).
bool equalsNoCase(std::string_view a, std::string_view b);
int compareNoCase(std::string_view a, std::string_view b);
char toUpper1252(char c);
char toLower1252(char c);

}  // namespace ombrin::paths
