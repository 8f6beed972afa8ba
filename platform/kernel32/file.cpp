// Files through handles: CreateFileA, reading, writing, the file pointer and the end of file.
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <ombrin/devices.h>
#include <ombrin/trace.h>

#include "file_object.h"
#include "share_modes.h"

using namespace ombrin;
using files::FileObject;

namespace {

constexpr const char* kDevicePrefix = "\\\\.\\";

const char* show(LPCSTR text) { return text ? text : "(null)"; }

std::shared_ptr<FileObject> fileOf(HANDLE handle) {
  return kernelObject<FileObject>(handle, KernelObject::Kind::File);
}

}  // namespace

extern "C" HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                     LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                                     DWORD dwFlagsAndAttributes, HANDLE) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "CreateFileA(\"%s\", %#x, %#x, %u, %#x) -> INVALID_HANDLE_VALUE, error %u",
                 show(lpFileName), dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes, error);
    return INVALID_HANDLE_VALUE;
  };
  if (lpFileName == nullptr) return fail(ERROR_PATH_NOT_FOUND);
  if (std::strncmp(lpFileName, kDevicePrefix, 4) == 0) {
    HANDLE device = devices::openDevice(lpFileName + 4, dwDesiredAccess, dwShareMode, dwFlagsAndAttributes);
    OMBRIN_TRACE("file", "CreateFileA(\"%s\", %#x, %#x, %u, %#x) -> %#x (device), error %u", lpFileName,
                 dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes, device.value,
                 GetLastError());
    return device;
  }
  if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
    return fail(ERROR_INVALID_PARAMETER);
  auto resolved = paths::resolve(lpFileName);
  if (resolved.error != 0) return fail(resolved.error);
  DWORD error = 0;
  auto file = files::openFile(resolved, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes,
                              error);
  if (!file) return fail(error);
  HANDLE handle = kernelHandles().insert(std::move(file));
  SetLastError(error);
  OMBRIN_TRACE("file", "CreateFileA(\"%s\", %#x, %#x, %u, %#x) -> %#x, error %u", lpFileName, dwDesiredAccess,
               dwShareMode, dwCreationDisposition, dwFlagsAndAttributes, handle.value, error);
  return handle;
}

extern "C" BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "ReadFile(%#x, %u) -> FALSE, error %u", hFile.value, nNumberOfBytesToRead, error);
    return FALSE;
  };
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto file = fileOf(hFile);
  if (!file) return fail(ERROR_INVALID_HANDLE);
  if (lpOverlapped != nullptr) return fail(ERROR_INVALID_PARAMETER);  // no overlapped files here
  if (!file->canRead() || file->isDirectory()) return fail(ERROR_ACCESS_DENIED);
  if (lpBuffer == nullptr && nNumberOfBytesToRead != 0) return fail(ERROR_NOACCESS);
  DWORD total = 0;
  auto* out = static_cast<char*>(lpBuffer);
  while (total < nNumberOfBytesToRead) {
    ssize_t n = ::read(file->fd(), out + total, nNumberOfBytesToRead - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
      return fail(files::errorFromErrno(errno));
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    total += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = total;
  OMBRIN_TRACE("file", "ReadFile(%#x, %u) -> TRUE, %u bytes", hFile.value, nNumberOfBytesToRead, total);
  return TRUE;
}

extern "C" BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "WriteFile(%#x, %u) -> FALSE, error %u", hFile.value, nNumberOfBytesToWrite, error);
    return FALSE;
  };
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto file = fileOf(hFile);
  if (!file) return fail(ERROR_INVALID_HANDLE);
  if (lpOverlapped != nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (!file->canWrite()) return fail(ERROR_ACCESS_DENIED);
  if (lpBuffer == nullptr && nNumberOfBytesToWrite != 0) return fail(ERROR_NOACCESS);
  DWORD total = 0;
  const auto* in = static_cast<const char*>(lpBuffer);
  while (total < nNumberOfBytesToWrite) {
    ssize_t n = ::write(file->fd(), in + total, nNumberOfBytesToWrite - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
      return fail(n < 0 ? files::errorFromErrno(errno) : ERROR_DISK_FULL);
    }
    total += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = total;
  OMBRIN_TRACE("file", "WriteFile(%#x, %u) -> TRUE, %u bytes", hFile.value, nNumberOfBytesToWrite, total);
  return TRUE;
}

extern "C" DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = fileOf(hFile);
  struct stat st {};
  if (!file || ::fstat(file->fd(), &st) != 0) {
    SetLastError(file ? files::errorFromErrno(errno) : ERROR_INVALID_HANDLE);
    OMBRIN_TRACE("file", "GetFileSize(%#x) -> INVALID_FILE_SIZE, error %u", hFile.value, GetLastError());
    return INVALID_FILE_SIZE;
  }
  auto size = file->isDirectory() ? 0 : static_cast<std::uint64_t>(st.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  auto low = static_cast<DWORD>(size & 0xFFFFFFFFu);
  // A size whose low part looks like the failure value is told apart by the last error.
  if (low == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  OMBRIN_TRACE("file", "GetFileSize(%#x) -> %llu", hFile.value, static_cast<unsigned long long>(size));
  return low;
}

extern "C" DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh,
                                      DWORD dwMoveMethod) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "SetFilePointer(%#x, %d, %d, %u) -> INVALID_SET_FILE_POINTER, error %u", hFile.value,
                 lDistanceToMove, lpDistanceToMoveHigh ? *lpDistanceToMoveHigh : 0, dwMoveMethod, error);
    return INVALID_SET_FILE_POINTER;
  };
  auto file = fileOf(hFile);
  if (!file) return fail(ERROR_INVALID_HANDLE);
  // Without a high part the distance is a signed 32-bit value; with one, the two make 64 bits.
  std::int64_t distance = lpDistanceToMoveHigh
                              ? static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<DWORD>(
                                                               *lpDistanceToMoveHigh))
                                                           << 32) |
                                                          static_cast<DWORD>(lDistanceToMove))
                              : static_cast<std::int64_t>(lDistanceToMove);
  std::int64_t origin = 0;
  switch (dwMoveMethod) {
    case FILE_BEGIN: break;
    case FILE_CURRENT: origin = ::lseek(file->fd(), 0, SEEK_CUR); break;
    case FILE_END: {
      struct stat st {};
      if (::fstat(file->fd(), &st) != 0) return fail(files::errorFromErrno(errno));
      origin = st.st_size;
      break;
    }
    default: return fail(ERROR_INVALID_PARAMETER);
  }
  if (origin < 0) return fail(files::errorFromErrno(errno));
  if ((distance > 0 && origin > INT64_MAX - distance)) return fail(ERROR_INVALID_PARAMETER);
  std::int64_t target = origin + distance;
  if (target < 0) return fail(ERROR_NEGATIVE_SEEK);
  // Without a high part the caller can only be told a position below 4 GiB.
  if (!lpDistanceToMoveHigh && target > static_cast<std::int64_t>(0xFFFFFFFEu)) return fail(ERROR_INVALID_PARAMETER);
  if (::lseek(file->fd(), target, SEEK_SET) < 0) return fail(files::errorFromErrno(errno));
  auto position = static_cast<std::uint64_t>(target);
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(position >> 32);
  auto low = static_cast<DWORD>(position & 0xFFFFFFFFu);
  if (low == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);
  OMBRIN_TRACE("file", "SetFilePointer(%#x, %d, %u) -> %llu", hFile.value, lDistanceToMove, dwMoveMethod,
               static_cast<unsigned long long>(position));
  return low;
}

extern "C" BOOL WINAPI SetEndOfFile(HANDLE hFile) {
  auto fail = [&](DWORD error) {
    SetLastError(error);
    OMBRIN_TRACE("file", "SetEndOfFile(%#x) -> FALSE, error %u", hFile.value, error);
    return FALSE;
  };
  auto file = fileOf(hFile);
  if (!file) return fail(ERROR_INVALID_HANDLE);
  if (!file->canWrite()) return fail(ERROR_ACCESS_DENIED);
  off_t position = ::lseek(file->fd(), 0, SEEK_CUR);
  struct stat st {};
  if (position < 0 || ::fstat(file->fd(), &st) != 0) return fail(files::errorFromErrno(errno));
  // A file cannot be cut below what a mapped view shows, in any process.
  if (position < st.st_size && files::hasMappedView(file->fd())) return fail(ERROR_USER_MAPPED_FILE);
  if (::ftruncate(file->fd(), position) != 0) return fail(files::errorFromErrno(errno));
  OMBRIN_TRACE("file", "SetEndOfFile(%#x) -> TRUE at %lld", hFile.value, static_cast<long long>(position));
  return TRUE;
}

extern "C" BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
  auto file = fileOf(hFile);
  DWORD error = !file ? ERROR_INVALID_HANDLE : !file->canWrite() ? ERROR_ACCESS_DENIED : 0;
  if (error == 0 && ::fsync(file->fd()) != 0) error = files::errorFromErrno(errno);
  if (error != 0) SetLastError(error);
  OMBRIN_TRACE("file", "FlushFileBuffers(%#x) -> %s, error %u", hFile.value, error ? "FALSE" : "TRUE", error);
  return error == 0;
}
