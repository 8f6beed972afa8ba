// DeleteFileA: a file goes unless it is read-only, in use without delete sharing, or mapped.
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <ombrin/trace.h>

#include "file_object.h"
#include "share_modes.h"

using namespace ombrin;

namespace {

DWORD deleteFile(LPCSTR name) {
  if (name == nullptr) return ERROR_PATH_NOT_FOUND;
  auto resolved = paths::resolve(name);
  if (resolved.error != 0) return resolved.error;
  if (!resolved.exists) return resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  struct stat st {};
  if (::lstat(resolved.host.c_str(), &st) != 0) return files::errorFromErrno(errno);
  // A symbolic link is removed as a link; its target, inside or outside, stays as it is.
  if (S_ISLNK(st.st_mode)) return ::unlink(resolved.host.c_str()) == 0 ? 0 : files::errorFromErrno(errno);
  if (S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return ERROR_ACCESS_DENIED;
  if (S_ISREG(st.st_mode)) {
    int fd = ::open(resolved.host.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      bool denied = files::deleteDenied(fd);
      bool mapped = files::hasMappedView(fd);
      ::close(fd);
      if (denied) return ERROR_SHARING_VIOLATION;
      if (mapped) return ERROR_ACCESS_DENIED;
    }
  }
  return ::unlink(resolved.host.c_str()) == 0 ? 0 : files::errorFromErrno(errno);
}

}  // namespace

extern "C" BOOL WINAPI DeleteFileA(LPCSTR lpFileName) {
  DWORD error = deleteFile(lpFileName);
  if (error != 0) SetLastError(error);
  OMBRIN_TRACE("file", "DeleteFileA(\"%s\") -> %s, error %u", lpFileName ? lpFileName : "(null)",
               error ? "FALSE" : "TRUE", error);
  return error == 0;
}
