#include "band_table.h"

#include <cstdint>
#include <cstring>

#include <Qv10DAL.h>

namespace qv10dal {
namespace {

struct KeyRow {
  OsClass osClass;
  const char* key;
};

constexpr KeyRow kBandTableKeys[] = {
    {OS_WIN95, "Software\\Dravel\\Ombrin\\QV5510\\Equalizer"},
    {OS_WIN98, "Software\\Dravel\\Ombrin\\QV5510\\Equalizer"},
    {OS_NT4, "system\\controlset001\\services\\qv5510\\Equalizer"},
    {OS_WIN2000, "system\\controlset001\\services\\qv5510\\Equalizer"},
};

constexpr DWORD kDefaultMin = 4005;
constexpr DWORD kDefaultMax = 32767;
constexpr USHORT kDefaultMid = 16022;

// "MidEqGain" is read through a create, which leaves the key behind when it was missing.
bool ReadMidGains(const char* key, USHORT (&mid)[kGainEntries]) {
  HKEY handle{};
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS)
    return false;
  DWORD size = sizeof mid;
  LONG status = RegQueryValueExA(handle, "MidEqGain", nullptr, nullptr, reinterpret_cast<BYTE*>(mid), &size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

// The arithmetic is 32-bit two's complement, as the driver's values were always computed;
// wrapping explicitly keeps a table that breaks the invariants from overflowing.
std::int32_t Wrap32(std::int64_t value) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(value)); }

SHORT Low16(std::int64_t value) { return static_cast<SHORT>(static_cast<USHORT>(static_cast<std::uint64_t>(value))); }

}  // namespace

bool ReadBandTableDword(const char* key, const char* name, DWORD& destination) {
  HKEY handle{};
  if (key == nullptr || RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  DWORD size = sizeof(DWORD);
  LONG status = RegQueryValueExA(handle, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&destination), &size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

const char* BandTableKey(OsClass osClass) {
  for (const auto& row : kBandTableKeys)
    if (row.osClass == osClass) return row.key;
  return nullptr;
}

void LoadBandTable(BandTable& table) {
  DWORD range = 0;
  if (!ReadBandTableDword(table.key, BandRange, range)) range = kDefaultRange;
  if (!ReadBandTableDword(table.key, "MinEqGain", table.minGain)) table.minGain = kDefaultMin;
  if (!ReadBandTableDword(table.key, "MaxEqGain", table.maxGain)) table.maxGain = kDefaultMax;
  if (!ReadMidGains(table.key, table.mid))
    for (auto& mid : table.mid) mid = kDefaultMid;
  table.range = static_cast<SHORT>(static_cast<USHORT>(range & 0xFFFF));
}

SHORT ToDriverGain(const BandTable& table, SHORT bandStep, int entry) {
  const std::int64_t mid = table.mid[entry];
  const std::int64_t span = bandStep >= 0 ? Low16(static_cast<std::int64_t>(table.maxGain) - mid)
                                          : Low16(mid - static_cast<std::int64_t>(table.minGain));
  // A range of 0 has no steps: every gain is the centre.
  if (table.range == 0) return Low16(mid);
  const std::int32_t numerator = Wrap32(bandStep * span + table.range * mid);
  return Low16(numerator / table.range);
}

SHORT ToBandStep(const BandTable& table, SHORT driverGain, int entry) {
  const std::int64_t mid = table.mid[entry];
  const std::int64_t span = driverGain >= mid ? Low16(static_cast<std::int64_t>(table.maxGain) - mid)
                                              : Low16(mid - static_cast<std::int64_t>(table.minGain));
  // An empty half of the range: the centre is 0, anything beyond it is the end of the scale.
  if (span == 0) return driverGain == mid ? SHORT{0} : (driverGain > mid ? table.range : Low16(-table.range));
  const std::int32_t numerator = Wrap32((driverGain - mid) * table.range);
  return Low16(numerator / span);
}

}  // namespace qv10dal
