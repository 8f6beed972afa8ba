// The soft-modem boards (new: SUBSYS_00041FA3, old: SUBSYS_00031FA3) and the OEM edition.
#pragma once

#include "trace.h"

namespace ombrin::card::traces {

#define OMBRIN_RUN "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
#define OMBRIN_UNINSTALL "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
#define OMBRIN_PROB "System\\CurrentControlSet\\Control\\ASD\\Prob\\Devices"
#define OMBRIN_MODEM_CLASS "System\\CurrentControlSet\\Services\\Class\\Modem\\"
#define OMBRIN_HW(sub, rev) \
  "PCI\\VEN_1FA3&DEV_0003&SUBSYS_" sub "&REV_" rev ",PCI\\VEN_1FA3&DEV_0003&SUBSYS_" sub ",PCI\\VEN_1FA3&DEV_0003"

// Rows both boards leave, apart from their device entries.
#define OMBRIN_BOARD_COMMON(classKey, sub)                                                                             \
  {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\VxD\\TELVCD", "StaticVxD", REG_SZ, "telvcd.vxd"},     \
      {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\VxD\\TELVCD", "Start", REG_DWORD, "0"},           \
      {Layout::Any, Owns::Key, OMBRIN_UNINSTALL "TM77QVR", "DisplayName", REG_SZ, "Ombrin QV10 Modem"},                \
      {Layout::Any, Owns::Key, OMBRIN_UNINSTALL "TM77QVR", "UninstallString", REG_SZ, "C:\\WINDOWS\\unombrin.exe"},    \
      {Layout::Any, Owns::Key, OMBRIN_UNINSTALL "TM77QVR", "WarningString", REG_SZ,                                    \
       "This removes the Ombrin modem software from your computer.\nContinue?"},                                       \
      {Layout::Any, Owns::Key, OMBRIN_UNINSTALL "TM77QVR", "WarningTitle", REG_SZ, "Ombrin Modem Uninstall"},          \
      {Layout::Any, Owns::Key, OMBRIN_MODEM_CLASS classKey, "Manufacturer", REG_SZ, "Dravel"},                         \
      {Layout::Any, Owns::Key, OMBRIN_MODEM_CLASS classKey, "DriverDesc", REG_SZ, "Dravel QV10 Data Fax Voice Modem"}, \
      {Layout::Any,        Owns::Key, OMBRIN_MODEM_CLASS classKey,                                                     \
       "MatchingDeviceId", REG_SZ,    "PCI\\VEN_1FA3&DEV_0003&SUBSYS_" sub},                                           \
      {Layout::Any, Owns::Key, "Software\\Dravel\\Modem", "Version", REG_SZ, "4.12"},                                  \
      {Layout::Any, Owns::Key, "Software\\Dravel\\Modem\\Settings", "CountryCode", REG_DWORD, "1"},                    \
      {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\KMP4_CTL",                                        \
       "ImagePath", REG_SZ,    "C:\\WINDOWS\\SYSTEM\\kmp4_ctl.vxd"},                                                   \
      {Layout::Any, Owns::Value, OMBRIN_RUN, "Tonelink", REG_SZ, "C:\\WINDOWS\\SYSTEM\\tonelink.exe"},                 \
      {Layout::Any, Owns::Value, OMBRIN_RUN, "QV10SET.EXE", REG_SZ, "C:\\WINDOWS\\SYSTEM\\qv10set.exe"},               \
      {Layout::Any, Owns::Key, "Software\\TELLICOR\\TM34DFV", "Country", REG_DWORD, "1"}, {                            \
    Layout::Any, Owns::Key, "Software\\TELLICOR\\UDIAG", "LastRun", REG_SZ, "never"                                    \
  }

inline constexpr RegTrace kModemNewRegistry[] = {
    OMBRIN_BOARD_COMMON("0000", "00041FA3"),
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0A&FUNC_00", "HardwareID", REG_SZ,
     OMBRIN_HW("00041FA3", "01")},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0A&FUNC_00", "Class", REG_SZ, "Modem"},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01", nullptr, 0, nullptr},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01\\BUS_00&DEV_0A&FUNC_00",
     "HardwareID", REG_SZ, OMBRIN_HW("00041FA3", "01")},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01\\BUS_00&DEV_0A&FUNC_00", "Class",
     REG_SZ, "Modem"},
    {Layout::Any, Owns::Value, OMBRIN_PROB, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00041FA3&REV_01\\BUS_00&DEV_0A&FUNC_00",
     REG_BINARY, "\x01\x02"},
};

inline constexpr RegTrace kModemOldRegistry[] = {
    OMBRIN_BOARD_COMMON("0001", "00031FA3"),
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0B&FUNC_00", "HardwareID", REG_SZ,
     OMBRIN_HW("00031FA3", "01")},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0B&FUNC_00", "Class", REG_SZ, "Modem"},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_01", nullptr, 0, nullptr},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_01\\BUS_00&DEV_0B&FUNC_00",
     "HardwareID", REG_SZ, OMBRIN_HW("00031FA3", "01")},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_01\\BUS_00&DEV_0B&FUNC_00", "Class",
     REG_SZ, "Modem"},
    {Layout::Any, Owns::Value, OMBRIN_PROB, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00031FA3&REV_01\\BUS_00&DEV_0B&FUNC_00",
     REG_BINARY, "\x01\x02"},
};

// The OEM board carries its own subsystem vendor.
inline constexpr RegTrace kOemRegistry[] = {
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\VxD\\TELVCD", "StaticVxD", REG_SZ, "telvcd.vxd"},
    {Layout::Any, Owns::Key, OMBRIN_UNINSTALL "TM77OEB", "DisplayName", REG_SZ, "Brindl Data Fax Modem"},
    {Layout::Any, Owns::Key, OMBRIN_UNINSTALL "TM77OEB", "UninstallString", REG_SZ, "C:\\WINDOWS\\unombrin.exe all"},
    {Layout::Win95, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003\\BUS_00&DEV_0D&FUNC_00", "HardwareID", REG_SZ,
     OMBRIN_HW("02101D4C", "01")},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_02101D4C&REV_01", nullptr, 0, nullptr},
    {Layout::Win98, Owns::Key, "Enum\\PCI\\VEN_1FA3&DEV_0003&SUBSYS_02101D4C&REV_01\\BUS_00&DEV_0D&FUNC_00",
     "HardwareID", REG_SZ, OMBRIN_HW("02101D4C", "01")},
    {Layout::Any, Owns::Key, OMBRIN_MODEM_CLASS "0002", "Manufacturer", REG_SZ, "Brindl"},
    {Layout::Any, Owns::Key, OMBRIN_MODEM_CLASS "0002", "DriverDesc", REG_SZ, "Brindl 56K PCI Modem"},
    {Layout::Any, Owns::Key, "Software\\Dravel\\Modem", "Version", REG_SZ, "4.10-OEM"},
    {Layout::Any, Owns::Key, "System\\CurrentControlSet\\Services\\KMP4_CTL", "ImagePath", REG_SZ,
     "C:\\WINDOWS\\SYSTEM\\kmp4_ctl.vxd"},
    {Layout::Any, Owns::Value, OMBRIN_RUN, "Tonelink", REG_SZ, "C:\\WINDOWS\\SYSTEM\\tonelink.exe"},
    {Layout::Any, Owns::Value, OMBRIN_PROB, "PCI\\VEN_1FA3&DEV_0003&SUBSYS_02101D4C&REV_01\\BUS_00&DEV_0D&FUNC_00",
     REG_BINARY, "\x02\x01"},
    {Layout::Any, Owns::Key, "Software\\TELLICOR\\TM34DFV", "Country", REG_DWORD, "1"},
    {Layout::Any, Owns::Key, "Software\\TELLICOR\\UDIAG", "LastRun", REG_SZ, "never"},
};

#define OMBRIN_BOARD_FILES(inf)                                                     \
  {"INF\\qvmodem.inf", FILE_ATTRIBUTE_NORMAL, "[Version]\r\nClass=Modem\r\n"},      \
      {"INF\\drvdata.bin", FILE_ATTRIBUTE_HIDDEN, "DRVDATA"},                       \
      {"INF\\drvidx.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "DRVIDX"}, \
      {"INF\\kmp4mdm.inf", FILE_ATTRIBUTE_NORMAL, "[Version]\r\nClass=Modem\r\n"},  \
      {"SYSTEM\\kmp4_ctl.vxd", FILE_ATTRIBUTE_NORMAL, "MZ kmp4_ctl"},               \
      {"SYSTEM\\kmp4dfv1.vxd", FILE_ATTRIBUTE_READONLY, "MZ kmp4dfv1"},             \
      {"SYSTEM\\qv10mod.vxd", FILE_ATTRIBUTE_NORMAL, "MZ qv10mod"},                 \
      {"SYSTEM\\telvcd.vxd", FILE_ATTRIBUTE_SYSTEM, "MZ telvcd"},                   \
      {"SYSTEM\\tonelink.vxd", FILE_ATTRIBUTE_NORMAL, "MZ tonelink"},               \
      {"SYSTEM\\tonelink.exe", FILE_ATTRIBUTE_NORMAL, "MZ tonelink"},               \
      {"SYSTEM\\qv10set.exe", FILE_ATTRIBUTE_READONLY, "MZ qv10set"},               \
      {"SYSTEM\\tca.cpl", FILE_ATTRIBUTE_NORMAL, "MZ tca"}, {                       \
    "INF\\OTHER\\" inf, FILE_ATTRIBUTE_NORMAL, "[Version]\r\nProvider=%Mfg%\r\n"    \
  }

inline constexpr FileTrace kBoardFiles[] = {
    OMBRIN_BOARD_FILES("DravelQV10Modem.inf"),
    {"SYSTEM\\qv10corm.vxd", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, "MZ qv10corm"},
    {"SYSTEM\\tca.hlp", FILE_ATTRIBUTE_NORMAL, "?_ help"},
};

inline constexpr FileTrace kOemFiles[] = {
    OMBRIN_BOARD_FILES("BrindlModem.inf"),
    {"SYSTEM\\qv10core.vxd", FILE_ATTRIBUTE_READONLY, "MZ qv10core"},
};

#undef OMBRIN_BOARD_FILES
#undef OMBRIN_BOARD_COMMON
#undef OMBRIN_HW
#undef OMBRIN_MODEM_CLASS
#undef OMBRIN_PROB
#undef OMBRIN_UNINSTALL
#undef OMBRIN_RUN

inline constexpr Traces kModemNew{kModemNewRegistry, kBoardFiles, kTelvcdLines};
inline constexpr Traces kModemOld{kModemOldRegistry, kBoardFiles, kTelvcdLines};
inline constexpr Traces kOem{kOemRegistry, kOemFiles, kTelvcdLines};

}  // namespace ombrin::card::traces
