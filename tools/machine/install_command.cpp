// install: puts the built modules and the companions into the machine's SYSTEM directory,
// where the product's installation put them, and registers the card's co-installer.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <ombrin/machine.h>
#include <ombrin/paths.h>

#include "../devinst/card_device.h"
#include "commands.h"

namespace fs = std::filesystem;

namespace ombrin::tool {
namespace {

enum class Edition { Any, Localised };

struct InstalledFile {
  const char* name;  // in the build's lib/ and in the machine's SYSTEM directory
  Edition edition;
};

// An English installation carries no localisation library.
constexpr InstalledFile kFiles[] = {
    {"qv10cpl.cpl", Edition::Any},
    {"Qv10CoInstaller.dll", Edition::Any},
    {"qv10cpl.exe", Edition::Any},
    {"qv10setp.exe", Edition::Any},
    {"qv10loc.dll", Edition::Localised},
};

fs::path builtDirectory() {
  std::error_code ec;
  auto exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path{} : exe.parent_path().parent_path() / "lib";
}

int install(const std::vector<std::string>& args) {
  bool localised = false;
  for (const auto& arg : args) {
    if (arg == "--localised" || arg == "--localized") localised = true;
    else return fail(2, "install: unknown argument '" + arg + "' (usage: install [--localised])");
  }
  const auto& m = machine::current();
  auto built = builtDirectory();
  for (const auto& file : kFiles) {
    if ((file.edition == Edition::Any || localised) && !fs::exists(built / file.name))
      return fail(1, "install: " + (built / file.name).string() + " is missing (build it first)");
  }

  std::string systemDir = m.systemDirectory();
  for (const auto& file : kFiles) {
    auto target = paths::resolve(systemDir + "\\" + file.name);
    if (target.error != 0 || !target.parentExists)
      return fail(1, "install: cannot place " + std::string(file.name) + " in " + systemDir);
    std::error_code ec;
    if (file.edition == Edition::Localised && !localised) {
      if (target.exists && !target.linkOutside && fs::remove(target.host, ec))
        std::printf("removed %s\\%s\n", systemDir.c_str(), file.name);
      continue;
    }
    if (target.linkOutside) fs::remove(target.host, ec);
    fs::copy_file(built / file.name, target.host, fs::copy_options::overwrite_existing, ec);
    if (ec) return fail(1, "install: cannot copy " + std::string(file.name) + ": " + ec.message());
    std::printf("installed %s\\%s\n", systemDir.c_str(), file.name);
  }

  devinst::Device device;
  std::string error;
  if (!devinst::registerCard(device, error)) return fail(1, "install: " + error);
  std::printf("registered %s with HKEY_LOCAL_MACHINE\\%s\n", devinst::kCardCoInstaller, device.driverKey.c_str());
  return 0;
}

}  // namespace

const Command installCommand{"install", "install [--localised]",
                             "put the built modules and companions into the machine (the localisation "
                             "library only with --localised) and register the card's co-installer",
                             install};

}  // namespace ombrin::tool
