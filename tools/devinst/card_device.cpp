#include "card_device.h"

#include <cstdio>
#include <cstring>

#include <ombrin/machine.h>
#include <win32/winreg.h>

namespace ombrin::devinst {
namespace {

// Where each family keeps devices, drivers and class co-installers.
struct Layout {
  const char* enumRoot;
  const char* classRoot;  // driver keys are "<classRoot>\<class>\NNNN"
  bool classByGuid;       // NT names class keys by GUID, the 9x family by class name
  const char* instanceName;
};

const Layout& layout() {
  static constexpr Layout kWin9x{"Enum\\PCI", "System\\CurrentControlSet\\Services\\Class", false,
                                 "BUS_00&DEV_0A&FUNC_00"};
  static constexpr Layout kNt{"System\\CurrentControlSet\\Enum\\PCI", "System\\CurrentControlSet\\Control\\Class",
                              true, "3&267a616a&0&50"};
  return machine::current().profile().isNt() ? kNt : kWin9x;
}

constexpr const char* kClassCoInstallersKey = "System\\CurrentControlSet\\Control\\CoDeviceInstallers";

class Key {
 public:
  Key(const std::string& path, bool create) {
    status_ = create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                     : RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key_);
  }
  ~Key() {
    if (ok()) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  bool ok() const { return status_ == ERROR_SUCCESS; }

  std::optional<std::string> text(const char* name, DWORD* typeOut = nullptr) const {
    if (!ok()) return std::nullopt;
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 2;
    DWORD type = 0;
    if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
      return std::nullopt;
    if (typeOut) *typeOut = type;
    return std::string(buffer, size);
  }
  bool has(const char* name) const { return text(name).has_value(); }

  bool set(const char* name, DWORD type, const std::string& bytes) {
    return ok() && RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                  static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
  }
  bool setText(const char* name, const std::string& value) { return set(name, REG_SZ, value + '\0'); }

 private:
  HKEY key_{};
  LONG status_ = ERROR_FILE_NOT_FOUND;
};

std::vector<std::string> multiString(const std::string& bytes) {
  std::vector<std::string> items;
  std::size_t start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    if (end > start) items.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

std::string multiStringBytes(const std::vector<std::string>& items) {
  std::string bytes;
  for (const auto& item : items) bytes += item + '\0';
  return bytes + '\0';
}

// "PCI\VEN_...": the enumerator key is named after the id without its bus prefix.
std::string deviceKeyName(const std::string& hardwareId) {
  auto slash = hardwareId.find('\\');
  return slash == std::string::npos ? hardwareId : hardwareId.substr(slash + 1);
}

}  // namespace

std::optional<Device> findDevice(const std::string& hardwareId) {
  const Layout& l = layout();
  std::string deviceKey = std::string(l.enumRoot) + "\\" + deviceKeyName(hardwareId);
  // The first instance of the device is the one installed.
  HKEY raw{};
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, deviceKey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return std::nullopt;
  char instance[MAX_PATH] = {};
  LONG status = RegEnumKeyA(raw, 0, instance, sizeof instance);
  RegCloseKey(raw);
  if (status != ERROR_SUCCESS) return std::nullopt;

  Device result;
  result.instanceKey = deviceKey + "\\" + instance;
  Key instanceKey(result.instanceKey, false);
  result.classGuid = instanceKey.text("ClassGUID").value_or("");
  if (auto pos = result.classGuid.find('\0'); pos != std::string::npos) result.classGuid.resize(pos);
  if (auto driver = instanceKey.text("Driver")) {
    std::string name = driver->substr(0, driver->find('\0'));
    if (!name.empty()) result.driverKey = std::string(l.classRoot) + "\\" + name;
  }
  return result;
}

bool registerCard(Device& device, std::string& error) {
  const Layout& l = layout();
  if (auto existing = findDevice(kCardHardwareId)) device = *existing;
  if (device.instanceKey.empty())
    device.instanceKey = std::string(l.enumRoot) + "\\" + deviceKeyName(kCardHardwareId) + "\\" + l.instanceName;
  device.classGuid = kMediaClassGuidText;

  std::string className = l.classByGuid ? kMediaClassGuidText : "MEDIA";
  std::string driverName;
  if (device.driverKey.empty()) {
    // The next free instance number of the class.
    for (int n = 0; n < 10000 && driverName.empty(); ++n) {
      char number[16];
      std::snprintf(number, sizeof number, "%04d", n);
      std::string candidate = className + "\\" + number;
      if (!Key(std::string(l.classRoot) + "\\" + candidate, false).ok()) driverName = candidate;
    }
    device.driverKey = std::string(l.classRoot) + "\\" + driverName;
  } else {
    driverName = device.driverKey.substr(std::strlen(l.classRoot) + 1);
  }

  Key instance(device.instanceKey, true);
  std::vector<std::string> hardwareIds{kCardHardwareId, "PCI\\VEN_1FA3&DEV_0003"};
  bool ok = instance.ok();
  if (machine::current().profile().isNt())
    ok = ok && instance.set("HardwareID", REG_MULTI_SZ, multiStringBytes(hardwareIds));
  else
    ok = ok && instance.setText("HardwareID", hardwareIds[0] + "," + hardwareIds[1]);
  ok = ok && instance.setText("DeviceDesc", kCardDescription) && instance.setText("Mfg", "Dravel") &&
       instance.setText("Class", "MEDIA") && instance.setText("ClassGUID", kMediaClassGuidText) &&
       instance.setText("Driver", driverName);

  Key driver(device.driverKey, true);
  ok = ok && driver.ok() && driver.setText("DriverDesc", kCardDescription) && driver.setText("ProviderName", "Dravel") &&
       driver.setText("MatchingDeviceId", "pci\\ven_1fa3&dev_0003&subsys_00011fa3");
  // The card's co-installer joins whatever else is registered for the device, once.
  std::vector<std::string> coInstallers;
  if (auto existing = driver.text("CoInstallers32")) coInstallers = multiString(*existing);
  bool registered = false;
  for (const auto& entry : coInstallers) registered = registered || entry == kCardCoInstaller;
  if (!registered) coInstallers.emplace_back(kCardCoInstaller);
  ok = ok && driver.set("CoInstallers32", REG_MULTI_SZ, multiStringBytes(coInstallers));
  if (!ok) error = "cannot write the card's device keys (" + device.instanceKey + ", " + device.driverKey + ")";
  return ok;
}

std::vector<std::string> coInstallersOf(const Device& device) {
  std::vector<std::string> entries;
  if (!device.classGuid.empty()) {
    Key classKey(kClassCoInstallersKey, false);
    if (auto value = classKey.text(device.classGuid.c_str())) entries = multiString(*value);
  }
  if (!device.driverKey.empty()) {
    Key driver(device.driverKey, false);
    if (auto value = driver.text("CoInstallers32"))
      for (auto& entry : multiString(*value)) entries.push_back(entry);
  }
  return entries;
}

}  // namespace ombrin::devinst
