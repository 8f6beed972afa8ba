#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>

#include <unistd.h>

#include <ombrin/devices.h>
#include <ombrin/machine.h>

namespace fs = std::filesystem;

namespace ombrin::machine {
namespace {

struct State {
  std::mutex mutex;
  std::unique_ptr<Machine> current;
  std::vector<void (*)()> resetHooks;
  std::vector<std::pair<const char*, Provisioner>> provisioners;
};

State& state() {
  static State s;
  return s;
}

bool writeFile(const fs::path& path, std::string_view text, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    error = "cannot write " + path.string();
    return false;
  }
  return true;
}

// What a fresh Windows keeps in system.ini, with CRLF line ends as Windows writes them.
std::string systemIni(const Profile& profile) {
  if (profile.isNt())
    return "; for 16-bit app support\r\n[386Enh]\r\nwoafont=dosapp.fon\r\nEGA80WOA.FON=EGA80WOA.FON\r\n"
           "EGA40WOA.FON=EGA40WOA.FON\r\nCGA80WOA.FON=CGA80WOA.FON\r\nCGA40WOA.FON=CGA40WOA.FON\r\n\r\n"
           "[drivers]\r\nwave=mmdrv.dll\r\ntimer=timer.drv\r\n\r\n[mci]\r\n";
  return "[boot]\r\noemfonts.fon=vgaoem.fon\r\nshell=Explorer.exe\r\nsystem.drv=system.drv\r\n"
         "drivers=mmsystem.dll power.drv\r\nmouse.drv=mouse.drv\r\nkeyboard.drv=keyboard.drv\r\n\r\n"
         "[boot.description]\r\nkeyboard.typ=Standard 101/102-Key or Microsoft Natural Keyboard\r\n"
         "mouse.drv=Standard mouse\r\n\r\n"
         "[386Enh]\r\nebios=*ebios\r\nwoafont=dosapp.fon\r\nmouse=*vmouse, msmouse.vxd\r\n"
         "device=*dynapage\r\ndevice=*vcd\r\ndevice=*vpd\r\ndevice=*int13\r\nkeyboard=*vkd\r\n"
         "display=*vdd,*vflatd\r\n\r\n[NonWindowsApp]\r\nTTInitialSizes=4 5 6 7 8 9 10 11 12 13 14 15 16\r\n\r\n"
         "[power.drv]\r\n\r\n[drivers]\r\nwave=mmsystem.dll\r\nmidi=mmsystem.dll\r\n\r\n[iccvid.drv]\r\n\r\n"
         "[mciseq.drv]\r\n\r\n[vcache]\r\n\r\n[MCI]\r\n";
}

std::string winIni() {
  return "; for 16-bit app support\r\n[fonts]\r\n[extensions]\r\n[mci extensions]\r\n[files]\r\n"
         "[Mail]\r\nMAPI=1\r\n[windows]\r\nload=\r\nrun=\r\n";
}

// A host directory for a Windows path below C:\ (the machine is new, so case is ours to choose).
fs::path hostOf(const fs::path& driveC, std::string_view winPath) {
  fs::path host = driveC;
  std::string_view rest = winPath.substr(3);  // after "C:\"
  while (!rest.empty()) {
    auto slash = rest.find('\\');
    host /= std::string(rest.substr(0, slash));
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return host;
}

bool layDown(const Machine& m, std::string& error) {
  std::error_code ec;
  auto windows = hostOf(m.driveC(), m.windowsDirectory());
  std::vector<fs::path> dirs{m.runDir(),          m.logDir(),           windows / "SYSTEM", windows / "INF",
                             windows / "INF" / "OTHER", windows / "TEMP", windows / "COMMAND",
                             m.driveC() / "Program Files"};
  if (m.profile().isNt()) {
    dirs.push_back(windows / "SYSTEM32");
    dirs.push_back(windows / "SYSTEM32" / "DRIVERS");
  }
  for (const auto& dir : dirs) {
    fs::create_directories(dir, ec);
    if (ec) {
      error = "cannot create " + dir.string() + ": " + ec.message();
      return false;
    }
  }
  return writeFile(windows / "system.ini", systemIni(m.profile()), error) &&
         writeFile(windows / "win.ini", winIni(), error) &&
         writeFile(m.logDir() / "events.log", "", error);
}

}  // namespace

Machine::Machine(fs::path root, Profile profile) : root_(std::move(root)), profile_(std::move(profile)) {}

std::string Machine::windowsDirectory() const { return version().windowsDirectory; }

std::string Machine::systemDirectory() const {
  return windowsDirectory() + (profile_.isNt() ? "\\SYSTEM32" : "\\SYSTEM");
}

bool Machine::saveProfile(const Profile& profile, std::string& error) {
  auto temp = profileFile();
  temp += ".new";
  if (!writeFile(temp, formatProfile(profile), error)) return false;
  std::error_code ec;
  fs::rename(temp, profileFile(), ec);
  if (ec) {
    error = "cannot replace " + profileFile().string() + ": " + ec.message();
    return false;
  }
  profile_ = profile;
  return true;
}

fs::path defaultMachineRoot() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "ombrin" / "machine";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".local" / "share" / "ombrin" / "machine";
}

fs::path selectedMachineRoot() {
  if (const char* chosen = std::getenv("OMBRIN_MACHINE"); chosen && *chosen) return fs::absolute(chosen);
  return defaultMachineRoot();
}

std::optional<Machine> open(const fs::path& root, std::string& error) {
  std::error_code ec;
  if (!fs::is_directory(root, ec)) {
    error = "machine directory " + root.string() + " does not exist (create it with: ombrin-machine init)";
    return std::nullopt;
  }
  if (::access(root.c_str(), R_OK | W_OK | X_OK) != 0) {
    error = "machine directory " + root.string() + " is not readable and writable";
    return std::nullopt;
  }
  std::ifstream in(root / "machine.ini", std::ios::binary);
  if (!in) {
    error = "machine directory " + root.string() + " has no readable machine.ini (recreate it with: "
            "ombrin-machine init --force)";
    return std::nullopt;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::string why;
  auto profile = parseProfile(text.str(), why);
  if (!profile) {
    error = (root / "machine.ini").string() + " is corrupt: " + why;
    return std::nullopt;
  }
  return Machine(root, *profile);
}

std::optional<Machine> create(const fs::path& root, const Profile& profile, bool force, std::string& error) {
  std::error_code ec;
  if (fs::exists(root / "machine.ini", ec)) {
    if (!force) {
      error = "a machine already exists at " + root.string() + " (use --force to recreate it)";
      return std::nullopt;
    }
    for (const char* entry : {"drive_c", "run", "log", "registry.db", "registry.db-wal", "registry.db-shm", "registry.db-gen",
                              "machine.ini"})
      fs::remove_all(root / entry, ec);
  }
  fs::create_directories(root, ec);
  if (ec) {
    error = "cannot create machine directory " + root.string() + ": " + ec.message();
    return std::nullopt;
  }
  Machine m(fs::absolute(root), profile);
  if (!layDown(m, error)) return std::nullopt;
  if (!m.saveProfile(profile, error)) return std::nullopt;
  // Provisioning goes through the Win32 API of this very machine, so it must be the current one.
  if (fs::absolute(root) != fs::absolute(selectedMachineRoot())) return m;
  std::vector<std::pair<const char*, Provisioner>> provisioners;
  {
    std::lock_guard lock(state().mutex);
    provisioners = state().provisioners;
  }
  bool ok = true;
  for (const auto& [name, provision] : provisioners) {
    if (!provision(m, error)) {
      error = std::string(name) + ": " + error;
      ok = false;
      break;
    }
  }
  if (ok && profile.hasCard() && !devices::provisionInstalledCard(m, error)) ok = false;
  if (!ok) {
    // A machine whose provisioning failed half-way is not a machine.
    fs::remove(m.profileFile(), ec);
    return std::nullopt;
  }
  return m;
}

Machine& current() {
  auto& s = state();
  std::lock_guard lock(s.mutex);
  if (s.current) return *s.current;
  bool chosen = std::getenv("OMBRIN_MACHINE") && *std::getenv("OMBRIN_MACHINE");
  auto root = selectedMachineRoot();
  std::string error;
  std::optional<Machine> m;
  std::error_code ec;
  if (!chosen && !fs::exists(root / "machine.ini", ec)) {
    s.mutex.unlock();  // create() takes the lock to read the provisioners
    m = create(root, Profile{}, false, error);
    s.mutex.lock();
    if (s.current) return *s.current;
  } else {
    m = open(root, error);
  }
  if (!m) {
    std::fprintf(stderr, "ombrin: %s\n", error.c_str());
    std::exit(1);
  }
  s.current = std::make_unique<Machine>(std::move(*m));
  return *s.current;
}

void resetCurrent() {
  std::vector<void (*)()> hooks;
  {
    std::lock_guard lock(state().mutex);
    hooks = state().resetHooks;
  }
  for (auto hook : hooks) hook();
  std::lock_guard lock(state().mutex);
  state().current.reset();
}

void onReset(void (*hook)()) {
  std::lock_guard lock(state().mutex);
  for (auto existing : state().resetHooks)
    if (existing == hook) return;
  state().resetHooks.push_back(hook);
}

void addProvisioner(const char* name, Provisioner provisioner) {
  std::lock_guard lock(state().mutex);
  for (const auto& [existing, p] : state().provisioners)
    if (p == provisioner) return;
  state().provisioners.emplace_back(name, provisioner);
}

}  // namespace ombrin::machine
