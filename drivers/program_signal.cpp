#include "program_signal.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace ombrin::card {
namespace {

// Average amplitude per band: most of a mix's energy sits in the low and middle bands.
constexpr double kBandAmplitude[kBands] = {7000, 8200, 7600, 6400, 5600, 4800, 4000, 3200, 2300, 1500};

// How strongly each band follows the beat (kick in the lows, hi-hat in the highs).
constexpr double kBeatDepth[kBands] = {0.6, 0.55, 0.35, 0.2, 0.15, 0.15, 0.2, 0.3, 0.4, 0.45};

constexpr double kBeatMilliseconds = 500.0;  // 120 beats a minute
constexpr double kPi = 3.14159265358979323846;

// A small deterministic flutter per band and 50 ms tick, 0.85 to 1.15.
double flutter(std::uint64_t tick, int entry) {
  std::uint64_t x = tick * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(entry + 1) * 0xBF58476D1CE4E5B9ull;
  x ^= x >> 31;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 29;
  return 0.85 + 0.3 * static_cast<double>(x & 0xFFFF) / 65535.0;
}

}  // namespace

void programLevels(std::uint64_t milliseconds, const SHORT (&gains)[kGains], bool equalized, SHORT (&levels)[kGains]) {
  const double t = static_cast<double>(milliseconds % 3600000);
  const std::uint64_t tick = milliseconds / 50;
  for (int entry = 0; entry < kGains; ++entry) {
    const int band = entry % kBands;
    const bool low = band < kBands / 2;
    // The highs sit on the off-beat.
    const double offset = low ? 0.0 : kBeatMilliseconds / 2;
    const double phase = std::fmod(t + offset, kBeatMilliseconds) / kBeatMilliseconds;
    const double beat = (1.0 - kBeatDepth[band]) + kBeatDepth[band] * std::exp(-6.0 * phase);
    // A slow swell over the bars, a little apart between the channels.
    const double swell = 0.8 + 0.2 * std::sin(2 * kPi * t / 8000.0 + band * 0.7 + (entry >= kBands ? 0.5 : 0.0));
    double amplitude = kBandAmplitude[band] * beat * swell * flutter(tick, entry);
    if (equalized) amplitude *= std::max(0.0, static_cast<double>(gains[entry])) / kFlatGain;
    levels[entry] = static_cast<SHORT>(std::clamp(amplitude, 1.0, 32767.0));
  }
}

std::uint64_t signalClock() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

}  // namespace ombrin::card
