// How the tool's commands fail: one line on stderr and an exit code.
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <ombrin/machine.h>

#include "commands.h"

namespace fs = std::filesystem;

namespace ombrin::tool {

int fail(int exitCode, const std::string& message) {
  std::fprintf(stderr, "ombrin-machine: %s\n", message.c_str());
  return exitCode;
}

int usageError(const Command& command, const std::string& message) {
  std::fprintf(stderr, "ombrin-machine %s: %s\nusage: ombrin-machine %s\n", command.name, message.c_str(),
               command.usage);
  return 2;
}

bool openSelectedMachine() {
  const char* chosen = std::getenv("OMBRIN_MACHINE");
  auto root = machine::selectedMachineRoot();
  std::string error;
  std::error_code ec;
  machine::resetCurrent();
  bool ok;
  // Only the per-user default is made on first use; a machine someone chose must exist.
  if ((chosen == nullptr || *chosen == '\0') && !fs::exists(root / "machine.ini", ec))
    ok = machine::create(root, machine::Profile{}, false, error).has_value();
  else
    ok = machine::open(root, error).has_value();
  if (!ok) {
    fail(1, error);
    return false;
  }
  machine::current();
  return true;
}

}  // namespace ombrin::tool
