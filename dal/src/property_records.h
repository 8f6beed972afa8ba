// The property request and reply that carry the equalizer's bypass switch. Both are packed:
// the drivers read them byte by byte.
#pragma once

#include <win32/windows.h>

namespace qv10dal {

#pragma pack(push, 1)
struct _propertyRequest {
  BYTE kind;         // always 1
  DWORD reserved;    // always 0
  DWORD selector;    // the bypass property
  USHORT propSize;   // always 4
  DWORD propValue;   // 1 = bypass on, 0 = off (set requests only)
};
struct _propertyReply {
  DWORD status;      // not examined
  USHORT propSize;   // must be 4
  DWORD propValue;   // the bypass state
};
#pragma pack(pop)
static_assert(sizeof(_propertyRequest) == 15);
static_assert(offsetof(_propertyRequest, selector) == 5 && offsetof(_propertyRequest, propSize) == 9 &&
              offsetof(_propertyRequest, propValue) == 11);
static_assert(sizeof(_propertyReply) == 10);
static_assert(offsetof(_propertyReply, propSize) == 4 && offsetof(_propertyReply, propValue) == 6);

constexpr BYTE kPropertyKind = 1;
constexpr DWORD kBypassProperty = 0xFFFF0009;
constexpr USHORT kPropertyValueSize = 4;

}  // namespace qv10dal
