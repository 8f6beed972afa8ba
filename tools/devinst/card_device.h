// The card as a device of the machine: its device instance key, its driver key, and the
// co-installers registered for it, where the 9x family and NT keep them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <win32/guiddef.h>

namespace ombrin::devinst {

// The sound function of the card.
inline constexpr const char* kCardHardwareId = "PCI\\VEN_1FA3&DEV_0003&SUBSYS_00011FA3&REV_01";
inline constexpr const char* kCardDescription = "Ombrin QV10 Sound Card";
// The card's own co-installer, as its installation registers it.
inline constexpr const char* kCardCoInstaller = "Qv10CoInstaller.dll,QvCoDeviceInstall";

// The media device setup class.
inline constexpr GUID kMediaClassGuid{0x4d36e96c, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
inline constexpr const char* kMediaClassGuidText = "{4D36E96C-E325-11CE-BFC1-08002BE10318}";

struct Device {
  std::string instanceKey;  // below HKEY_LOCAL_MACHINE
  std::string driverKey;    // below HKEY_LOCAL_MACHINE; empty when the device has no driver yet
  std::string classGuid;
};

// The device whose instance key lies below the PCI enumerator key named after the hardware id.
std::optional<Device> findDevice(const std::string& hardwareId);

// Lays down the card's device instance and driver keys with its co-installer registration,
// as the card's installation leaves them; keeps what is already there. False with a message.
bool registerCard(Device& device, std::string& error);

// "file.dll,EntryPoint" entries: the class's co-installers first, then the device's own.
std::vector<std::string> coInstallersOf(const Device& device);

}  // namespace ombrin::devinst
