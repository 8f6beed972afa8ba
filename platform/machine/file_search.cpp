// Finding program and module files, shared by LoadLibraryA and ShellExecute.
#include <system_error>

#include <ombrin/paths.h>

namespace fs = std::filesystem;

namespace ombrin::paths {
namespace {

bool isRegularFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

}  // namespace

fs::path machineFile(std::string_view winPath) {
  auto resolved = resolve(winPath);
  if (resolved.error != 0 || !resolved.exists || resolved.linkOutside || !isRegularFile(resolved.host)) return {};
  return resolved.host;
}

fs::path hostFileNoCase(const fs::path& dir, std::string_view name) {
  if (dir.empty() || name.empty()) return {};
  if (isRegularFile(dir / name)) return dir / name;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (equalsNoCase(it->path().filename().string(), name) && isRegularFile(it->path())) return it->path();
  }
  return {};
}

fs::path programDirectory() {
  std::error_code ec;
  auto exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path{} : exe.parent_path();
}

}  // namespace ombrin::paths
