// The band table: how band steps from -R to +R relate to the driver's 16-bit gains.
// It lives in the registry, which the library only reads; every value has a default.
#pragma once

#include <win32/windows.h>

#include "os_class.h"

namespace qv10dal {

constexpr int kBandCount = 10;
constexpr int kGainEntries = 2 * kBandCount;

struct BandTable {
  const char* key = nullptr;  // none until Init has chosen one
  SHORT range = 20;           // R
  DWORD minGain = 0;          // driver gain at -R
  DWORD maxGain = 0;          // driver gain at +R
  USHORT mid[kGainEntries] = {};  // driver gain at 0: left bands 0-9, then right bands 0-9
};

// The band-table key of a Windows version class; null when there is none.
const char* BandTableKey(OsClass osClass);

constexpr DWORD kDefaultRange = 20;

// Reads a 4-byte value of the key (a longer value cannot be read).
bool ReadBandTableDword(const char* key, const char* name, DWORD& destination);

// Reads the four values into the table (order fixed; each unreadable value takes its default).
void LoadBandTable(BandTable& table);

SHORT ToDriverGain(const BandTable& table, SHORT bandStep, int entry);
SHORT ToBandStep(const BandTable& table, SHORT driverGain, int entry);

}  // namespace qv10dal
