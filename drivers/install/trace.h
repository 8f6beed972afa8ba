// The traces an installation leaves: registry entries, files and the system.ini line, as plain
// tables. The editions lay them down; tests read the same tables to know what an uninstall
// must take away and what it must leave.
#pragma once

#include <win32/windows.h>

#include <span>
#include <string>

namespace ombrin::card {

// Windows 95 names its PCI device keys without the subsystem; 98, ME and the NT family with it.
enum class Layout : unsigned char { Any, Win95, Win98 };

// Whether the row's key belongs to the installation as a whole (and goes with everything in it)
// or only the row's value does, in a key that other software shares.
enum class Owns : unsigned char { Key, Value };

struct RegTrace {
  Layout layout;
  Owns owns;
  const char* key;   // below HKEY_LOCAL_MACHINE
  const char* name;  // value name; nullptr: the key alone, without a value
  DWORD type;        // REG_SZ, REG_DWORD (data is decimal text) or REG_BINARY (data's bytes up to the
                     // terminator)
  const char* data;
};

struct FileTrace {
  const char* path;      // below the Windows directory, e.g. "SYSTEM\\telvcd.vxd"
  DWORD attributes;      // FILE_ATTRIBUTE_NORMAL, or read-only, hidden and system bits
  const char* contents;  // nullptr: a directory
};

struct Traces {
  std::span<const RegTrace> registry;
  std::span<const FileTrace> files;
  std::span<const char* const> iniLines;  // lines of system.ini's [386Enh] section, with "\r\n"
};

inline constexpr const char* kTelvcdLines[] = {"device=telvcd.vxd\r\n"};

// Writes the traces into the current machine in the layout of its Windows version. Idempotent:
// editions share files and keys, and several may be installed together.
bool layDown(const Traces& traces, std::string& error);

// True when a row applies to the given Windows layout.
inline bool applies(Layout layout, bool win95) { return layout == Layout::Any || (layout == Layout::Win95) == win95; }

}  // namespace ombrin::card
