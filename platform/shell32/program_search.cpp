#include "program_search.h"

#include <system_error>
#include <vector>

#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <ombrin/shell.h>
#include <win32/winerror.h>

namespace fs = std::filesystem;

namespace ombrin::shell {

Found findProgram(const std::string& file) {
  if (file.empty()) return {SE_ERR_FNF, {}};
  if (file.find_first_of("\\/:") != std::string::npos) {
    if (auto host = paths::machineFile(file); !host.empty()) return {0, host};
    auto resolved = paths::resolve(file);
    return {resolved.error == 0 && resolved.parentExists ? SE_ERR_FNF : SE_ERR_PNF, {}};
  }
  std::vector<std::string> names{file};
  if (file.find('.') == std::string::npos) names.push_back(file + ".exe");

  const auto& m = machine::current();
  auto hostDir = paths::programDirectory();
  std::vector<std::string> machineDirs{m.systemDirectory(), m.windowsDirectory()};
  for (auto& dir : machinePath()) machineDirs.push_back(dir);

  for (const auto& name : names) {
    if (auto host = paths::hostFileNoCase(hostDir, name); !host.empty()) return {0, host};
    for (const auto& dir : machineDirs)
      if (auto host = paths::machineFile(dir + "\\" + name); !host.empty()) return {0, host};
  }
  return {SE_ERR_FNF, {}};
}

}  // namespace ombrin::shell
