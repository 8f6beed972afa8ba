#include "share_modes.h"

#include <cerrno>
#include <cstdint>

#include <fcntl.h>
#include <sys/file.h>

#include <win32/winbase.h>

#include "file_object.h"

namespace ombrin::files {
namespace {

// Marker bytes, one per fact, at the top of the 64-bit offset range.
constexpr off_t kBase = INT64_MAX - 64;
enum Marker : off_t {
  kHasRead = 1,
  kHasWrite = 2,
  kHasDelete = 3,
  kDeniesRead = 4,  // an open without FILE_SHARE_READ
  kDeniesWrite = 5,
  kDeniesDelete = 6,
  kMappedView = 7,
};

bool lockByte(int fd, Marker marker, short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = kBase + marker;
  fl.l_len = 1;
  return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// True when another descriptor holds the marker.
bool heldByOthers(int fd, Marker marker) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = kBase + marker;
  fl.l_len = 1;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;  // no locks on this file system: nothing to see
  return fl.l_type != F_UNLCK;
}

struct Rule {
  unsigned access;   // the new open asks for this access...
  Marker denied;     // ...which conflicts with an open that denies it,
  Marker has;        // and an open holding it conflicts with a new open that denies it
  DWORD shareFlag;
  Marker denies;
};
constexpr Rule kRules[] = {
    {kAccessRead, kDeniesRead, kHasRead, FILE_SHARE_READ, kDeniesRead},
    {kAccessWrite, kDeniesWrite, kHasWrite, FILE_SHARE_WRITE, kDeniesWrite},
    {kAccessDelete, kDeniesDelete, kHasDelete, FILE_SHARE_DELETE, kDeniesDelete},
};

}  // namespace

DWORD claimShare(int fd, unsigned access, DWORD shareMode) {
  // An open without data access (attributes only) neither checks nor restricts others.
  if (access == 0) return 0;
  // Checking and marking is one step for all processes: a whole-file flock is the gate (it is
  // separate from the byte locks and works on descriptors opened for reading only).
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  DWORD result = 0;
  for (const auto& rule : kRules) {
    if ((access & rule.access) && heldByOthers(fd, rule.denied)) result = ERROR_SHARING_VIOLATION;
    if (!(shareMode & rule.shareFlag) && heldByOthers(fd, rule.has)) result = ERROR_SHARING_VIOLATION;
  }
  if (result == 0) {
    for (const auto& rule : kRules) {
      if (access & rule.access) lockByte(fd, rule.has, F_RDLCK);
      if (!(shareMode & rule.shareFlag)) lockByte(fd, rule.denies, F_RDLCK);
    }
  }
  if (rc == 0) ::flock(fd, LOCK_UN);
  return result;
}

bool deleteDenied(int fd) { return heldByOthers(fd, kDeniesDelete); }

bool markMappedView(int viewFd) { return lockByte(viewFd, kMappedView, F_RDLCK); }

bool hasMappedView(int fd) { return heldByOthers(fd, kMappedView); }

}  // namespace ombrin::files
