// Entries of other software that stand beside the card's and must survive every uninstall:
// other vendors' devices, look-alikes that differ only in case or spacing, a "DriverDesc"
// where the recipes look for "Driver Desc", folders whose names match the file patterns.
#pragma once

#include "trace.h"

namespace ombrin::card::traces {

#define OMBRIN_CLASS "System\\CurrentControlSet\\Services\\Class\\"
#define OMBRIN_MEDIA "System\\CurrentControlSet\\Control\\MediaResources\\"
#define OMBRIN_OTHER_ID "PCI\\VEN_1A2B&DEV_4010&SUBSYS_40101A2B&REV_03\\BUS_00&DEV_0E&FUNC_00"

inline constexpr RegTrace kNeighbourRegistry[] = {
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1A2B&DEV_4010\\BUS_00&DEV_0E&FUNC_00", "HardwareID", REG_SZ,
     "PCI\\VEN_1A2B&DEV_4010&SUBSYS_40101A2B&REV_03,PCI\\VEN_1A2B&DEV_4010"},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1A2B&DEV_4010&SUBSYS_40101A2B&REV_03\\BUS_00&DEV_0E&FUNC_00",
     "HardwareID", REG_SZ, "PCI\\VEN_1A2B&DEV_4010&SUBSYS_40101A2B&REV_03,PCI\\VEN_1A2B&DEV_4010"},
    {Layout::Any, Owns::Key, "Enum\\PCI\\ven_1fa3&dev_0003&subsys_00991fa3&rev_01\\BUS_00&DEV_09&FUNC_00", "HardwareID",
     REG_SZ, "pci\\ven_1fa3&dev_0003&subsys_00991fa3"},
    {Layout::Any, Owns::Key, "Enum\\VIRTUAL\\VEN_1A2B&DEV_4010_SYNTH\\0000", "DeviceDesc", REG_SZ, "Other synth"},
    {Layout::Any, Owns::Key, "Enum\\MF\\CHILD0000\\PCI&VEN_1A2B&DEV_4010&BUS_00&DEV_0E&FUNC_00", "HardwareID", REG_SZ,
     "MF\\CHILD0000,MF\\VEN_1A2B&DEV_4010_DEV0"},
    {Layout::Any, Owns::Key, "Enum\\MF\\CHILD0000\\PCI&VEN_1A2B&DEV_4010&BUS_00&DEV_0E&FUNC_00", "Mfg", REG_SZ,
     "dravel-compatible"},
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\STDWAVE\\0000", "Mfg", REG_SZ, "tellicor-compatible"},
    {Layout::Any, Owns::Key, "Enum\\ISAPNP\\ABC0101\\0", "FriendlyName", REG_SZ, "tm77 compatible modem"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Modem\\0010", "DriverDesc", REG_SZ, "Dravel-compatible modem"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Modem\\0010", "Manufacturer", REG_SZ, "(Standard Modem Types)"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Multifunction\\0010", "MatchingDeviceId", REG_SZ, "PCI\\VEN_1A2B&DEV_4010"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0010", "MatchingDeviceId", REG_SZ, "PCI\\VEN_1A2B&DEV_4010"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0010", "DriverDesc", REG_SZ, "OMBRIN COMPATIBLE WAVE"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Ports\\0010", "MatchingDeviceId", REG_SZ, "*PNP0501"},
    {Layout::Any, Owns::Key, "Software\\Dravel\\PhotoDesk", "Version", REG_SZ, "2.0"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\VxD\\UNIMODEM", "StaticVxD", REG_SZ, "unimodem.vxd"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\OTHERSVC", "ImagePath", REG_SZ, "other.sys"},
    {Layout::Any, Owns::Value, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Scheduler", REG_SZ,
     "C:\\WINDOWS\\sched.exe"},
    {Layout::Any, Owns::Value, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "TonelinkHelper", REG_SZ,
     "C:\\Program Files\\Other\\helper.exe"},
    {Layout::Any, Owns::Key, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PhotoDesk", "DisplayName",
     REG_SZ, "PhotoDesk"},
    {Layout::Any, Owns::Key, "Software\\Microsoft\\Windows\\CurrentVersion\\cfgmgr32\\Phantom\\0010", "HardWareKey",
     REG_SZ, OMBRIN_OTHER_ID},
    {Layout::Any, Owns::Value, "System\\CurrentControlSet\\Control\\ASD\\Prob\\Devices", OMBRIN_OTHER_ID, REG_BINARY,
     "\x05\x01"},
    {Layout::Any, Owns::Key, OMBRIN_MEDIA "wave\\other.drv<0000>", "DeviceID", REG_SZ, OMBRIN_OTHER_ID},
    {Layout::Any, Owns::Key, OMBRIN_MEDIA "midi\\other.drv<0000>", "DeviceID", REG_SZ, OMBRIN_OTHER_ID},
};

inline constexpr FileTrace kNeighbourFiles[] = {
    {"qv1readme.txt", FILE_ATTRIBUTE_NORMAL, "not ours"},
    {"QV10DOCS", FILE_ATTRIBUTE_NORMAL, nullptr},
    {"SYSTEM\\QV10CACHE", FILE_ATTRIBUTE_NORMAL, nullptr},
    {"SYSTEM\\QV10CACHE\\qv10old.dll", FILE_ATTRIBUTE_NORMAL, "inside a folder"},
    {"SYSTEM\\tca32.cpl", FILE_ATTRIBUTE_NORMAL, "MZ other"},
    {"INF\\modem.inf", FILE_ATTRIBUTE_NORMAL, "[Version]\r\nClass=Modem\r\n"},
    {"INF\\OTHER\\BrandXModem.inf", FILE_ATTRIBUTE_READONLY, "[Version]\r\n"},
};

inline constexpr const char* kNeighbourIniLines[] = {"DEVICE=TELVCD.VXD\r\n", "device = telvcd.vxd\r\n"};

#undef OMBRIN_OTHER_ID
#undef OMBRIN_MEDIA
#undef OMBRIN_CLASS

inline constexpr Traces kNeighbours{kNeighbourRegistry, kNeighbourFiles, kNeighbourIniLines};

}  // namespace ombrin::card::traces
