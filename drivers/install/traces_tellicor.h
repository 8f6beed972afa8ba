// The modem vendor's own modems: a Plug and Play ISA card and a PCI card (VEN_1C6B).
#pragma once

#include "trace.h"

namespace ombrin::card::traces {

inline constexpr RegTrace kTellicorIsaRegistry[] = {
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\TM77WAVE", nullptr, 0, nullptr},
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\TM77WAVE\\0000", "Mfg", REG_SZ, "Tellicor"},
    {Layout::Any, Owns::Key, "Enum\\ISAPNP\\TLC7701", nullptr, 0, nullptr},
    {Layout::Any, Owns::Key, "Enum\\ISAPNP\\TLC7701\\13A5F2E1", "FriendlyName", REG_SZ, "Tellicor TM77 Voice Modem"},
    {Layout::Any, Owns::Key, "Enum\\ISAPNP\\TLC7701\\13A5F2E1", "Class", REG_SZ, "Modem"},
    // The card's second logical device has no "TM77" of its own; it goes with its section.
    {Layout::Any, Owns::Key, "Enum\\ISAPNP\\TLC7701\\13A5F2E2", "FriendlyName", REG_SZ, "Tellicor Wave Device"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\Class\\Modem\\0004", "Manufacturer", REG_SZ,
     "Tellicor"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\Class\\MEDIA\\0004", "MatchingDeviceId", REG_SZ,
     "ISAPNP\\TLC7701_TM77WAVE"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\TM34DFV", "ImagePath", REG_SZ,
     "C:\\WINDOWS\\INF\\telvcd.vxd"},
};

inline constexpr RegTrace kTellicorPciRegistry[] = {
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\TM77PCIWAVE", nullptr, 0, nullptr},
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\TM77PCIWAVE\\0000", "Mfg", REG_SZ, "Tellicor"},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1C6B&DEV_0077", nullptr, 0, nullptr},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1C6B&DEV_0077\\BUS_00&DEV_0F&FUNC_00", "HardwareID", REG_SZ,
     "PCI\\VEN_1C6B&DEV_0077&SUBSYS_00771C6B&REV_01,PCI\\VEN_1C6B&DEV_0077"},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1C6B&DEV_0077&SUBSYS_00771C6B&REV_01", nullptr, 0, nullptr},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1C6B&DEV_0077&SUBSYS_00771C6B&REV_01\\BUS_00&DEV_0F&FUNC_00",
     "HardwareID", REG_SZ, "PCI\\VEN_1C6B&DEV_0077&SUBSYS_00771C6B&REV_01,PCI\\VEN_1C6B&DEV_0077"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\Class\\Modem\\0005", "Manufacturer", REG_SZ,
     "Tellicor"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\Class\\MEDIA\\0005", "MatchingDeviceId", REG_SZ,
     "MODEMWAVE\\TM77PCIWAVE"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\TM34DFV", "ImagePath", REG_SZ,
     "C:\\WINDOWS\\INF\\telvcd.vxd"},
};

// This vendor keeps its communications driver in the INF folder.
inline constexpr FileTrace kTellicorFiles[] = {
    {"INF\\drvdata.bin", FILE_ATTRIBUTE_HIDDEN, "DRVDATA"},
    {"INF\\drvidx.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "DRVIDX"},
    {"INF\\telvcd.vxd", FILE_ATTRIBUTE_READONLY, "MZ telvcd"},
};

inline constexpr Traces kTellicorIsa{kTellicorIsaRegistry, kTellicorFiles, kTelvcdLines};
inline constexpr Traces kTellicorPci{kTellicorPciRegistry, kTellicorFiles, kTelvcdLines};

}  // namespace ombrin::card::traces
