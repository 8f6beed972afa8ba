// The emulated Windows PC: a directory on the host chosen by OMBRIN_MACHINE.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <win32/windef.h>

namespace ombrin::machine {

enum class WindowsVersion { Win95, Win98, WinMe, Nt351, Nt4, Win2000, WinXp };

struct VersionInfo {
  WindowsVersion version;
  const char* name;  // as the machine tool spells it: "95", "98", "me", "nt351", "nt4", "2000", "xp"
  DWORD platformId;  // VER_PLATFORM_WIN32_WINDOWS or VER_PLATFORM_WIN32_NT
  DWORD major;
  DWORD minor;
  DWORD build;
  const char* windowsDirectory;  // "C:\\WINDOWS" or "C:\\WINNT"
};

// One row per version; the table is the only place these numbers live.
const VersionInfo& versionInfo(WindowsVersion version);
std::optional<WindowsVersion> parseVersion(std::string_view name);
const std::vector<std::string>& knownEditions();

struct Profile {
  WindowsVersion windows = WindowsVersion::Win98;
  std::vector<std::string> editions{"sound"};  // empty: no card installed

  bool isNt() const;
  bool hasEdition(std::string_view edition) const;
  bool hasCard() const { return !editions.empty(); }
};

// Parses machine.ini text; on failure returns nullopt and says why in `error`.
std::optional<Profile> parseProfile(std::string_view text, std::string& error);
std::string formatProfile(const Profile& profile);
// Parses "none" or a comma-separated list of known editions.
bool parseEditionList(std::string_view text, std::vector<std::string>& editions, std::string& error);

class Machine {
 public:
  Machine(std::filesystem::path root, Profile profile);

  const std::filesystem::path& root() const { return root_; }
  const Profile& profile() const { return profile_; }
  const VersionInfo& version() const { return versionInfo(profile_.windows); }

  std::filesystem::path driveC() const { return root_ / "drive_c"; }
  std::filesystem::path runDir() const { return root_ / "run"; }
  std::filesystem::path logDir() const { return root_ / "log"; }
  std::filesystem::path registryFile() const { return root_ / "registry.db"; }
  std::filesystem::path profileFile() const { return root_ / "machine.ini"; }

  // "C:\\WINDOWS" or "C:\\WINNT"; the system directory is SYSTEM on 9x and SYSTEM32 on NT.
  std::string windowsDirectory() const;
  std::string systemDirectory() const;

  // Changes the profile on disk and in this object.
  bool saveProfile(const Profile& profile, std::string& error);

 private:
  std::filesystem::path root_;
  Profile profile_;
};

// The machine of this process: $OMBRIN_MACHINE, else the per-user default, which is created
// as a Windows 98 machine with the card on first use. A machine that cannot be opened is fatal:
// one message naming the path on stderr, exit code 1.
Machine& current();

// Forgets the cached machine and every per-process table that belongs to it, so the next call
// opens $OMBRIN_MACHINE afresh. Tests call it between machines.
void resetCurrent();

// Registers a hook run by resetCurrent (handle tables, registry connection, device drivers...).
void onReset(void (*hook)());

std::filesystem::path defaultMachineRoot();
std::filesystem::path selectedMachineRoot();  // $OMBRIN_MACHINE or the default

// Opens an existing machine; nullopt with a message naming the path when it is missing,
// unreadable or its profile is corrupt.
std::optional<Machine> open(const std::filesystem::path& root, std::string& error);

// Creates (or with force, recreates) a machine: profile, the directories and files a fresh
// Windows of that version has, and then the provisioning hooks (registry contents) and the
// installed card's traces. Provisioning runs only when `root` is the selected machine
// ($OMBRIN_MACHINE or the default), because it goes through the machine's own Win32 API.
std::optional<Machine> create(const std::filesystem::path& root, const Profile& profile, bool force,
                              std::string& error);

// Things that lay down machine contents at creation (the registry's base keys, the card's
// installation traces) register here; they run in registration order after the directories exist.
using Provisioner = bool (*)(const Machine& machine, std::string& error);
void addProvisioner(const char* name, Provisioner provisioner);

}  // namespace ombrin::machine
