// The combined sound-and-modem card: sound function VEN_1FA3&DEV_0003 (SUBSYS_00031FA3) and
// modem function VEN_1FA3&DEV_5503 (SUBSYS_55031FA3).
#include "recipes_steps.h"

namespace {

using namespace recipes;

constexpr const char* kSound = "VEN_1FA3&DEV_0003";
constexpr const char* kModem = "VEN_1FA3&DEV_5503";

// Key paths joined at compile time; the modem class keys of this card keep their description
// in "Driver Desc", with the blank.
#define CLASS(name) "System\\CurrentControlSet\\Services\\Class\\" name
#define MEDIA(kind) "System\\CurrentControlSet\\Control\\MediaResources\\" kind

constexpr Step kSetupDevices[] = {
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {k95, Op::RemoveKeysByValue, "Enum\\PCI\\VEN_1FA3&DEV_0003", "HardwareID", "SUBSYS_00031FA3", false},
    {k95, Op::RemoveKeyIfNoSubkeys, "Enum\\PCI", "VEN_1FA3&DEV_0003", nullptr, false},
    {k95, Op::RemoveKeysByValue, "Enum\\PCI\\VEN_1FA3&DEV_5503", "HardwareID", "SUBSYS_55031FA3", false},
    {k95, Op::RemoveKeyIfNoSubkeys, "Enum\\PCI", "VEN_1FA3&DEV_5503", nullptr, false},
    {kNot95, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1FA3&DEV_0003&SUBSYS_00031FA3", false},
    {kNot95, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1FA3&DEV_5503&SUBSYS_55031FA3", false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MF", "HardwareID", kSound, false},
    {kAny, Op::RemoveKeysByName, "Enum\\VIRTUAL", nullptr, kSound, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MODEMWAVE", "Mfg", "Dravel", true},
    {kAny, Op::RemoveKeysByValue, CLASS("Modem"), "Driver Desc", "Dravel", false},
    {kAny, Op::RemoveKeysByValue, CLASS("Multifunction"), "MatchingDeviceId", kSound, false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "MatchingDeviceId", kSound, false},
    {kAny, Op::RemoveKeysByValue, CLASS("Ports"), "MatchingDeviceId", kSound, false},
    {kAny, Op::DeleteKey, "Software\\Dravel\\Ombrin", "QV5510", nullptr, false},
    {kAny, Op::RemoveKeyIfNoSubkeys, "Software\\Dravel", "Ombrin", nullptr, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "KMP4MODM", nullptr, false},
    {kAny, Op::RemoveKeysByValue, kPhantom, "HardWareKey", kSound, false},
    {kAny, Op::RemoveKeysByValue, kPhantom, "HardWareKey", kModem, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, kSound, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, kModem, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("aux"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("joystick"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("midi"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("mixer"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("wave"), "DeviceID", kSound, false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "TM34DFV", nullptr, false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "UDIAG", nullptr, false},
    {kAny, Op::RemoveKeyIfNoSubkeys, "Software", "TELLICOR", nullptr, false},
};

// Files first, then the registry work of the list above, except that only the sound function's
// phantom entries and problem values go.
constexpr Step kCombinedEdition[] = {
    {kAny, Op::RemoveFiles, kWindowsDir, "qv10*.*", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "qv10*.inf", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv10*.*", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qvm42loc.dll", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kInfOther, "dra*.inf", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {k95, Op::RemoveKeysByValue, "Enum\\PCI\\VEN_1FA3&DEV_0003", "HardwareID", "SUBSYS_00031FA3", false},
    {k95, Op::RemoveKeyIfNoSubkeys, "Enum\\PCI", "VEN_1FA3&DEV_0003", nullptr, false},
    {k95, Op::RemoveKeysByValue, "Enum\\PCI\\VEN_1FA3&DEV_5503", "HardwareID", "SUBSYS_55031FA3", false},
    {k95, Op::RemoveKeyIfNoSubkeys, "Enum\\PCI", "VEN_1FA3&DEV_5503", nullptr, false},
    {kNot95, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1FA3&DEV_0003&SUBSYS_00031FA3", false},
    {kNot95, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1FA3&DEV_5503&SUBSYS_55031FA3", false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MF", "HardwareID", kSound, false},
    {kAny, Op::RemoveKeysByName, "Enum\\VIRTUAL", nullptr, kSound, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MODEMWAVE", "Mfg", "Dravel", true},
    {kAny, Op::RemoveKeysByValue, CLASS("Modem"), "Driver Desc", "Dravel", false},
    {kAny, Op::RemoveKeysByValue, CLASS("Multifunction"), "MatchingDeviceId", kSound, false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "MatchingDeviceId", kSound, false},
    {kAny, Op::RemoveKeysByValue, CLASS("Ports"), "MatchingDeviceId", kSound, false},
    {kAny, Op::DeleteKey, "Software\\Dravel\\Ombrin", "QV5510", nullptr, false},
    {kAny, Op::RemoveKeyIfNoSubkeys, "Software\\Dravel", "Ombrin", nullptr, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "KMP4MODM", nullptr, false},
    {kAny, Op::RemoveKeysByValue, kPhantom, "HardWareKey", kSound, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("aux"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("joystick"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("midi"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("mixer"), "DeviceID", kSound, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("wave"), "DeviceID", kSound, false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "TM34DFV", nullptr, false},
    {kAny, Op::DeleteKey, "Software\\TELLICOR", "UDIAG", nullptr, false},
    {kAny, Op::RemoveKeyIfNoSubkeys, "Software", "TELLICOR", nullptr, false},
};

#undef CLASS
#undef MEDIA

}  // namespace

void Uninstaller::RemoveSetupDevices() { recipes::run(*this, windowsDir, kSetupDevices); }

void Uninstaller::RemoveCombinedEdition() { recipes::run(*this, windowsDir, kCombinedEdition); }
