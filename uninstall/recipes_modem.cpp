// The soft-modem editions: the new board (SUBSYS_00041FA3), the old board (SUBSYS_00031FA3) and
// the edition sold under the "Brindl" name.
#include "recipes_steps.h"

namespace {

using namespace recipes;

constexpr const char* kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\UnInstall";
constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kModemClass = "System\\CurrentControlSet\\Services\\Class\\Modem";

constexpr Step kModemNewBoard[] = {
    {kAny, Op::RemoveFiles, kInf, "qvmodem.inf", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "kmp4_ctl.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "kmp4dfv1.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10corm.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10mod.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tonelink.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tonelink.exe", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10set.exe", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tca.cpl", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tca.hlp", nullptr, false},
    {kAny, Op::RemoveFiles, kInfOther, "dravel*.inf", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services\\VxD", "TELVCD", nullptr, false},
    {kAny, Op::DeleteKey, kUninstall, "TM77OEB", nullptr, false},
    {kAny, Op::DeleteKey, kUninstall, "TM77QVR", nullptr, false},
    {k95, Op::RemoveKeysByValue, "Enum\\PCI\\VEN_1FA3&DEV_0003", "HardwareID", "SUBSYS_00041FA3", false},
    {k95, Op::RemoveKeyIfNoSubkeys, "Enum\\PCI", "VEN_1FA3&DEV_0003", nullptr, false},
    {kNot95, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1FA3&DEV_0003&SUBSYS_00041FA3", false},
    {kAny, Op::RemoveKeysByValue, kModemClass, "Manufacturer", "Dravel", false},
    {kAny, Op::DeleteKey, "Software\\Dravel", "Modem", nullptr, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "KMP4_CTL", nullptr, false},
    {kAny, Op::RemoveValue, kRun, "Tonelink", nullptr, false},
    {kAny, Op::RemoveValue, kRun, "QV10SET.EXE", nullptr, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, "VEN_1FA3&DEV_0003&SUBSYS_00041FA3", false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "TM34DFV", nullptr, false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "UDIAG", nullptr, false},
    {kAny, Op::RemoveKeyIfNoSubkeys, "Software", "TELLICOR", nullptr, false},
};

// The same list with the old board's subsystem in the device steps.
constexpr Step kModemOldBoard[] = {
    {kAny, Op::RemoveFiles, kInf, "qvmodem.inf", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "kmp4_ctl.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "kmp4dfv1.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10corm.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10mod.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tonelink.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tonelink.exe", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10set.exe", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tca.cpl", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tca.hlp", nullptr, false},
    {kAny, Op::RemoveFiles, kInfOther, "dravel*.inf", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services\\VxD", "TELVCD", nullptr, false},
    {kAny, Op::DeleteKey, kUninstall, "TM77OEB", nullptr, false},
    {kAny, Op::DeleteKey, kUninstall, "TM77QVR", nullptr, false},
    {k95, Op::RemoveKeysByValue, "Enum\\PCI\\VEN_1FA3&DEV_0003", "HardwareID", "SUBSYS_00031FA3", false},
    {k95, Op::RemoveKeyIfNoSubkeys, "Enum\\PCI", "VEN_1FA3&DEV_0003", nullptr, false},
    {kNot95, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1FA3&DEV_0003&SUBSYS_00031FA3", false},
    {kAny, Op::RemoveKeysByValue, kModemClass, "Manufacturer", "Dravel", false},
    {kAny, Op::DeleteKey, "Software\\Dravel", "Modem", nullptr, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "KMP4_CTL", nullptr, false},
    {kAny, Op::RemoveValue, kRun, "Tonelink", nullptr, false},
    {kAny, Op::RemoveValue, kRun, "QV10SET.EXE", nullptr, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, "VEN_1FA3&DEV_0003&SUBSYS_00031FA3", false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "TM34DFV", nullptr, false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "UDIAG", nullptr, false},
    {kAny, Op::RemoveKeyIfNoSubkeys, "Software", "TELLICOR", nullptr, false},
};

// The OEM edition differs on purpose: its core driver is qv10core.vxd, it ships no tca.hlp, its
// INF carries the OEM's name, it has only the TM77OEB uninstall entry, it claims every VEN_1FA3
// device on every Windows, its modem class keys name "Brindl", and of the modem vendor's keys it
// owns only TM34DFV.
constexpr Step kOemModemEdition[] = {
    {kAny, Op::RemoveFiles, kInf, "qvmodem.inf", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "kmp4_ctl.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "kmp4dfv1.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10core.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10mod.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tonelink.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tonelink.exe", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10set.exe", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "tca.cpl", nullptr, false},
    {kAny, Op::RemoveFiles, kInfOther, "brindl*.inf", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services\\VxD", "TELVCD", nullptr, false},
    {kAny, Op::DeleteKey, kUninstall, "TM77OEB", nullptr, false},
    {kAny, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1FA3", false},
    {kAny, Op::RemoveKeysByValue, kModemClass, "Manufacturer", "Brindl", false},
    {kAny, Op::DeleteKey, "Software\\Dravel", "Modem", nullptr, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "KMP4_CTL", nullptr, false},
    {kAny, Op::RemoveValue, kRun, "Tonelink", nullptr, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, "VEN_1FA3", false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "TM34DFV", nullptr, false},
};

}  // namespace

void Uninstaller::RemoveModemNewBoard() { recipes::run(*this, windowsDir, kModemNewBoard); }

void Uninstaller::RemoveModemOldBoard() { recipes::run(*this, windowsDir, kModemOldBoard); }

void Uninstaller::RemoveOemModemEdition() { recipes::run(*this, windowsDir, kOemModemEdition); }
