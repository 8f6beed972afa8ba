#include <system_error>

#include <ombrin/machine.h>
#include <ombrin/paths.h>

#include "module_internal.h"

namespace fs = std::filesystem;

namespace ombrin::modules {
namespace {

std::optional<fs::path> found(fs::path host) {
  if (host.empty()) return std::nullopt;
  return host;
}

}  // namespace

std::string withDefaultExtension(std::string_view name) {
  auto slash = name.find_last_of("\\/");
  auto base = slash == std::string_view::npos ? name : name.substr(slash + 1);
  if (!base.empty() && base.back() == '.') return std::string(name.substr(0, name.size() - 1));
  if (base.find('.') != std::string_view::npos) return std::string(name);
  return std::string(name) + ".dll";
}

bool hasDirectory(std::string_view name) {
  return name.find_first_of("\\/") != std::string_view::npos || (name.size() >= 2 && name[1] == ':');
}

fs::path programFile() {
  std::error_code ec;
  auto exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe;
}

std::optional<fs::path> findModuleFile(const std::string& name) {
  if (hasDirectory(name)) return found(paths::machineFile(name));
  if (auto host = found(paths::hostFileNoCase(paths::programDirectory(), name))) return host;
  const auto& m = machine::current();
  std::vector<std::string> directories{m.systemDirectory()};
  if (m.profile().isNt()) directories.push_back(m.windowsDirectory() + "\\SYSTEM");
  directories.push_back(m.windowsDirectory());
  for (const auto& dir : directories) {
    if (auto host = found(paths::machineFile(dir + "\\" + name))) return host;
  }
  return std::nullopt;
}

}  // namespace ombrin::modules
