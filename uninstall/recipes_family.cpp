// Sweeps of every registration of the maker's PCI vendor, whichever card or edition left it;
// the two differ only in the prefix of the driver family's files.
#include "recipes_steps.h"

namespace {

using namespace recipes;

constexpr const char* kVendor = "VEN_1FA3";

#define CLASS(name) "System\\CurrentControlSet\\Services\\Class\\" name
#define MEDIA(kind) "System\\CurrentControlSet\\Control\\MediaResources\\" kind

// "DriverDesc" of the media class step has no blank, unlike the modem class value of the
// combined card.
constexpr Step kKmp4Family[] = {
    {kAny, Op::RemoveFiles, kWindowsDir, "kmp4*.*", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "kmp4*.inf", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "kmp4*.*", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qvm42loc.dll", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kInfOther, "dra*.inf", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MF", "Mfg", "Dravel", false},
    {kAny, Op::RemoveKeysByName, "Enum\\PCI", nullptr, kVendor, false},
    {kAny, Op::RemoveKeysByName, "Enum\\VIRTUAL", nullptr, kVendor, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MODEMWAVE", "Mfg", "Dravel", true},
    {kAny, Op::RemoveKeysByValue, CLASS("Modem"), "Manufacturer", "Dravel", false},
    {kAny, Op::RemoveKeysByValue, CLASS("Multifunction"), "MatchingDeviceId", kVendor, false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "MatchingDeviceId", kVendor, false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "MatchingDeviceId", "OMBRIN", false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "DriverDesc", "Ombrin", false},
    {kAny, Op::RemoveKeysByValue, CLASS("Ports"), "MatchingDeviceId", kVendor, false},
    {kAny, Op::DeleteKey, "Software\\Dravel", "Ombrin", nullptr, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "KMP4MODM", nullptr, false},
    {kAny, Op::RemoveKeysByValue, kPhantom, "HardWareKey", kVendor, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("aux"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("joystick"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("midi"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("mixer"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("wave"), "DeviceID", kVendor, false},
};

// The same list with "qv30" in place of "kmp4" in its first, second and fifth steps.
constexpr Step kQv30Family[] = {
    {kAny, Op::RemoveFiles, kWindowsDir, "qv30*.*", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "qv30*.inf", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qv30*.*", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "qvm42loc.dll", nullptr, false},
    {kAny, Op::RemoveFiles, kSystem, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveFiles, kInfOther, "dra*.inf", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MF", "Mfg", "Dravel", false},
    {kAny, Op::RemoveKeysByName, "Enum\\PCI", nullptr, kVendor, false},
    {kAny, Op::RemoveKeysByName, "Enum\\VIRTUAL", nullptr, kVendor, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MODEMWAVE", "Mfg", "Dravel", true},
    {kAny, Op::RemoveKeysByValue, CLASS("Modem"), "Manufacturer", "Dravel", false},
    {kAny, Op::RemoveKeysByValue, CLASS("Multifunction"), "MatchingDeviceId", kVendor, false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "MatchingDeviceId", kVendor, false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "MatchingDeviceId", "OMBRIN", false},
    {kAny, Op::RemoveKeysByValue, CLASS("MEDIA"), "DriverDesc", "Ombrin", false},
    {kAny, Op::RemoveKeysByValue, CLASS("Ports"), "MatchingDeviceId", kVendor, false},
    {kAny, Op::DeleteKey, "Software\\Dravel", "Ombrin", nullptr, false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "KMP4MODM", nullptr, false},
    {kAny, Op::RemoveKeysByValue, kPhantom, "HardWareKey", kVendor, false},
    {kAny, Op::RemoveValuesByName, kProblems, nullptr, kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("aux"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("joystick"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("midi"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("mixer"), "DeviceID", kVendor, false},
    {kAny, Op::RemoveKeysByValue, MEDIA("wave"), "DeviceID", kVendor, false},
};

#undef CLASS
#undef MEDIA

}  // namespace

void Uninstaller::RemoveKmp4Family() { recipes::run(*this, windowsDir, kKmp4Family); }

void Uninstaller::RemoveQv30Family() { recipes::run(*this, windowsDir, kQv30Family); }
