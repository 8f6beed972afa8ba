// windows: shows or changes the Windows version the machine reports.
#include <cstdio>
#include <system_error>

#include <ombrin/machine.h>
#include <ombrin/paths.h>

#include "commands.h"

namespace fs = std::filesystem;

namespace ombrin::tool {
namespace {

std::string describe(const machine::VersionInfo& v) {
  char text[128];
  std::snprintf(text, sizeof text, "%s (%s platform %u.%u, build %u, %s)", v.name,
                v.platformId == 2 ? "NT" : "9x", v.major, v.minor, v.build, v.windowsDirectory);
  return text;
}

// A machine switched to another version gets the directories that version keeps its files in,
// so programs asking for the Windows or system directory find one.
bool addDirectoriesOf(const machine::Machine& m, std::string& error) {
  for (const std::string& dir : {m.windowsDirectory(), m.systemDirectory(), m.windowsDirectory() + "\\INF",
                                 m.windowsDirectory() + "\\INF\\OTHER"}) {
    fs::path host = m.driveC();
    std::string rest = dir.substr(3);
    for (std::size_t start = 0; start <= rest.size();) {
      auto slash = rest.find('\\', start);
      std::string part = rest.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      // Keep whatever case an existing directory has.
      fs::path found = host / part;
      std::error_code ec;
      for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        auto name = it->path().filename().string();
        if (paths::equalsNoCase(name, part)) found = it->path();
      }
      host = found;
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    std::error_code ec;
    fs::create_directories(host, ec);
    if (ec) {
      error = "cannot create " + host.string() + ": " + ec.message();
      return false;
    }
  }
  return true;
}

int runWindows(const std::vector<std::string>& args) {
  if (args.size() > 1) return usageError(windowsCommand, "expected at most one version");
  std::optional<machine::WindowsVersion> wanted;
  if (args.size() == 1) {
    wanted = machine::parseVersion(args[0]);
    if (!wanted) return usageError(windowsCommand, "unknown Windows version '" + args[0] + "' (95, 98, me, nt351, nt4, 2000, xp)");
  }
  if (!openSelectedMachine()) return 1;
  auto& m = machine::current();
  if (!wanted) {
    std::printf("%s\n", describe(m.version()).c_str());
    return 0;
  }
  auto profile = m.profile();
  std::string before = m.version().name;
  profile.windows = *wanted;
  std::string error;
  if (!m.saveProfile(profile, error) || !addDirectoriesOf(m, error)) return fail(1, error);
  std::printf("windows %s -> %s\n", before.c_str(), describe(m.version()).c_str());
  return 0;
}

}  // namespace

const Command windowsCommand{"windows", "windows [95|98|me|nt351|nt4|2000|xp]",
                             "show the Windows version the machine reports, or change it", runWindows};

}  // namespace ombrin::tool
