// Named kernel objects of the machine: one file per object under run/objects/, mapped by
// every process that holds a handle to it. A shared lock on the file marks each holding
// process, so the last holder to go (even by dying) leaves the object free to be removed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <win32/windef.h>

namespace ombrin::sync {

enum class NamedType : std::uint32_t { Mutex = 1, Event = 2 };

struct NamedOpen {
  std::shared_ptr<void> object;  // this process's hold on the object, for its handles; null on failure
  std::shared_ptr<void> memory;  // keeps the mapping, even after the object is gone
  void* state = nullptr;         // the type's state inside the mapping
  bool existed = false;          // the object was there before (ERROR_ALREADY_EXISTS)
  DWORD error = 0;               // why it failed
};

// Opens the named object, or with `create` makes it when it is missing. `init` prepares the
// state of a new object before any other process can see it; `discard` undoes what init did
// when another process published the same name first. A name held by an object of another
// type fails with ERROR_INVALID_HANDLE; a missing one without `create` with ERROR_FILE_NOT_FOUND.
NamedOpen openNamed(std::string_view name, NamedType type, bool create, const std::function<void(void*)>& init,
                    const std::function<void(void*)>& discard);

// The file name an object name is kept under (letters, digits, '-' and '_' as they are,
// everything else escaped; very long names shortened with a hash).
std::string namedObjectFileName(std::string_view name);

}  // namespace ombrin::sync
