// CreateDirectoryA and RemoveDirectoryA.
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include <ombrin/machine.h>
#include <ombrin/trace.h>

#include "file_object.h"

using namespace ombrin;

namespace {

// A directory's name leaves room for an 8.3 file name below it within MAX_PATH.
constexpr std::size_t kMaxDirectoryPath = MAX_PATH - 12 - 1;

DWORD createDirectory(LPCSTR name) {
  if (name == nullptr) return ERROR_PATH_NOT_FOUND;
  if (std::strlen(name) > kMaxDirectoryPath) return ERROR_FILENAME_EXCED_RANGE;
  auto resolved = paths::resolve(name);
  if (resolved.error != 0) return resolved.error;
  if (resolved.exists) return ERROR_ALREADY_EXISTS;
  if (!resolved.parentExists) return ERROR_PATH_NOT_FOUND;
  if (::mkdir(resolved.host.c_str(), 0777) != 0) return errno == EEXIST ? ERROR_ALREADY_EXISTS : files::errorFromErrno(errno);
  return 0;
}

DWORD removeDirectory(LPCSTR name) {
  if (name == nullptr) return ERROR_PATH_NOT_FOUND;
  auto resolved = paths::resolve(name);
  if (resolved.error != 0) return resolved.error;
  if (!resolved.exists) return resolved.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  struct stat link {}, target {};
  if (::lstat(resolved.host.c_str(), &link) != 0) return files::errorFromErrno(errno);
  // A link to a directory is removed as a link; what it points at is left alone.
  if (S_ISLNK(link.st_mode)) {
    if (::stat(resolved.host.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) return ERROR_DIRECTORY;
    return ::unlink(resolved.host.c_str()) == 0 ? 0 : files::errorFromErrno(errno);
  }
  if (!S_ISDIR(link.st_mode)) return ERROR_DIRECTORY;
  if (resolved.host == machine::current().driveC()) return ERROR_ACCESS_DENIED;
  if (::rmdir(resolved.host.c_str()) != 0) {
    if (errno == ENOTEMPTY || errno == EEXIST) return ERROR_DIR_NOT_EMPTY;
    if (errno == EBUSY) return ERROR_SHARING_VIOLATION;
    return files::errorFromErrno(errno);
  }
  return 0;
}

}  // namespace

extern "C" BOOL WINAPI CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  DWORD error = createDirectory(lpPathName);
  if (error != 0) SetLastError(error);
  OMBRIN_TRACE("file", "CreateDirectoryA(\"%s\") -> %s, error %u", lpPathName ? lpPathName : "(null)",
               error ? "FALSE" : "TRUE", error);
  return error == 0;
}

extern "C" BOOL WINAPI RemoveDirectoryA(LPCSTR lpPathName) {
  DWORD error = removeDirectory(lpPathName);
  if (error != 0) SetLastError(error);
  OMBRIN_TRACE("file", "RemoveDirectoryA(\"%s\") -> %s, error %u", lpPathName ? lpPathName : "(null)",
               error ? "FALSE" : "TRUE", error);
  return error == 0;
}
