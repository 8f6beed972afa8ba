// The machine's registry as text, in the format of the Windows registry editor.
#pragma once

#include <string>
#include <string_view>

namespace ombrin::registry {

// Writes the whole registry, or the key named by `keyName` ("HKEY_LOCAL_MACHINE\\Software\\X",
// roots may be abbreviated: HKLM, HKCU, HKCR, HKU, HKCC) with everything below it, as a
// REGEDIT4 file: CRLF line ends, keys in enumeration order, values in creation order.
// False with a message when the key does not exist or the database fails.
bool exportText(std::string_view keyName, std::string& text, std::string& error);

// Merges a REGEDIT4 (8-bit) or "Windows Registry Editor Version 5.00" (UTF-16LE with BOM) file
// into the registry as one transaction: a malformed file changes nothing, and `error` says
// "line N: expected ...".
bool importText(std::string_view bytes, std::string& error);

}  // namespace ombrin::registry
