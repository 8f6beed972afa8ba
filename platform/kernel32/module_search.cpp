#include <system_error>

#include <ombrin/machine.h>
#include <ombrin/paths.h>

#include "module_internal.h"

namespace fs = std::filesystem;

namespace ombrin::modules {
namespace {

bool isRegularFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// The program's directory is a host directory; names match there without case too.
std::optional<fs::path> findInHostDirectory(const fs::path& dir, const std::string& name) {
  if (isRegularFile(dir / name)) return dir / name;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (paths::equalsNoCase(entry.path().filename().string(), name) && isRegularFile(entry.path()))
      return entry.path();
  }
  return std::nullopt;
}

std::optional<fs::path> findInMachine(const std::string& winPath) {
  auto resolved = paths::resolve(winPath);
  if (resolved.error != 0 || !resolved.exists || resolved.linkOutside || !isRegularFile(resolved.host))
    return std::nullopt;
  return resolved.host;
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
  if (hasDirectory(name)) return findInMachine(name);
  if (auto found = findInHostDirectory(programFile().parent_path(), name)) return found;
  const auto& m = machine::current();
  std::vector<std::string> directories{m.systemDirectory()};
  if (m.profile().isNt()) directories.push_back(m.windowsDirectory() + "\\SYSTEM");
  directories.push_back(m.windowsDirectory());
  for (const auto& dir : directories) {
    if (auto found = findInMachine(dir + "\\" + name)) return found;
  }
  return std::nullopt;
}

}  // namespace ombrin::modules
