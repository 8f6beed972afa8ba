// Resource names as Win32 passes them: MAKEINTRESOURCE numbers or "#123" texts.
#pragma once

#include <optional>

#include <win32/windef.h>

namespace ombrin::resources {

// The number a resource name stands for; nullopt for a real name (this machine's modules
// number every resource) or a malformed "#" text.
inline std::optional<UINT> resourceNumber(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
  if (name == nullptr || name[0] != '#' || name[1] == '\0') return std::nullopt;
  UINT value = 0;
  for (const char* p = name + 1; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    value = value * 10 + static_cast<UINT>(*p - '0');
    if (value > 0xFFFF) return std::nullopt;
  }
  return value;
}

}  // namespace ombrin::resources
