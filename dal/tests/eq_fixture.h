// A machine whose equalizer device is the in-process fake, with a driver that answers Init.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Qv10DAL.h>
#include <ombrin/devices.h>
#include <temp_machine.h>

namespace dal_test {

using ombrin::devices::FakeDevice;
using ombrin::machine::WindowsVersion;
using Bytes = std::vector<BYTE>;

constexpr DWORD kSetBandGain = 0x001D2658;
constexpr DWORD kSetAllGains = 0x001D26A8;
constexpr DWORD kGetAllGains = 0x001D26D0;
constexpr DWORD kGetBandLevels = 0x001D26F8;
constexpr DWORD kSetCoeffSetData = 0x001D2720;
constexpr DWORD kGetCoeffSetData = 0x001D274A;
constexpr DWORD kSetActiveCoeffSet = 0x001D2770;
constexpr DWORD kGetActiveCoeffSet = 0x001D2798;
constexpr DWORD kSetActiveCoeffSetData = 0x001D27C0;
constexpr DWORD kGetActiveCoeffSetData = 0x001D27E8;
constexpr DWORD kCloseClient = 0x001D2860;
constexpr DWORD kSetProperty = 0x001D2CEA;
constexpr DWORD kGetProperty = 0x001D2D12;

constexpr const char* kSoftwareKey = "Software\\Dravel\\Ombrin\\QV5510\\Equalizer";
constexpr const char* kServicesKey = "system\\controlset001\\services\\qv5510\\Equalizer";

inline Bytes le32(DWORD v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }

// The reply to the bypass property request: status, size, value.
inline Bytes propertyReply(DWORD value, USHORT size = 4) {
  Bytes reply = le32(0);
  reply.push_back(BYTE(size));
  reply.push_back(BYTE(size >> 8));
  auto v = le32(value);
  reply.insert(reply.end(), v.begin(), v.end());
  return reply;
}

// A 44-byte gain record as a driver fills it.
inline Bytes gainRecord(DWORD numGains, const std::vector<SHORT>& gains) {
  Bytes record = le32(numGains);
  for (int i = 0; i < 20; ++i) {
    SHORT g = i < static_cast<int>(gains.size()) ? gains[i] : SHORT{0};
    record.push_back(BYTE(USHORT(g) & 0xFF));
    record.push_back(BYTE(USHORT(g) >> 8));
  }
  return record;
}

inline void setDword(const char* key, const char* name, DWORD value) {
  HKEY k{};
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  ASSERT_EQ(RegSetValueExA(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), 0);
  RegCloseKey(k);
}

inline void setBinary(const char* key, const char* name, const Bytes& data) {
  HKEY k{};
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
  ASSERT_EQ(RegSetValueExA(k, name, 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size())), 0);
  RegCloseKey(k);
}

inline bool keyExists(const char* key) {
  HKEY k{};
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != 0) return false;
  RegCloseKey(k);
  return true;
}

// The fake takes the device names of every Windows version; the machine has no card of its own.
class EqFake {
 public:
  explicit EqFake(WindowsVersion version = WindowsVersion::Win98) : machine_(version, {}) {
    ombrin::devices::setLoadInstalledDrivers(false);
    for (const char* name : {"qv10core.vxd", "Qv55Mixer0", "Dravel_10"})
      ombrin::devices::registerDriver(name, device);
    device->script(kGetProperty, {{TRUE, propertyReply(0)}});
    device->script(kGetActiveCoeffSet, {{TRUE, le32(0)}});
  }

  std::shared_ptr<FakeDevice> device = std::make_shared<FakeDevice>();

 private:
  ombrin::test::TempMachine machine_;
};

// Ready after Init, with the records of Init cleared.
class EqReady : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CEqDriverInterface::Init(nullptr), 1);
    fake_.device->clearRecords();
  }
  std::vector<FakeDevice::Request> requests() const { return fake_.device->requests(); }

  EqFake fake_;
};

}  // namespace dal_test
