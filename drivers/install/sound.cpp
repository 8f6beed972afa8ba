// What the sound edition's setup leaves in the registry: the equalizer's band labels, preset
// curves and band table, and the uninstall entry the uninstaller reads its texts from.
#include <cstring>
#include <string>
#include <vector>

#include <win32/windows.h>

#include <ombrin/machine.h>

#include "editions.h"

namespace ombrin::card {
namespace {

constexpr const char* kSoftwareEqualizerKey = "Software\\Dravel\\Ombrin\\QV5510\\Equalizer";
constexpr const char* kServicesEqualizerKey = "system\\controlset001\\services\\qv5510\\Equalizer";
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TM77QVR";

// Band labels, each followed by one blank.
constexpr char kBandLabels[] = "31 62 125 250 500 1K 2K 4K 8K 16K ";

struct Curve {
  const char* name;
  short steps[10];  // band steps for 31 Hz .. 16 kHz, the same on both channels
};

// Gentle curves on the default range of 20 steps.
constexpr Curve kCurves[] = {
    {"Rock", {10, 8, 5, 1, -3, -4, -1, 4, 7, 9}},
    {"Classical", {6, 4, 2, 0, 0, 0, -2, -3, -4, -6}},
    {"Pop", {-3, -1, 2, 5, 7, 6, 3, 0, -2, -3}},
    {"Jazz", {6, 4, 2, 3, -2, -2, 0, 2, 4, 6}},
    {"Dance", {13, 11, 6, 0, -2, -4, -2, 0, 6, 8}},
};

// The band table the driver's setup writes: the driver's own scale.
constexpr DWORD kBandRange = 20;
constexpr DWORD kMinEqGain = 4005;
constexpr DWORD kMaxEqGain = 32767;
constexpr USHORT kMidEqGain = 16022;

struct KeyWriter {
  HKEY key{};
  LONG status = ERROR_SUCCESS;
  std::string failure;

  explicit KeyWriter(const char* path) {
    status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                             &key, nullptr);
    if (status != ERROR_SUCCESS) failure = std::string("cannot create HKEY_LOCAL_MACHINE\\") + path;
  }
  ~KeyWriter() {
    if (status == ERROR_SUCCESS) RegCloseKey(key);
  }
  KeyWriter(const KeyWriter&) = delete;
  KeyWriter& operator=(const KeyWriter&) = delete;

  void set(const char* name, DWORD type, const void* data, DWORD size) {
    if (!failure.empty()) return;
    if (RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
      failure = std::string("cannot write the value ") + name;
  }
  void text(const char* name, const char* value) { set(name, REG_SZ, value, static_cast<DWORD>(std::strlen(value) + 1)); }
  void number(const char* name, DWORD value) { set(name, REG_DWORD, &value, sizeof value); }
  bool done(std::string& error) {
    if (failure.empty()) return true;
    error = failure;
    return false;
  }
};

std::vector<BYTE> curveBytes(const Curve& curve) {
  std::vector<BYTE> bytes;
  for (int channel = 0; channel < 2; ++channel)
    for (short step : curve.steps) {
      const auto bits = static_cast<unsigned short>(step);
      bytes.push_back(static_cast<BYTE>(bits & 0xFF));
      bytes.push_back(static_cast<BYTE>(bits >> 8));
    }
  return bytes;
}

}  // namespace

bool installSound(std::string& error) {
  const auto& m = machine::current();
  const auto version = m.profile().windows;
  // The equalizer program keeps its values under the services key on NT 4.0 only; the driver's
  // band table sits there on NT 4.0 and 2000.
  const bool nt4 = version == machine::WindowsVersion::Nt4;
  const bool ntDriver = nt4 || version == machine::WindowsVersion::Win2000;

  {
    KeyWriter program(nt4 ? kServicesEqualizerKey : kSoftwareEqualizerKey);
    program.set("BandLabels", REG_SZ, kBandLabels, sizeof kBandLabels);
    for (const auto& curve : kCurves) {
      auto bytes = curveBytes(curve);
      program.set(curve.name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    if (!program.done(error)) return false;
  }
  {
    KeyWriter table(ntDriver ? kServicesEqualizerKey : kSoftwareEqualizerKey);
    table.number("BandRange", kBandRange);
    table.number("MinEqGain", kMinEqGain);
    table.number("MaxEqGain", kMaxEqGain);
    BYTE mid[40];
    for (int i = 0; i < 20; ++i) {
      mid[2 * i] = static_cast<BYTE>(kMidEqGain & 0xFF);
      mid[2 * i + 1] = static_cast<BYTE>(kMidEqGain >> 8);
    }
    table.set("MidEqGain", REG_BINARY, mid, sizeof mid);
    if (!table.done(error)) return false;
  }
  {
    KeyWriter uninstall(kUninstallKey);
    uninstall.text("DisplayName", "Ombrin QV10 Sound Card");
    uninstall.text("UninstallString", (m.windowsDirectory() + "\\unombrin.exe").c_str());
    uninstall.text("WarningString",
                   "This will remove the Ombrin QV10 sound card software (drivers, equalizer and control panel) "
                   "from your computer. Do you want to continue?");
    uninstall.text("WarningTitle", "Ombrin QV10 Uninstall");
    if (!uninstall.done(error)) return false;
  }
  return true;
}

}  // namespace ombrin::card
