#include <algorithm>
#include <array>

#include <ombrin/machine.h>
#include <win32/winnt.h>

namespace ombrin::machine {
namespace {

using enum WindowsVersion;

// What GetVersionExA reports for each version, and where that version keeps Windows.
constexpr std::array<VersionInfo, 7> kVersions{{
    {Win95, "95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, "C:\\WINDOWS"},
    {Win98, "98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998, "C:\\WINDOWS"},
    {WinMe, "me", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, "C:\\WINDOWS"},
    {Nt351, "nt351", VER_PLATFORM_WIN32_NT, 3, 51, 1057, "C:\\WINNT"},
    {Nt4, "nt4", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "C:\\WINNT"},
    {Win2000, "2000", VER_PLATFORM_WIN32_NT, 5, 0, 2195, "C:\\WINNT"},
    {WinXp, "xp", VER_PLATFORM_WIN32_NT, 5, 1, 2600, "C:\\WINDOWS"},
}};

}  // namespace

const VersionInfo& versionInfo(WindowsVersion version) {
  return *std::find_if(kVersions.begin(), kVersions.end(),
                       [&](const VersionInfo& info) { return info.version == version; });
}

std::optional<WindowsVersion> parseVersion(std::string_view name) {
  for (const auto& info : kVersions)
    if (name == info.name) return info.version;
  return std::nullopt;
}

const std::vector<std::string>& knownEditions() {
  static const std::vector<std::string> editions{"sound",    "combined",     "modem-new",   "modem-old",
                                                 "oem",      "tellicor-isa", "tellicor-pci"};
  return editions;
}

bool Profile::isNt() const { return versionInfo(windows).platformId == VER_PLATFORM_WIN32_NT; }

bool Profile::hasEdition(std::string_view edition) const {
  return std::find(editions.begin(), editions.end(), edition) != editions.end();
}

}  // namespace ombrin::machine
