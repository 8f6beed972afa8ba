// Opening files with CreateFileA's rules, and keeping every open inside the machine.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

#include <ombrin/machine.h>

#include "file_object.h"
#include "share_modes.h"

namespace fs = std::filesystem;

namespace ombrin::files {
namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr DWORD kStoredBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool within(const fs::path& inner, const fs::path& outer) {
  auto i = inner.begin();
  for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
    if (o->empty()) continue;
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

// Sets what a newly created (or overwritten) file carries from CreateFileA's attributes. The
// handle keeps its write access even when the file becomes read-only, as on Windows.
void applyCreationAttributes(int fd, DWORD flagsAndAttributes) {
  storeDosBits(fdPath(fd), flagsAndAttributes);
  if (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) {
    struct stat st {};
    if (::fstat(fd, &st) == 0) ::fchmod(fd, st.st_mode & 07777 & ~kWriteBits);
  }
}

}  // namespace

unsigned accessBits(DWORD desiredAccess, DWORD flagsAndAttributes) {
  unsigned bits = 0;
  if (desiredAccess & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA)) bits |= kAccessRead;
  if (desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA)) bits |= kAccessWrite;
  if ((desiredAccess & (DELETE | GENERIC_ALL)) || (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE))
    bits |= kAccessDelete;
  return bits;
}

FileObject::FileObject(int fd, unsigned access, fs::path host, bool directory, bool deleteOnClose)
    : KernelObject(Kind::File),
      fd_(fd),
      access_(access),
      host_(std::move(host)),
      directory_(directory),
      deleteOnClose_(deleteOnClose) {}

FileObject::~FileObject() {
  if (deleteOnClose_) {
    // Only the file this handle opened goes, never whatever took its name since.
    struct stat mine {}, now {};
    if (::fstat(fd_, &mine) == 0 && ::lstat(host_.c_str(), &now) == 0 && mine.st_dev == now.st_dev &&
        mine.st_ino == now.st_ino)
      ::unlink(host_.c_str());
  }
  ::close(fd_);
}

DWORD errorFromErrno(int err) {
  switch (err) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;
  }
}

std::string fdPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

bool insideMachine(int fd) {
  char target[PATH_MAX];
  ssize_t n = ::readlink(fdPath(fd).c_str(), target, sizeof target - 1);
  if (n <= 0) return false;
  target[n] = '\0';
  char root[PATH_MAX];
  if (::realpath(machine::current().driveC().c_str(), root) == nullptr) return false;
  return within(fs::path(target), fs::path(root));
}

std::shared_ptr<FileObject> openFile(const paths::Resolved& path, DWORD desiredAccess, DWORD shareMode,
                                     DWORD disposition, DWORD flagsAndAttributes, DWORD& error) {
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) {
    error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  const unsigned access = accessBits(desiredAccess, flagsAndAttributes);
  const bool deleteOnClose = (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0;
  if (disposition == TRUNCATE_EXISTING && !(access & kAccessWrite)) {
    error = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  // A link that leaves the machine is never opened, whatever the disposition.
  if (path.linkOutside) {
    error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  // Windows 95/98/ME know no delete sharing: any open handle keeps its file from being deleted.
  if (!machine::current().profile().isNt()) shareMode &= ~static_cast<DWORD>(FILE_SHARE_DELETE);
  const int dataMode = (access & kAccessWrite) ? O_RDWR : O_RDONLY;
  int fd = -1;
  DWORD success = 0;

  if (path.exists) {
    struct stat st {};
    if (::stat(path.host.c_str(), &st) != 0) {
      error = errorFromErrno(errno);
      return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
      // Only a backup-semantics open gets a handle on a directory, and never to change it.
      if (!(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) || disposition == CREATE_NEW ||
          disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING || (access & kAccessWrite)) {
        error = disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED;
        return nullptr;
      }
      fd = ::open(path.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0 || !insideMachine(fd)) {
        error = fd < 0 ? errorFromErrno(errno) : ERROR_ACCESS_DENIED;
        if (fd >= 0) ::close(fd);
        return nullptr;
      }
      error = disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : 0;
      return std::make_shared<FileObject>(fd, access & kAccessRead, path.host, true, false);
    }
    if (disposition == CREATE_NEW) {
      error = ERROR_FILE_EXISTS;
      return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {  // sockets, pipes and device nodes are no files of the machine
      error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    const bool readOnly = (st.st_mode & kWriteBits) == 0;
    const bool overwrites = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (readOnly && ((access & kAccessWrite) || deleteOnClose || overwrites)) {
      error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    // Overwriting a hidden or system file must name those attributes again.
    DWORD stored = storedDosBits(path.host.string());
    if (disposition == CREATE_ALWAYS && (stored & ~flagsAndAttributes & kStoredBits) != 0) {
      error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    fd = ::open(path.host.c_str(), dataMode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
      error = errorFromErrno(errno);
      return nullptr;
    }
    struct stat opened {};
    if (!insideMachine(fd) || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      ::close(fd);
      error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (DWORD shareError = claimShare(fd, access, shareMode); shareError != 0) {
      ::close(fd);
      error = shareError;
      return nullptr;
    }
    if (overwrites && ::ftruncate(fd, 0) != 0) {
      error = errorFromErrno(errno);
      ::close(fd);
      return nullptr;
    }
    if (disposition == CREATE_ALWAYS) applyCreationAttributes(fd, flagsAndAttributes);
    success = (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS : 0;
  } else {
    if (!path.parentExists) {
      error = ERROR_PATH_NOT_FOUND;
      return nullptr;
    }
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
      error = ERROR_FILE_NOT_FOUND;
      return nullptr;
    }
    // O_EXCL never follows a link that appeared in the meantime.
    fd = ::open(path.host.c_str(), dataMode | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
      error = errorFromErrno(errno);
      return nullptr;
    }
    if (!insideMachine(fd)) {
      ::close(fd);
      error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    applyCreationAttributes(fd, flagsAndAttributes);
    claimShare(fd, access, shareMode);
  }
  error = success;
  return std::make_shared<FileObject>(fd, access, path.host, false, deleteOnClose);
}

}  // namespace ombrin::files
