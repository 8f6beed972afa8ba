// The combined sound-and-modem card: sound function VEN_1FA3&DEV_0003 (SUBSYS_00031FA3) and
// modem function VEN_1FA3&DEV_5503 (SUBSYS_55031FA3).
#pragma once

#include "trace.h"

namespace ombrin::card::traces {

#define OMBRIN_SOUND_ID "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02\\BUS_00&DEV_0C&FUNC_00"
#define OMBRIN_MODEM_ID "PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3&REV_02\\BUS_00&DEV_0C&FUNC_01"
#define OMBRIN_CLASS "System\\CurrentControlSet\\Services\\Class\\"
#define OMBRIN_MEDIA "System\\CurrentControlSet\\Control\\MediaResources\\"
#define OMBRIN_PHANTOM "Software\\Microsoft\\Windows\\CurrentVersion\\cfgmgr32\\Phantom\\"
#define OMBRIN_UNINSTALL "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR"

inline constexpr RegTrace kCombinedRegistry[] = {
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0C&FUNC_00", "HardwareID", REG_SZ,
     "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02,PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3,PCI\\VEN_1FA3&DEV_0003"},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0C&FUNC_00", "Class", REG_SZ, "MEDIA"},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_5503\\BUS_00&DEV_0C&FUNC_01", "HardwareID", REG_SZ,
     "PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3&REV_02,PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3,PCI\\VEN_1FA3&DEV_5503"},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_5503\\BUS_00&DEV_0C&FUNC_01", "Class", REG_SZ, "Modem"},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02", nullptr, 0, nullptr},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02\\BUS_00&DEV_0C&FUNC_00",
     "HardwareID", REG_SZ,
     "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02,PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3,PCI\\VEN_1FA3&DEV_0003"},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3&REV_02", nullptr, 0, nullptr},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3&REV_02\\BUS_00&DEV_0C&FUNC_01",
     "HardwareID", REG_SZ,
     "PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3&REV_02,PCI\\VEN_1FA3&DEV_5503&SUBSYS_55031FA3,PCI\\VEN_1FA3&DEV_5503"},
    // The multifunction parent's children; the child sections are shared with other cards.
    {Layout::Any, Owns::Key, "Enum\\MF\\CHILD0000\\PCI&VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02&BUS_00&DEV_0C&FUNC_00",
     "HardwareID", REG_SZ, "MF\\CHILD0000,MF\\VEN_1FA3&DEV_0003_DEV0"},
    {Layout::Any, Owns::Key, "Enum\\MF\\CHILD0000\\PCI&VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02&BUS_00&DEV_0C&FUNC_00",
     "Mfg", REG_SZ, "Dravel"},
    {Layout::Any, Owns::Key, "Enum\\MF\\CHILD0001\\PCI&VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02&BUS_00&DEV_0C&FUNC_00",
     "HardwareID", REG_SZ, "MF\\CHILD0001,MF\\VEN_1FA3&DEV_0003_DEV1"},
    {Layout::Any, Owns::Key, "Enum\\MF\\CHILD0001\\PCI&VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02&BUS_00&DEV_0C&FUNC_00",
     "Mfg", REG_SZ, "Dravel"},
    {Layout::Any, Owns::Key, "Enum\\VIRTUAL\\VEN_1FA3&DEV_0003_SYNTH", nullptr, 0, nullptr},
    {Layout::Any, Owns::Key, "Enum\\VIRTUAL\\VEN_1FA3&DEV_0003_SYNTH\\0000", "DeviceDesc", REG_SZ,
     "Ombrin wavetable synthesizer"},
    // A modem wave section goes whole, its second instance included.
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\QV10MDMWAVE", nullptr, 0, nullptr},
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\QV10MDMWAVE\\0000", "Mfg", REG_SZ, "Dravel"},
    {Layout::Any, Owns::Key, "Enum\\MODEMWAVE\\QV10MDMWAVE\\0001", "Mfg", REG_SZ, "(Standard modem wave)"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Modem\\0003", "Driver Desc", REG_SZ, "Dravel SndLink10 Modem"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Modem\\0003", "Manufacturer", REG_SZ, "Dravel"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Multifunction\\0000", "MatchingDeviceId", REG_SZ,
     "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_02"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0000", "MatchingDeviceId", REG_SZ, "MF\\VEN_1FA3&DEV_0003_DEV0"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0000", "DriverDesc", REG_SZ, "Ombrin SndLink10 Audio"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0001", "MatchingDeviceId", REG_SZ, "VIRTUAL\\OMBRIN_SYNTH"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0001", "DriverDesc", REG_SZ, "Wavetable synthesizer"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0002", "MatchingDeviceId", REG_SZ, "VIRTUAL\\QVMIDI"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "MEDIA\\0002", "DriverDesc", REG_SZ, "Ombrin MIDI mapper"},
    {Layout::Any, Owns::Key, OMBRIN_CLASS "Ports\\0000", "MatchingDeviceId", REG_SZ, "MF\\VEN_1FA3&DEV_0003_DEV1"},
    {Layout::Any, Owns::Key, "Software\\Dravel\\Ombrin\\QV5510", "Edition", REG_SZ, "SndLink10"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\KMP4MODM", "ImagePath", REG_SZ,
     "C:\\WINDOWS\\SYSTEM\\qv10link.vxd"},
    {Layout::Any, Owns::Key, OMBRIN_PHANTOM "0000", "HardWareKey", REG_SZ, OMBRIN_SOUND_ID},
    {Layout::Any, Owns::Key, OMBRIN_PHANTOM "0001", "HardWareKey", REG_SZ, OMBRIN_MODEM_ID},
    {Layout::Any, Owns::Value, "System\\CurrentControlSet\\Control\\ASD\\Prob\\Devices", OMBRIN_SOUND_ID, REG_BINARY,
     "\x03\x01"},
    {Layout::Any, Owns::Value, "System\\CurrentControlSet\\Control\\ASD\\Prob\\Devices", OMBRIN_MODEM_ID, REG_BINARY,
     "\x03\x02"},
    {Layout::Any, Owns::Key, OMBRIN_MEDIA "aux\\qv10snd.vxd<0000>", "DeviceID", REG_SZ, OMBRIN_SOUND_ID},
    {Layout::Any, Owns::Key, OMBRIN_MEDIA "joystick\\qv10snd.vxd<0000>", "DeviceID", REG_SZ, OMBRIN_SOUND_ID},
    {Layout::Any, Owns::Key, OMBRIN_MEDIA "midi\\qv10snd.vxd<0000>", "DeviceID", REG_SZ, OMBRIN_SOUND_ID},
    {Layout::Any, Owns::Key, OMBRIN_MEDIA "mixer\\qv10snd.vxd<0000>", "DeviceID", REG_SZ, OMBRIN_SOUND_ID},
    {Layout::Any, Owns::Key, OMBRIN_MEDIA "wave\\qv10snd.vxd<0000>", "DeviceID", REG_SZ, OMBRIN_SOUND_ID},
    {Layout::Any, Owns::Key, "Software\\TELLICOR\\TM34DFV", "Country", REG_DWORD, "1"},
    {Layout::Any, Owns::Key, "Software\\TELLICOR\\UDIAG", "LastRun", REG_SZ, "never"},
    {Layout::Any, Owns::Key, OMBRIN_UNINSTALL, "DisplayName", REG_SZ, "Ombrin SndLink10"},
    {Layout::Any, Owns::Key, OMBRIN_UNINSTALL, "UninstallString", REG_SZ,
     "C:\\WINDOWS\\unombrin.exe qv10setp sndlink10"},
    {Layout::Any, Owns::Key, OMBRIN_UNINSTALL, "WarningString", REG_SZ,
     "This removes the Ombrin SndLink10 software from your computer.\nContinue?"},
    {Layout::Any, Owns::Key, OMBRIN_UNINSTALL, "WarningTitle", REG_SZ, "Ombrin SndLink10 Uninstall"},
};

inline constexpr FileTrace kCombinedFiles[] = {
    {"qv10link.exe", FILE_ATTRIBUTE_NORMAL, "MZ qv10link"},
    {"QV10LINK.INI", FILE_ATTRIBUTE_READONLY, "[SndLink]\r\nModem=1\r\n"},
    {"INF\\qv10link.inf", FILE_ATTRIBUTE_NORMAL, "[Version]\r\nClass=MEDIA\r\n"},
    {"INF\\drvdata.bin", FILE_ATTRIBUTE_HIDDEN, "DRVDATA"},
    {"INF\\drvidx.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "DRVIDX"},
    {"SYSTEM\\qv10link.vxd", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN, "MZ qv10link"},
    {"SYSTEM\\qv10lnk.dll", FILE_ATTRIBUTE_READONLY, "MZ qv10lnk"},
    {"SYSTEM\\qvm42loc.dll", FILE_ATTRIBUTE_NORMAL, "MZ qvm42loc"},
    {"SYSTEM\\telvcd.vxd", FILE_ATTRIBUTE_SYSTEM, "MZ telvcd"},
    {"INF\\OTHER\\DravelSndLink10.inf", FILE_ATTRIBUTE_NORMAL, "[Version]\r\nProvider=%Mfg%\r\n"},
};

#undef OMBRIN_UNINSTALL
#undef OMBRIN_PHANTOM
#undef OMBRIN_MEDIA
#undef OMBRIN_CLASS
#undef OMBRIN_MODEM_ID
#undef OMBRIN_SOUND_ID

inline constexpr Traces kCombined{kCombinedRegistry, kCombinedFiles, kTelvcdLines};

}  // namespace ombrin::card::traces
