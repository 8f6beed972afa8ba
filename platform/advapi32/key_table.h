// HKEY values: the predefined roots and the keys a process has open.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <ombrin/handles.h>
#include <win32/winreg.h>

#include "store.h"

namespace ombrin::registry {

// What an HKEY stands for. The path never changes (keys cannot be renamed), so a child's path
// is the parent's plus its name; the id tells whether the key still exists.
struct OpenKey {
  int root = 0;
  std::string path;  // folded, below the root; empty for the root itself
  KeyId id = 0;      // 0 until resolved (HKEY_CLASSES_ROOT is looked up on first use)
  REGSAM access = KEY_ALL_ACCESS;
  bool predefined = false;

  // Enumeration snapshots, valid while the store's stamp is unchanged: walking a key of many
  // subkeys by index costs one query, not one per index.
  bool childrenValid = false;
  std::uint64_t childrenStamp = 0;
  ChildList children;
  bool valuesValid = false;
  std::uint64_t valuesStamp = 0;
  std::vector<ValueRow> values;
};

HandleTable<HKEY, OpenKey>& keyHandles();

// The key behind a handle (predefined or open), or null for a handle that is neither.
// Call with the store locked.
std::shared_ptr<OpenKey> resolveKey(HKEY hKey);
// The key's id; for HKEY_CLASSES_ROOT this finds (or, as Windows always has it, creates)
// HKEY_LOCAL_MACHINE\Software\Classes. 0 when the key is gone.
KeyId keyId(Store& s, OpenKey& key);

bool isNt();
// Access rights as an NT key handle holds them (generic rights mapped); 9x checks nothing.
REGSAM grantedAccess(REGSAM desired);
bool allowed(const OpenKey& key, REGSAM right);

// A subkey path split into names, as the profile's family accepts it; 0 or a Win32 error.
LONG splitSubKey(const char* subKey, std::vector<std::string_view>& names);

// Where a subkey of `base` lives: on NT, HKLM\System\CurrentControlSet leads to ControlSet001.
struct Target {
  int root = 0;
  std::string baseFolded;                // the key the names are relative to
  bool fromRoot = false;                 // the link rewrote the path: names start at the root
  std::vector<std::string_view> names;   // display names below the base
  std::string folded;                    // the whole folded path below the root
  bool isLink = false;                   // the path names the link itself
};
Target target(const OpenKey& base, const std::vector<std::string_view>& names);

// Runs one registry call under the store's lock, turning database failures into
// ERROR_REGISTRY_IO_FAILED (with the transaction rolled back).
template <typename F>
LONG guarded(const char* call, F&& body);
LONG storeFailure(const char* call, const StoreError& error);

std::string quoted(const char* text);  // for trace lines

}  // namespace ombrin::registry

template <typename F>
LONG ombrin::registry::guarded(const char* call, F&& body) {
  auto lock = lockStore();
  try {
    return body(store());
  } catch (const StoreError& error) {
    return storeFailure(call, error);
  }
}
