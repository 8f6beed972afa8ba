// The registry editor's text format: root names, and a file parsed into the changes it makes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <win32/windef.h>

namespace ombrin::registry {

// Root names as the registry editor writes them, and the short forms it reads.
struct RootName {
  const char* name;
  const char* shortName;
  std::uint32_t hkey;
};
const std::vector<RootName>& rootNames();
// "HKEY_LOCAL_MACHINE" or "HKLM" (any case) -> its predefined handle value.
std::optional<std::uint32_t> parseRootName(std::string_view name);

struct Change {
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind;
  int line;               // where the file asks for it
  std::uint32_t rootHkey;
  std::string path;       // below the root, as written
  std::string name;       // values: empty for the default value
  DWORD type = 0;
  std::string data;
};

// Parses a whole file; on failure returns nullopt and error is "line N: expected ...".
std::optional<std::vector<Change>> parseRegFile(std::string_view bytes, std::string& error);

// Windows-1252 text from UTF-16LE units (what the code page lacks becomes '?').
std::string fromUtf16(std::u16string_view text);

}  // namespace ombrin::registry
