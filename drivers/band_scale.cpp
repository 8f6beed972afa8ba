#include "band_scale.h"

#include <cstdint>

namespace ombrin::card {
namespace {

bool readValue(const char* key, const char* name, void* data, DWORD size) {
  HKEY handle{};
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  LONG status = RegQueryValueExA(handle, name, nullptr, nullptr, static_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

}  // namespace

BandScale BandScale::read(machine::WindowsVersion version) {
  using V = machine::WindowsVersion;
  const char* key = version == V::Nt4 || version == V::Win2000 ? "system\\controlset001\\services\\qv5510\\Equalizer"
                                                               : "Software\\Dravel\\Ombrin\\QV5510\\Equalizer";
  BandScale scale;
  DWORD value = 20;
  if (readValue(key, "BandRange", &value, sizeof value)) scale.range = static_cast<SHORT>(value & 0xFFFF);
  value = 0;
  if (readValue(key, "MinEqGain", &value, sizeof value)) scale.minGain = static_cast<LONG>(value);
  value = 0;
  if (readValue(key, "MaxEqGain", &value, sizeof value)) scale.maxGain = static_cast<LONG>(value);
  for (auto& mid : scale.mid) mid = static_cast<USHORT>(kFlatGain);
  USHORT mids[kGains];
  if (readValue(key, "MidEqGain", mids, sizeof mids))
    for (int i = 0; i < kGains; ++i) scale.mid[i] = mids[i];
  return scale;
}

SHORT BandScale::stepOf(SHORT gain, int entry) const {
  const std::int64_t centre = mid[entry];
  const std::int64_t span = static_cast<SHORT>(gain >= centre ? maxGain - centre : centre - minGain);
  if (span == 0) return gain == centre ? SHORT{0} : static_cast<SHORT>(gain > centre ? range : -range);
  return static_cast<SHORT>((gain - centre) * range / span);
}

}  // namespace ombrin::card
