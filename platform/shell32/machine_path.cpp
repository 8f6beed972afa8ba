// The machine's PATH. NT keeps it in the registry's session environment; the 9x family sets it
// in AUTOEXEC.BAT, which on a fresh machine leaves Windows' own default.
#include <ombrin/machine.h>
#include <ombrin/shell.h>
#include <win32/winreg.h>

namespace ombrin::shell {
namespace {

constexpr const char* kEnvironmentKey = "System\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::string registryPath() {
  HKEY key{};
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  char buffer[2048] = {};
  DWORD size = sizeof buffer - 1;
  DWORD type = 0;
  LONG status = RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
  return buffer;
}

// Only the two variables a machine path is written with are expanded.
std::string expand(std::string text, const machine::Machine& m) {
  const std::pair<std::string, std::string> variables[] = {{"%SystemRoot%", m.windowsDirectory()},
                                                           {"%windir%", m.windowsDirectory()}};
  for (const auto& [name, value] : variables) {
    for (std::size_t at = 0; (at = text.find(name, at)) != std::string::npos; at += value.size())
      text.replace(at, name.size(), value);
  }
  return text;
}

}  // namespace

std::vector<std::string> machinePath() {
  const auto& m = machine::current();
  std::string text = registryPath();
  if (text.empty())
    text = m.profile().isNt() ? m.systemDirectory() + ";" + m.windowsDirectory()
                              : m.windowsDirectory() + ";" + m.windowsDirectory() + "\\COMMAND";
  std::vector<std::string> dirs;
  std::size_t start = 0;
  while (start <= text.size()) {
    auto end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    std::string dir = expand(text.substr(start, end - start), m);
    if (!dir.empty()) dirs.push_back(dir);
    start = end + 1;
  }
  return dirs;
}

}  // namespace ombrin::shell
