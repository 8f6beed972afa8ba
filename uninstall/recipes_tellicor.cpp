// The modem vendor's own products: its Plug and Play ISA modem ("TM77") and its PCI modem
// (VEN_1C6B). Its telvcd.vxd sits in the INF folder, and TM34DFV is a driver service here.
#include "recipes_steps.h"

namespace {

using namespace recipes;

constexpr Step kTellicorIsaModem[] = {
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MODEMWAVE", "Mfg", "Tellicor", true},
    {kAny, Op::RemoveSectionsByValue, "Enum\\ISAPNP", "FriendlyName", "TM77", true},
    {kAny, Op::RemoveKeysByValue, "System\\CurrentControlSet\\Services\\Class\\Modem", "Manufacturer", "Tellicor",
     false},
    {kAny, Op::RemoveKeysByValue, "System\\CurrentControlSet\\Services\\Class\\MEDIA", "MatchingDeviceId", "TM77",
     false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "TM34DFV", nullptr, false},
};

constexpr Step kTellicorPciModem[] = {
    {kAny, Op::RemoveFiles, kInf, "drvdata.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "drvidx.bin", nullptr, false},
    {kAny, Op::RemoveFiles, kInf, "telvcd.vxd", nullptr, false},
    {kAny, Op::RemoveTextFromFile, kSystemIni, nullptr, kTelvcdLine, false},
    {kAny, Op::RemoveSectionsByValue, "Enum\\MODEMWAVE", "Mfg", "Tellicor", true},
    {kAny, Op::RemoveKeysByName, "Enum\\PCI", nullptr, "VEN_1C6B", false},
    {kAny, Op::RemoveKeysByValue, "System\\CurrentControlSet\\Services\\Class\\Modem", "Manufacturer", "Tellicor",
     false},
    {kAny, Op::RemoveKeysByValue, "System\\CurrentControlSet\\Services\\Class\\MEDIA", "MatchingDeviceId", "TM77",
     false},
    {kAny, Op::DeleteKey, "System\\CurrentControlSet\\Services", "TM34DFV", nullptr, false},
};

}  // namespace

void Uninstaller::RemoveTellicorIsaModem() { recipes::run(*this, windowsDir, kTellicorIsaModem); }

void Uninstaller::RemoveTellicorPciModem() { recipes::run(*this, windowsDir, kTellicorPciModem); }
