// Sets every band step of the range on one band of each channel and prints what reads back:
// "channel step readback" per line.
#include <cstdio>

#include <Qv10DAL.h>

int main() {
  CEqDriverInterface library;
  if (!CEqDriverInterface::Init(nullptr)) {
    std::puts("Error: Can't initialize driver.");
    return 1;
  }
  ULONG range = 0;
  CEqDriverInterface::GetRegBandRange(&range, 0);
  const auto r = static_cast<SHORT>(range);
  for (ULONG channel = 0; channel < 2; ++channel) {
    for (SHORT step = static_cast<SHORT>(-r); step <= r; ++step) {
      _bandGain gain{};
      gain.band = 5;
      gain.channel = channel;
      gain.gain = step;
      if (!CEqDriverInterface::SetBandGain(&gain, 0)) {
        std::printf("SetBandGain failed at %d\n", step);
        return 1;
      }
      _arrayBandGain gains{};
      if (!CEqDriverInterface::GetArrayBandGains(&gains, 0)) {
        std::printf("GetArrayBandGains failed at %d\n", step);
        return 1;
      }
      std::printf("%u %d %d\n", static_cast<unsigned>(channel), step, gains.gain[channel * 10 + 5]);
    }
  }
  return 0;
}
