// CopyFileA: contents, attributes and the time of last write go to the new file.
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ombrin/trace.h>

#include "file_object.h"

using namespace ombrin;

namespace {

DWORD copyFile(LPCSTR from, LPCSTR to, BOOL failIfExists) {
  if (from == nullptr || to == nullptr) return ERROR_INVALID_PARAMETER;
  auto source = paths::resolve(from);
  if (source.error != 0) return source.error;
  if (!source.exists) return source.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  DWORD error = 0;
  auto in = files::openFile(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0, error);
  if (!in) return error;
  if (in->isDirectory()) return ERROR_ACCESS_DENIED;
  struct stat st {};
  if (::fstat(in->fd(), &st) != 0) return files::errorFromErrno(errno);
  DWORD attributes = files::attributesFromStat(st, files::storedDosBits(files::fdPath(in->fd())));

  auto target = paths::resolve(to);
  if (target.error != 0) return target.error;
  auto out = files::openFile(target, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                             attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
                             error);
  if (!out) return error;
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    ssize_t n = ::pread(in->fd(), buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return files::errorFromErrno(errno);
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out->fd(), buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return w < 0 ? files::errorFromErrno(errno) : ERROR_DISK_FULL;
      done += w;
    }
    offset += n;
  }
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  ::futimens(out->fd(), times);
  return 0;
}

}  // namespace

extern "C" BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  DWORD error = copyFile(lpExistingFileName, lpNewFileName, bFailIfExists);
  if (error != 0) SetLastError(error);
  OMBRIN_TRACE("file", "CopyFileA(\"%s\", \"%s\", %d) -> %s, error %u",
               lpExistingFileName ? lpExistingFileName : "(null)", lpNewFileName ? lpNewFileName : "(null)",
               bFailIfExists, error ? "FALSE" : "TRUE", error);
  return error == 0;
}
