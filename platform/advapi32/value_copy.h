// Handing a value's data to a caller's buffer, as RegQueryValueExA and RegEnumValueA do.
#pragma once

#include <cstring>

#include <win32/winreg.h>

#include "store.h"

namespace ombrin::registry {

inline bool isStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// No buffer: only the size. Too small a buffer: ERROR_MORE_DATA with the size needed, the
// buffer untouched. A string stored without its terminator gets one when the buffer has room,
// so a caller that reads it as text never runs past the data.
inline LONG copyData(const ValueRow& row, LPBYTE data, LPDWORD size) {
  auto needed = static_cast<DWORD>(row.data.size());
  if (data == nullptr) {
    if (size) *size = needed;
    return ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed) std::memcpy(data, row.data.data(), needed);
  if (isStringType(row.type) && needed < *size && (needed == 0 || row.data.back() != '\0')) data[needed] = 0;
  *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace ombrin::registry
