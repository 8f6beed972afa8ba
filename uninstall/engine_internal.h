// Helpers shared by the engine's primitives; not part of the engine's interface.
#pragma once

#include <cstddef>
#include <string_view>

#include "uninstaller.h"

namespace unombrin {

// Log lines and registry string data are read into buffers of this size.
constexpr std::size_t kLogLineSize = 512;
constexpr std::size_t kStringDataSize = 512;

// Formats one log line into kLogLineSize bytes (longer lines are cut at 511 characters) and
// hands it to the engine's Log through the virtual table.
int LogLine(Uninstaller& engine, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The display path with which the scans name a key: the hive name of root, then "\" and path
// when a path is given. Cut to fit `size`, always terminated.
void BuildDisplayPath(Uninstaller& engine, HKEY root, const char* path, char* out, std::size_t size);

// Case-sensitive substring test: `text` occurs in the first `length` bytes of `data`, which end
// early at a zero byte as a zero-terminated string would.
bool ContainsText(const char* data, std::size_t length, const char* text);
inline bool ContainsText(const char* data, const char* text) {
  return data != nullptr && ContainsText(data, std::string_view(data).size(), text);
}

}  // namespace unombrin
