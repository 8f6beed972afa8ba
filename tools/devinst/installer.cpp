#include "installer.h"

#include <win32/windows.h>

namespace ombrin::devinst {
namespace {

constexpr DI_FUNCTION kInstall[] = {DIF_SELECTBESTCOMPATDRV, DIF_ALLOW_INSTALL,     DIF_INSTALLDEVICEFILES,
                                    DIF_REGISTER_COINSTALLERS, DIF_INSTALLINTERFACES, DIF_INSTALLDEVICE,
                                    DIF_NEWDEVICEWIZARD_FINISHINSTALL, DIF_DESTROYPRIVATEDATA};
constexpr DI_FUNCTION kRemove[] = {DIF_REMOVE, DIF_DESTROYPRIVATEDATA};

struct DifName {
  DI_FUNCTION code;
  const char* name;
};
constexpr DifName kDifNames[] = {
    {DIF_SELECTDEVICE, "DIF_SELECTDEVICE"},
    {DIF_INSTALLDEVICE, "DIF_INSTALLDEVICE"},
    {DIF_ASSIGNRESOURCES, "DIF_ASSIGNRESOURCES"},
    {DIF_PROPERTIES, "DIF_PROPERTIES"},
    {DIF_REMOVE, "DIF_REMOVE"},
    {DIF_FIRSTTIMESETUP, "DIF_FIRSTTIMESETUP"},
    {DIF_FOUNDDEVICE, "DIF_FOUNDDEVICE"},
    {DIF_SELECTCLASSDRIVERS, "DIF_SELECTCLASSDRIVERS"},
    {DIF_VALIDATECLASSDRIVERS, "DIF_VALIDATECLASSDRIVERS"},
    {DIF_INSTALLCLASSDRIVERS, "DIF_INSTALLCLASSDRIVERS"},
    {DIF_CALCDISKSPACE, "DIF_CALCDISKSPACE"},
    {DIF_DESTROYPRIVATEDATA, "DIF_DESTROYPRIVATEDATA"},
    {DIF_VALIDATEDRIVER, "DIF_VALIDATEDRIVER"},
    {DIF_DETECT, "DIF_DETECT"},
    {DIF_INSTALLWIZARD, "DIF_INSTALLWIZARD"},
    {DIF_DESTROYWIZARDDATA, "DIF_DESTROYWIZARDDATA"},
    {DIF_PROPERTYCHANGE, "DIF_PROPERTYCHANGE"},
    {DIF_ENABLECLASS, "DIF_ENABLECLASS"},
    {DIF_DETECTVERIFY, "DIF_DETECTVERIFY"},
    {DIF_INSTALLDEVICEFILES, "DIF_INSTALLDEVICEFILES"},
    {DIF_UNREMOVE, "DIF_UNREMOVE"},
    {DIF_SELECTBESTCOMPATDRV, "DIF_SELECTBESTCOMPATDRV"},
    {DIF_ALLOW_INSTALL, "DIF_ALLOW_INSTALL"},
    {DIF_REGISTERDEVICE, "DIF_REGISTERDEVICE"},
    {DIF_NEWDEVICEWIZARD_PRESELECT, "DIF_NEWDEVICEWIZARD_PRESELECT"},
    {DIF_NEWDEVICEWIZARD_SELECT, "DIF_NEWDEVICEWIZARD_SELECT"},
    {DIF_NEWDEVICEWIZARD_PREANALYZE, "DIF_NEWDEVICEWIZARD_PREANALYZE"},
    {DIF_NEWDEVICEWIZARD_POSTANALYZE, "DIF_NEWDEVICEWIZARD_POSTANALYZE"},
    {DIF_NEWDEVICEWIZARD_FINISHINSTALL, "DIF_NEWDEVICEWIZARD_FINISHINSTALL"},
    {DIF_INSTALLINTERFACES, "DIF_INSTALLINTERFACES"},
    {DIF_DETECTCANCEL, "DIF_DETECTCANCEL"},
    {DIF_REGISTER_COINSTALLERS, "DIF_REGISTER_COINSTALLERS"},
    {DIF_ADDPROPERTYPAGE_ADVANCED, "DIF_ADDPROPERTYPAGE_ADVANCED"},
    {DIF_ADDPROPERTYPAGE_BASIC, "DIF_ADDPROPERTYPAGE_BASIC"},
    {DIF_TROUBLESHOOTER, "DIF_TROUBLESHOOTER"},
    {DIF_POWERMESSAGEWAKE, "DIF_POWERMESSAGEWAKE"},
};

// A co-installer could not be loaded or named an entry point its file lacks.
constexpr DWORD kErrorInvalidCoInstaller = 0xE0000227;

struct CoInstaller {
  std::string entry;
  HMODULE module{};
  COINSTALLER_PROC proc = nullptr;
  COINSTALLER_CONTEXT_DATA context{};
};

// The device information set: a value the installer hands out, standing for its one device.
constexpr HDEVINFO kDeviceInfoSet{0x00DE0001u};

}  // namespace

const std::span<const DI_FUNCTION> kInstallSequence{kInstall};
const std::span<const DI_FUNCTION> kRemoveSequence{kRemove};

const char* difName(DI_FUNCTION code) {
  for (const auto& entry : kDifNames)
    if (entry.code == code) return entry.name;
  return "DIF_UNKNOWN";
}

bool runSequence(const Device& device, std::span<const DI_FUNCTION> sequence, std::FILE* out) {
  std::vector<CoInstaller> coInstallers;
  bool loaded = true;
  for (const auto& entry : coInstallersOf(device)) {
    CoInstaller c;
    c.entry = entry;
    auto comma = entry.find(',');
    std::string file = entry.substr(0, comma);
    std::string function = comma == std::string::npos ? "CoDeviceInstall" : entry.substr(comma + 1);
    c.module = LoadLibraryA(file.c_str());
    if (c.module) c.proc = reinterpret_cast<COINSTALLER_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(c.module, function.c_str())));
    if (!c.proc) {
      std::fprintf(out, "load\t%s\t0x%08X\n", entry.c_str(), kErrorInvalidCoInstaller);
      loaded = false;
    }
    coInstallers.push_back(c);
  }

  SP_DEVINFO_DATA data{sizeof(SP_DEVINFO_DATA), kMediaClassGuid, 1, 0};
  bool ok = loaded;
  for (std::size_t step = 0; ok && step < sequence.size(); ++step) {
    DI_FUNCTION code = sequence[step];
    std::vector<CoInstaller*> postProcess;
    DWORD result = NO_ERROR;
    for (auto& c : coInstallers) {
      c.context = COINSTALLER_CONTEXT_DATA{FALSE, NO_ERROR, nullptr};
      result = c.proc(code, kDeviceInfoSet, &data, &c.context);
      std::fprintf(out, "%s\t%s\t0x%08X\n", difName(code), c.entry.c_str(), result);
      if (result == ERROR_DI_POSTPROCESSING_REQUIRED) {
        postProcess.push_back(&c);
        result = NO_ERROR;
      } else if (result != NO_ERROR) {
        break;
      }
    }
    if (result == NO_ERROR) {
      // The default handling of every step succeeds on this machine.
      std::fprintf(out, "%s\tdefault\t0x%08X\n", difName(code), static_cast<DWORD>(NO_ERROR));
    }
    // Those that asked hear the outcome, last asked first.
    for (auto it = postProcess.rbegin(); it != postProcess.rend(); ++it) {
      (*it)->context.PostProcessing = TRUE;
      (*it)->context.InstallResult = result;
      result = (*it)->proc(code, kDeviceInfoSet, &data, &(*it)->context);
      std::fprintf(out, "%s\t%s (post)\t0x%08X\n", difName(code), (*it)->entry.c_str(), result);
    }
    ok = result == NO_ERROR;
  }
  for (auto& c : coInstallers)
    if (c.module) FreeLibrary(c.module);
  return ok;
}

}  // namespace ombrin::devinst
