// Sharing between open handles of a file, seen by every process of the machine.
//
// Each open descriptor marks what it holds with shared byte locks far beyond any file's end
// (open file description locks, so they belong to the descriptor and vanish with it, also
// when a process dies). A new open tests the markers of the others before it sets its own.
#pragma once

#include <win32/windef.h>

namespace ombrin::files {

// Claims `access` (AccessBits) with `shareMode` for a freshly opened descriptor; returns 0, or
// ERROR_SHARING_VIOLATION when another open handle forbids it.
DWORD claimShare(int fd, unsigned access, DWORD shareMode);

// True when some open handle of the file does not let it be deleted.
bool deleteDenied(int fd);

// A mapped view marks the file through a descriptor of its own; while one exists the file
// cannot be cut shorter.
bool markMappedView(int viewFd);
bool hasMappedView(int fd);

}  // namespace ombrin::files
