// path: the host path of a path inside the machine.
#include <cstdio>

#include <ombrin/paths.h>
#include <win32/winerror.h>

#include "commands.h"

namespace ombrin::tool {
namespace {

std::string why(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND: return "no such path in the machine (ERROR_PATH_NOT_FOUND)";
    case ERROR_FILENAME_EXCED_RANGE: return "the name is too long (ERROR_FILENAME_EXCED_RANGE)";
    case ERROR_INVALID_NAME: return "not a valid Windows name (ERROR_INVALID_NAME)";
    default: return "error " + std::to_string(error);
  }
}

int runPath(const std::vector<std::string>& args) {
  if (args.size() != 1) return usageError(pathCommand, "expected one Windows path");
  if (!openSelectedMachine()) return 1;
  auto resolved = paths::resolve(args[0]);
  if (resolved.error != 0) return fail(1, args[0] + ": " + why(resolved.error));
  if (resolved.linkOutside) return fail(1, args[0] + ": a link that leads out of the machine");
  std::printf("%s\n", resolved.host.c_str());
  return 0;
}

}  // namespace

const Command pathCommand{"path", "path WINPATH",
                          "print the host path of a machine path such as C:\\WINDOWS\\system.ini "
                          "(the last part need not exist yet)",
                          runPath};

}  // namespace ombrin::tool
