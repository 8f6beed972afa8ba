// Starting a machine program as a host process.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ombrin::shell {

// Starts the host file with the arguments, in the machine's environment (OMBRIN_MACHINE names
// this machine) and the given host working directory (empty: this process's). Does not wait.
// Returns 0 or the errno that kept it from starting.
int spawnProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::filesystem::path& workingDirectory);

}  // namespace ombrin::shell
