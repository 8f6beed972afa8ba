#include "program_search.h"

#include <system_error>
#include <vector>

#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <ombrin/shell.h>
#include <win32/winerror.h>

namespace fs = std::filesystem;

namespace ombrin::shell {
namespace {

bool isFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The program's own directory is on the host; its names are matched without case too.
fs::path inHostDirectory(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (paths::equalsNoCase(it->path().filename().string(), name) && isFile(it->path())) return it->path();
  }
  return {};
}

fs::path inMachineDirectory(const std::string& dir, const std::string& name) {
  auto resolved = paths::resolve(dir + "\\" + name);
  if (resolved.error != 0 || !resolved.exists || resolved.linkOutside || !isFile(resolved.host)) return {};
  return resolved.host;
}

fs::path programDirectory() {
  std::error_code ec;
  auto exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path{} : exe.parent_path();
}

}  // namespace

Found findProgram(const std::string& file) {
  if (file.empty()) return {SE_ERR_FNF, {}};
  if (file.find_first_of("\\/:") != std::string::npos) {
    auto resolved = paths::resolve(file);
    if (resolved.error == 0 && resolved.exists && !resolved.linkOutside && isFile(resolved.host))
      return {0, resolved.host};
    return {resolved.error == 0 && resolved.parentExists ? SE_ERR_FNF : SE_ERR_PNF, {}};
  }
  std::vector<std::string> names{file};
  if (file.find('.') == std::string::npos) names.push_back(file + ".exe");

  const auto& m = machine::current();
  auto hostDir = programDirectory();
  std::vector<std::string> machineDirs{m.systemDirectory(), m.windowsDirectory()};
  for (auto& dir : machinePath()) machineDirs.push_back(dir);

  for (const auto& name : names) {
    if (!hostDir.empty())
      if (auto host = inHostDirectory(hostDir, name); !host.empty()) return {0, host};
    for (const auto& dir : machineDirs)
      if (auto host = inMachineDirectory(dir, name); !host.empty()) return {0, host};
  }
  return {SE_ERR_FNF, {}};
}

}  // namespace ombrin::shell
