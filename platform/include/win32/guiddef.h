// GUIDs: 16-byte identifiers of classes, interfaces and device setup classes.
#pragma once

#include "windef.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using LPGUID = GUID*;
using REFGUID = const GUID&;
static_assert(sizeof(GUID) == 16);
