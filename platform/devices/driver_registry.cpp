// The \\.\ namespace of this process: which driver answers to which device name.
#include <algorithm>
#include <dlfcn.h>
#include <cstdio>
#include <mutex>
#include <vector>

#include <ombrin/devices.h>
#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <ombrin/trace.h>
#include <win32/winbase.h>

#include "device_object.h"

namespace ombrin::devices {

void* loadCardModule(std::string& error);

namespace {

struct Registry {
  std::mutex mutex;
  std::vector<std::pair<std::string, std::shared_ptr<DeviceDriver>>> drivers;
  std::vector<void (*)()> restartHooks;
  bool loadInstalled = true;
  // Held while the card's module registers its drivers, which calls back into registerDriver.
  std::recursive_mutex loadMutex;
  bool installedLoaded = false;
};

void forgetDrivers();

Registry& registry() {
  static Registry r;
  static const bool hooked = [] {
    machine::onReset(forgetDrivers);
    return true;
  }();
  (void)hooked;
  return r;
}

// A new machine starts with no drivers and loads its installed ones again.
void forgetDrivers() {
  auto& r = registry();
  std::vector<std::pair<std::string, std::shared_ptr<DeviceDriver>>> old;
  std::lock_guard load(r.loadMutex);
  {
    std::lock_guard lock(r.mutex);
    old.swap(r.drivers);
    r.loadInstalled = true;
  }
  r.installedLoaded = false;
}

std::string_view withoutPrefix(std::string_view name) {
  if (name.size() >= 4 && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/') &&
      name[2] == '.' && (name[3] == '\\' || name[3] == '/'))
    name.remove_prefix(4);
  return name;
}

}  // namespace

void registerDriver(std::string_view name, std::shared_ptr<DeviceDriver> driver) {
  auto& r = registry();
  name = withoutPrefix(name);
  std::lock_guard lock(r.mutex);
  for (auto& [existing, d] : r.drivers) {
    if (paths::equalsNoCase(existing, name)) {
      existing = std::string(name);
      d = std::move(driver);
      return;
    }
  }
  r.drivers.emplace_back(std::string(name), std::move(driver));
}

void unregisterDriver(std::string_view name) {
  auto& r = registry();
  name = withoutPrefix(name);
  std::shared_ptr<DeviceDriver> old;  // released outside the lock
  std::lock_guard lock(r.mutex);
  auto it = std::find_if(r.drivers.begin(), r.drivers.end(),
                         [&](const auto& entry) { return paths::equalsNoCase(entry.first, name); });
  if (it == r.drivers.end()) return;
  old = std::move(it->second);
  r.drivers.erase(it);
}

std::shared_ptr<DeviceDriver> findDriver(std::string_view name) {
  auto& r = registry();
  name = withoutPrefix(name);
  std::lock_guard lock(r.mutex);
  for (const auto& [existing, driver] : r.drivers)
    if (paths::equalsNoCase(existing, name)) return driver;
  return nullptr;
}

std::vector<std::string> deviceNames() {
  auto& r = registry();
  std::vector<std::string> names;
  {
    std::lock_guard lock(r.mutex);
    for (const auto& entry : r.drivers) names.push_back(entry.first);
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return paths::compareNoCase(a, b) < 0; });
  return names;
}

void setLoadInstalledDrivers(bool load) {
  auto& r = registry();
  std::lock_guard lock(r.mutex);
  r.loadInstalled = load;
}

bool loadInstalledDrivers(std::string& error) {
  auto& r = registry();
  {
    std::lock_guard lock(r.mutex);
    if (!r.loadInstalled) return true;
  }
  if (!machine::current().profile().hasCard()) return true;
  std::lock_guard load(r.loadMutex);
  if (r.installedLoaded) return true;
  // Tried once per machine: a module that cannot be used stays unused until the next reset.
  r.installedLoaded = true;
  void* module = loadCardModule(error);
  if (module == nullptr) return false;
  using Register = void (*)();
  auto registerDrivers = reinterpret_cast<Register>(::dlsym(module, "OmbrinCardRegisterDrivers"));
  if (registerDrivers == nullptr) {
    error = "the card's driver module has no OmbrinCardRegisterDrivers";
    return false;
  }
  registerDrivers();
  return true;
}

void restart() {
  std::vector<void (*)()> hooks;
  {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    hooks = r.restartHooks;
  }
  for (auto hook : hooks) hook();
  auto& r = registry();
  std::vector<std::pair<std::string, std::shared_ptr<DeviceDriver>>> old;
  std::lock_guard load(r.loadMutex);
  {
    std::lock_guard lock(r.mutex);
    old.swap(r.drivers);
  }
  r.installedLoaded = false;
}

void onRestart(void (*hook)()) {
  auto& r = registry();
  std::lock_guard lock(r.mutex);
  if (std::find(r.restartHooks.begin(), r.restartHooks.end(), hook) == r.restartHooks.end())
    r.restartHooks.push_back(hook);
}

HANDLE openDevice(std::string_view path, DWORD access, DWORD shareMode, DWORD flags) {
  auto name = withoutPrefix(path);
  std::string error;
  if (!loadInstalledDrivers(error)) std::fprintf(stderr, "ombrin: %s\n", error.c_str());
  auto driver = findDriver(name);
  DWORD lastError = ERROR_FILE_NOT_FOUND;
  std::unique_ptr<DeviceInstance> instance;
  if (driver) {
    lastError = 0;
    instance = driver->open(access, shareMode, flags, lastError);
    if (!instance && lastError == 0) lastError = ERROR_GEN_FAILURE;
  }
  if (!instance) {
    OMBRIN_TRACE("ioctl", "open \\\\.\\%.*s access=0x%x share=0x%x flags=0x%x -> INVALID_HANDLE_VALUE error=%u",
                 static_cast<int>(name.size()), name.data(), access, shareMode, flags, lastError);
    SetLastError(lastError);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = kernelHandles().insert(std::make_shared<DeviceObject>(std::string(name), std::move(instance)));
  OMBRIN_TRACE("ioctl", "open \\\\.\\%.*s access=0x%x share=0x%x flags=0x%x -> %#x", static_cast<int>(name.size()),
               name.data(), access, shareMode, flags, handle.value);
  SetLastError(0);
  return handle;
}

}  // namespace ombrin::devices
