// Which Windows the library runs on decides its devices and its registry key.
#pragma once

#include <win32/windows.h>

namespace qv10dal {

enum OsClass : DWORD {
  OS_UNSUPPORTED = 0,
  OS_WIN95 = 1,
  OS_WIN98 = 2,
  OS_NT4 = 3,
  OS_WIN2000 = 4,
};

// False when the version cannot be read.
bool GetOsClass(OsClass& osClass);

}  // namespace qv10dal
