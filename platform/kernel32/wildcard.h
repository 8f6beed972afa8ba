// The DOS wildcard rules of the directory search.
#pragma once

#include <string_view>

namespace ombrin::files {

// True when `name` matches `pattern` as FindFirstFileA matches long names: `*` any run,
// `?` one character (or nothing at the end of the name or before a dot), a `.` before `*` or
// `?` (or at the pattern's end) also matching the end of the name, and `*` before a `.` not
// running past the name's last dot. Letters compare without case in the machine's code page.
bool matchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace ombrin::files
