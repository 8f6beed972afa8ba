// DOS attributes on the host: read-only is the lack of write permission, hidden and system
// live in the `user.DOSATTRIB` extended attribute as "0x%x" text, archive is always reported.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <ombrin/machine.h>
#include <ombrin/trace.h>

#include "file_object.h"

namespace fs = std::filesystem;

namespace ombrin::files {
namespace {

constexpr const char* kDosAttribute = "user.DOSATTRIB";
constexpr DWORD kStoredBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

}  // namespace

DWORD storedDosBits(const std::string& hostPath) {
  char text[64];
  ssize_t n = ::getxattr(hostPath.c_str(), kDosAttribute, text, sizeof text - 1);
  if (n <= 0) return 0;
  text[n] = '\0';  // other tools may append binary data after a zero byte: only the text counts
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 16);
  if (end == text) return 0;
  return static_cast<DWORD>(value) & kStoredBits;
}

void storeDosBits(const std::string& hostPath, DWORD attributes) {
  DWORD bits = attributes & kStoredBits;
  if (bits == 0) {
    ::removexattr(hostPath.c_str(), kDosAttribute);  // absent already, or no such support: fine
    return;
  }
  char text[16];
  int n = std::snprintf(text, sizeof text, "0x%x", bits);
  ::setxattr(hostPath.c_str(), kDosAttribute, text, static_cast<size_t>(n), 0);
}

DWORD attributesFromStat(const struct stat& st, DWORD storedBits) {
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | storedBits;
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE | storedBits;
  if ((st.st_mode & kWriteBits) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

EntryInfo inspectEntry(const fs::path& host) {
  EntryInfo info;
  if (::lstat(host.c_str(), &info.st) != 0) return info;
  info.exists = true;
  if (S_ISLNK(info.st.st_mode)) {
    int fd = ::open(host.c_str(), O_PATH | O_CLOEXEC);
    bool inside = fd >= 0 && insideMachine(fd);
    struct stat target {};
    if (inside && ::fstat(fd, &target) == 0) {
      info.st = target;
      info.attributes = attributesFromStat(target, storedDosBits(fdPath(fd)));
    } else {
      info.outsideLink = true;
      info.attributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT;
    }
    if (fd >= 0) ::close(fd);
    return info;
  }
  info.attributes = attributesFromStat(info.st, storedDosBits(host.string()));
  return info;
}

FILETIME fileTime(const struct timespec& ts) {
  constexpr std::int64_t kEpochDifference = 11644473600LL;  // seconds from 1601 to 1970
  std::int64_t ticks = (static_cast<std::int64_t>(ts.tv_sec) + kEpochDifference) * 10000000LL + ts.tv_nsec / 100;
  if (ticks < 0) ticks = 0;
  auto value = static_cast<std::uint64_t>(ticks);
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

}  // namespace ombrin::files

using namespace ombrin;

extern "C" DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "GetFileAttributesA(\"%s\") -> INVALID_FILE_ATTRIBUTES, error %u",
                 lpFileName ? lpFileName : "(null)", error);
    return INVALID_FILE_ATTRIBUTES;
  };
  if (lpFileName == nullptr) return fail(ERROR_PATH_NOT_FOUND);
  auto resolved = paths::resolve(lpFileName);
  if (resolved.error != 0) return fail(resolved.error);
  if (!resolved.exists) return fail(resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
  auto entry = files::inspectEntry(resolved.host);
  if (!entry.exists) return fail(ERROR_FILE_NOT_FOUND);
  OMBRIN_TRACE("file", "GetFileAttributesA(\"%s\") -> 0x%x", lpFileName, entry.attributes);
  return entry.attributes;
}

extern "C" BOOL WINAPI SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "SetFileAttributesA(\"%s\", 0x%x) -> FALSE, error %u", lpFileName ? lpFileName : "(null)",
                 dwFileAttributes, error);
    return FALSE;
  };
  if (lpFileName == nullptr) return fail(ERROR_PATH_NOT_FOUND);
  auto resolved = paths::resolve(lpFileName);
  if (resolved.error != 0) return fail(resolved.error);
  if (!resolved.exists) return fail(resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
  // Nothing outside the machine changes through a link.
  if (resolved.linkOutside) return fail(ERROR_ACCESS_DENIED);
  int fd = ::open(resolved.host.c_str(), O_PATH | O_CLOEXEC);
  if (fd < 0) return fail(files::errorFromErrno(errno));
  struct stat st {};
  if (!files::insideMachine(fd) || ::fstat(fd, &st) != 0) {
    ::close(fd);
    return fail(ERROR_ACCESS_DENIED);
  }
  const std::string target = files::fdPath(fd);
  // Directories stay writable: a read-only bit on a folder does not protect its contents on
  // Windows either.
  if (S_ISREG(st.st_mode)) {
    mode_t mode = st.st_mode & 07777;
    if (dwFileAttributes & FILE_ATTRIBUTE_READONLY)
      mode &= ~files::kWriteBits;
    else if ((mode & files::kWriteBits) == 0)
      mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && ::chmod(target.c_str(), mode) != 0) {
      DWORD error = files::errorFromErrno(errno);
      ::close(fd);
      return fail(error);
    }
  }
  files::storeDosBits(target, dwFileAttributes);
  ::close(fd);
  OMBRIN_TRACE("file", "SetFileAttributesA(\"%s\", 0x%x) -> TRUE", lpFileName, dwFileAttributes);
  return TRUE;
}
