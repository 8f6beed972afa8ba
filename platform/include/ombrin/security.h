// The process's access token on the NT family: which privileges it holds and has enabled.
#pragma once

#include <string_view>

namespace ombrin::security {

// True when the process token holds the privilege ("SeShutdownPrivilege", ...) and a program
// has enabled it with AdjustTokenPrivileges. Always false on the Windows 9x family, which has
// no tokens (and needs none).
bool privilegeEnabled(std::string_view name);

}  // namespace ombrin::security
