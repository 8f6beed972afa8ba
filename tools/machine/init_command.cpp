// init: creates the machine, as a fresh Windows of the chosen version with the chosen card editions.
#include <cstdio>

#include <ombrin/machine.h>

#include "commands.h"

namespace ombrin::tool {
namespace {

std::string editionText(const machine::Profile& profile) {
  if (!profile.hasCard()) return "no card";
  std::string text = "the card (";
  for (std::size_t i = 0; i < profile.editions.size(); ++i) text += (i ? "," : "") + profile.editions[i];
  return text + ")";
}

// "--name value" or "--name=value"; advances i past what it used.
bool optionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& value,
                 bool& missing) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) {
      missing = true;
      return true;
    }
    value = args[++i];
    return true;
  }
  if (arg.rfind(name + "=", 0) == 0) {
    value = arg.substr(name.size() + 1);
    return true;
  }
  return false;
}

int runInit(const std::vector<std::string>& args) {
  machine::Profile profile;
  bool force = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string value;
    bool missing = false;
    if (args[i] == "--force") {
      force = true;
    } else if (optionValue(args, i, "--windows", value, missing)) {
      if (missing) return usageError(initCommand, "--windows needs a version");
      auto version = machine::parseVersion(value);
      if (!version) return usageError(initCommand, "unknown Windows version '" + value + "' (95, 98, me, nt351, nt4, 2000, xp)");
      profile.windows = *version;
    } else if (optionValue(args, i, "--card", value, missing)) {
      if (missing) return usageError(initCommand, "--card needs 'none' or a list of editions");
      std::string error;
      if (!machine::parseEditionList(value, profile.editions, error)) return usageError(initCommand, error);
    } else {
      return usageError(initCommand, "unexpected argument '" + args[i] + "'");
    }
  }
  auto root = machine::selectedMachineRoot();
  // The machine being made becomes this process's machine as soon as its profile exists.
  machine::resetCurrent();
  std::string error;
  auto created = machine::create(root, profile, force, error);
  if (!created) return fail(1, error);
  std::printf("created a Windows %s machine with %s at %s\n", created->version().name,
              editionText(profile).c_str(), created->root().c_str());
  return 0;
}

}  // namespace

const Command initCommand{"init", "init [--windows 95|98|me|nt351|nt4|2000|xp] [--card EDITIONS] [--force]",
                          "create the machine (default: Windows 98 with the sound edition); EDITIONS is 'none' or "
                          "a comma-separated list of sound, combined, modem-new, modem-old, oem, tellicor-isa, "
                          "tellicor-pci; --force recreates an existing machine",
                          runInit};

}  // namespace ombrin::tool
