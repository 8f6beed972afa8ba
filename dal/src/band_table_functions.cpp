// The band-table members of the equalizer interface, callable at any time.
#include <Qv10DAL.h>

#include "band_table.h"
#include "eq_state.h"

using namespace qv10dal;

int CEqDriverInterface::GetRegBandQuantity(ULONG* quantity, ULONG /*deviceId*/) {
  *quantity = kBandCount;
  return 1;
}

int CEqDriverInterface::GetRegBandRange(ULONG* range, ULONG /*deviceId*/) {
  // Read afresh at every call, whole; the conversions use the copy Init took.
  DWORD value = 0;
  *range = ReadBandTableDword(EqModule().bandTable.key, BandRange, value) ? value : kDefaultRange;
  return 1;
}

int CEqDriverInterface::SetRegBandValues(const USHORT* /*values*/, ULONG /*count*/, ULONG /*deviceId*/) { return 1; }
