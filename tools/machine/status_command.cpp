// status: what the machine holds — its profile, the top of drive C, the registry and the devices.
#include <algorithm>
#include <cstdio>
#include <system_error>

#include <ombrin/devices.h>
#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <win32/windows.h>

#include "commands.h"

namespace fs = std::filesystem;

namespace ombrin::tool {
namespace {

// Entries of a host directory, sorted as Windows lists them (without case).
std::vector<fs::directory_entry> entriesOf(const fs::path& dir) {
  std::vector<fs::directory_entry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) entries.push_back(*it);
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return paths::compareNoCase(a.path().filename().string(), b.path().filename().string()) < 0;
  });
  return entries;
}

// Two levels below C:\ in full; deeper directories are summed up by their number of entries.
void printTree(const fs::path& dir, int depth) {
  for (const auto& entry : entriesOf(dir)) {
    std::error_code ec;
    std::string indent(2 * static_cast<std::size_t>(depth + 1), ' ');
    std::string name = entry.path().filename().string();
    if (entry.is_directory(ec)) {
      if (depth < 1) {
        std::printf("%s%s\\\n", indent.c_str(), name.c_str());
        printTree(entry.path(), depth + 1);
      } else {
        auto n = entriesOf(entry.path()).size();
        std::printf("%s%-*s %zu %s\n", indent.c_str(), 28 - 2 * depth, (name + "\\").c_str(), n,
                    n == 1 ? "entry" : "entries");
      }
    } else {
      auto size = entry.file_size(ec);
      std::printf("%s%-*s %ju bytes\n", indent.c_str(), 28 - 2 * depth, name.c_str(),
                  static_cast<std::uintmax_t>(ec ? 0 : size));
    }
  }
}

// The number of keys below an open key, itself not counted.
unsigned long countKeys(HKEY key, int depth) {
  if (depth > 64) return 0;  // deeper than any registry nests
  unsigned long count = 0;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    ++count;
    HKEY sub;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      count += countKeys(sub, depth + 1);
      RegCloseKey(sub);
    }
  }
  return count;
}

int runStatus(const std::vector<std::string>& args) {
  if (!args.empty()) return usageError(statusCommand, "takes no arguments");
  if (!openSelectedMachine()) return 1;
  const auto& m = machine::current();
  const auto& v = m.version();
  std::printf("machine   %s\n", m.root().c_str());
  std::printf("windows   %s (%s platform %u.%u, build %u)\n", v.name, v.platformId == VER_PLATFORM_WIN32_NT ? "NT" : "9x",
              v.major, v.minor, v.build);
  std::string editions;
  for (const auto& e : m.profile().editions) editions += (editions.empty() ? "" : ",") + e;
  std::printf("card      %s\n", editions.empty() ? "none" : editions.c_str());
  std::printf("registry  HKEY_LOCAL_MACHINE %lu keys, HKEY_USERS %lu keys\n", countKeys(HKEY_LOCAL_MACHINE, 0),
              countKeys(HKEY_USERS, 0));

  std::string error;
  if (!devices::loadInstalledDrivers(error)) std::printf("devices   (the card's drivers failed to load: %s)\n", error.c_str());
  auto names = devices::deviceNames();
  if (names.empty()) std::printf("devices   none\n");
  for (std::size_t i = 0; i < names.size(); ++i) std::printf("%s\\\\.\\%s\n", i == 0 ? "devices   " : "          ", names[i].c_str());

  std::printf("C:\\\n");
  printTree(m.driveC(), 0);
  return 0;
}

}  // namespace

const Command statusCommand{"status", "status",
                            "show what the machine holds (creating the default machine on first use): profile, "
                            "registry, card devices and the top of drive C",
                            runStatus};

}  // namespace ombrin::tool
