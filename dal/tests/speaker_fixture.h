// Speaker devices as in-process fakes: three on Windows 95/98, one on NT 4.0 and 2000.
#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include <Qv10DAL.h>
#include <ombrin/devices.h>
#include <temp_machine.h>

namespace speaker_test {

using ombrin::devices::FakeDevice;
using ombrin::machine::WindowsVersion;
using Bytes = std::vector<BYTE>;

constexpr DWORD kSetWaveOption = 0x001D2608;
constexpr DWORD kCloseClient = 0x001D2860;
constexpr DWORD kGetStatus = 0x001D2A42;
constexpr DWORD kGetNextDeviceId = 0x001D2A68;
constexpr DWORD kSetMixerConfig = 0x001D2A90;
constexpr DWORD kSetCoreConfig = 0x001D2AB8;
constexpr DWORD kGetMixerInfo = 0x001D2AE0;
constexpr DWORD kGetCoreInfo = 0x001D2B08;
constexpr DWORD kGetMixerStatus = 0x001D2B30;
constexpr DWORD kSetMixerConfigEx = 0x001D2B58;

inline Bytes le32(DWORD v) { return {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}; }

struct Sent {
  DWORD code;
  Bytes input;
  DWORD outputSize;
  friend bool operator==(const Sent&, const Sent&) = default;
};
inline void PrintTo(const Sent& s, std::ostream* os) {
  *os << std::hex << "{0x" << s.code << ", " << std::dec << s.input.size() << " bytes in, " << s.outputSize << " out}";
}

class SpeakerFake {
 public:
  explicit SpeakerFake(WindowsVersion version = WindowsVersion::Win98) : machine_(version, {}) {
    ombrin::devices::setLoadInstalledDrivers(false);
    ombrin::devices::registerDriver("qv10core.vxd", core);
    ombrin::devices::registerDriver("qv10mix.vxd", mixer);
    ombrin::devices::registerDriver("qv10wave.vxd", wave);
    ombrin::devices::registerDriver("Qv55Mixer0", core);
    ombrin::devices::registerDriver("Dravel_10", core);
    core->script(kGetNextDeviceId, {{TRUE, le32(7)}});
  }

  static std::vector<Sent> sent(const FakeDevice& device) {
    std::vector<Sent> out;
    for (const auto& r : device.requests()) out.push_back({r.code, r.input, r.outputSize});
    return out;
  }
  void clear() {
    for (auto* d : {core.get(), mixer.get(), wave.get()}) d->clearRecords();
  }
  bool nothingSent() const { return core->requests().empty() && mixer->requests().empty() && wave->requests().empty(); }
  int openHandles() const { return core->openHandles() + mixer->openHandles() + wave->openHandles(); }

  std::shared_ptr<FakeDevice> core = std::make_shared<FakeDevice>();
  std::shared_ptr<FakeDevice> mixer = std::make_shared<FakeDevice>();
  std::shared_ptr<FakeDevice> wave = std::make_shared<FakeDevice>();

 private:
  ombrin::test::TempMachine machine_;
};

}  // namespace speaker_test
