// File mapping: CreateFileMappingA, MapViewOfFile, UnmapViewOfFile, FlushViewOfFile.
//
// A view keeps its mapping, and a mapping its file, as sections do on Windows, so handles may
// be closed in any order; the file's sharing ends with its last file handle all the same.
// Views are real shared mappings of the host file.
#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ombrin/machine.h>
#include <ombrin/trace.h>

#include "file_object.h"
#include "share_modes.h"

using namespace ombrin;
using files::FileObject;

namespace {

constexpr std::uint64_t kAllocationGranularity = 65536;

class MappingObject : public KernelObject {
 public:
  // Takes over `fd`: the mapping's own descriptor of the file, or of anonymous memory.
  MappingObject(int fd, bool backedByFile, std::uint64_t size, DWORD protection)
      : KernelObject(Kind::Mapping), fd_(fd), backedByFile_(backedByFile), size_(size), protection_(protection) {}
  ~MappingObject() override { ::close(fd_); }
  int fd() const { return fd_; }
  std::uint64_t size() const { return size_; }
  bool writable() const { return protection_ == PAGE_READWRITE; }
  bool backedByFile() const { return backedByFile_; }

 private:
  int fd_;
  bool backedByFile_;
  std::uint64_t size_;
  DWORD protection_;
};

struct View {
  std::shared_ptr<MappingObject> mapping;
  std::size_t length;
  int markFd;  // a descriptor of its own that tells every process the file is mapped
};

class Views {
 public:
  void add(void* base, View view) {
    std::lock_guard lock(mutex_);
    views_.emplace(reinterpret_cast<std::uintptr_t>(base), std::move(view));
  }
  // The view that holds `address`: its base and length, or false.
  bool find(const void* address, std::uintptr_t& base, std::size_t& length) {
    std::lock_guard lock(mutex_);
    auto it = containing(address);
    if (it == views_.end()) return false;
    base = it->first;
    length = it->second.length;
    return true;
  }
  bool remove(const void* address) {
    View view;
    std::uintptr_t base;
    {
      std::lock_guard lock(mutex_);
      auto it = containing(address);
      if (it == views_.end()) return false;
      base = it->first;
      view = std::move(it->second);
      views_.erase(it);
    }
    release(base, view);
    return true;
  }
  void clear() {
    std::map<std::uintptr_t, View> old;
    {
      std::lock_guard lock(mutex_);
      old.swap(views_);
    }
    for (auto& [base, view] : old) release(base, view);
  }

 private:
  std::map<std::uintptr_t, View>::iterator containing(const void* address) {
    auto key = reinterpret_cast<std::uintptr_t>(address);
    auto it = views_.upper_bound(key);
    if (it == views_.begin()) return views_.end();
    --it;
    return key < it->first + it->second.length ? it : views_.end();
  }
  static void release(std::uintptr_t base, View& view) {
    ::munmap(reinterpret_cast<void*>(base), view.length);
    if (view.markFd >= 0) ::close(view.markFd);
  }

  std::mutex mutex_;
  std::map<std::uintptr_t, View> views_;
};

Views& views() {
  static Views table;
  static const bool registered = [] {
    machine::onReset([] { views().clear(); });
    return true;
  }();
  (void)registered;
  return table;
}

HANDLE createMapping(HANDLE file, DWORD protect, std::uint64_t size, LPCSTR name, DWORD& error) {
  const DWORD protection = protect & 0xFF;  // SEC_* bits change nothing here
  if (protection != PAGE_READONLY && protection != PAGE_READWRITE && protection != PAGE_WRITECOPY) {
    error = ERROR_INVALID_PARAMETER;
    return HANDLE{};
  }
  if (name != nullptr) {  // named sections between processes are not offered by this machine
    error = ERROR_CALL_NOT_IMPLEMENTED;
    return HANDLE{};
  }
  if (file == INVALID_HANDLE_VALUE) {  // memory backed by the paging file
    if (size == 0) {
      error = ERROR_INVALID_PARAMETER;
      return HANDLE{};
    }
    int fd = ::memfd_create("ombrin-section", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
      if (fd >= 0) ::close(fd);
      error = ERROR_NOT_ENOUGH_MEMORY;
      return HANDLE{};
    }
    error = 0;
    return kernelHandles().insert(std::make_shared<MappingObject>(fd, false, size, protection));
  }
  auto object = kernelObject<FileObject>(file, KernelObject::Kind::File);
  if (!object) {
    error = ERROR_INVALID_HANDLE;
    return HANDLE{};
  }
  const bool wantsWrite = protection == PAGE_READWRITE;
  if (object->isDirectory() || !object->canRead() || (wantsWrite && !object->canWrite())) {
    error = ERROR_ACCESS_DENIED;
    return HANDLE{};
  }
  struct stat st {};
  if (::fstat(object->fd(), &st) != 0) {
    error = files::errorFromErrno(errno);
    return HANDLE{};
  }
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  if (size == 0) {
    if (fileSize == 0) {  // an empty file has nothing to map
      error = ERROR_FILE_INVALID;
      return HANDLE{};
    }
    size = fileSize;
  }
  if (size > fileSize) {
    // A section larger than its file grows the file, which needs write access.
    if (!wantsWrite) {
      error = ERROR_NOT_ENOUGH_MEMORY;
      return HANDLE{};
    }
    if (size > static_cast<std::uint64_t>(INT64_MAX) || ::ftruncate(object->fd(), static_cast<off_t>(size)) != 0) {
      error = ERROR_DISK_FULL;
      return HANDLE{};
    }
  }
  // A descriptor of its own, which holds none of the file handle's sharing.
  int fd = ::open(files::fdPath(object->fd()).c_str(), (wantsWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) fd = ::fcntl(object->fd(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    error = files::errorFromErrno(errno);
    return HANDLE{};
  }
  error = 0;
  return kernelHandles().insert(std::make_shared<MappingObject>(fd, true, size, protection));
}

void* mapView(HANDLE handle, DWORD access, std::uint64_t offset, SIZE_T bytes, DWORD& error) {
  auto mapping = kernelObject<MappingObject>(handle, KernelObject::Kind::Mapping);
  if (!mapping) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  const bool copy = access == FILE_MAP_COPY;
  const bool write = !copy && (access & FILE_MAP_WRITE) != 0;
  if ((!copy && !(access & (FILE_MAP_READ | FILE_MAP_WRITE))) || (write && !mapping->writable())) {
    error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  if (offset % kAllocationGranularity != 0) {
    error = ERROR_MAPPED_ALIGNMENT;
    return nullptr;
  }
  if (offset >= mapping->size()) {
    error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  std::uint64_t length = bytes != 0 ? bytes : mapping->size() - offset;
  if (length > mapping->size() - offset) {  // a view never reaches beyond its section
    error = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  int prot = PROT_READ | ((write || copy) ? PROT_WRITE : 0);
  void* base = ::mmap(nullptr, length, prot, copy ? MAP_PRIVATE : MAP_SHARED, mapping->fd(), static_cast<off_t>(offset));
  if (base == MAP_FAILED) {
    error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  int markFd = -1;
  if (mapping->backedByFile()) {
    markFd = ::open(files::fdPath(mapping->fd()).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (markFd >= 0) files::markMappedView(markFd);
  }
  views().add(base, View{std::move(mapping), static_cast<std::size_t>(length), markFd});
  error = 0;
  return base;
}

}  // namespace

extern "C" HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect,
                                            DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow, LPCSTR lpName) {
  DWORD error = 0;
  std::uint64_t size = (static_cast<std::uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
  HANDLE mapping = createMapping(hFile, flProtect, size, lpName, error);
  SetLastError(error);
  OMBRIN_TRACE("file", "CreateFileMappingA(%#x, %#x, %llu) -> %#x, error %u", hFile.value, flProtect,
               static_cast<unsigned long long>(size), mapping.value, error);
  return mapping;
}

extern "C" LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                                       DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
  DWORD error = 0;
  std::uint64_t offset = (static_cast<std::uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
  void* base = mapView(hFileMappingObject, dwDesiredAccess, offset, dwNumberOfBytesToMap, error);
  if (error != 0) SetLastError(error);
  OMBRIN_TRACE("file", "MapViewOfFile(%#x, %#x, %llu, %zu) -> %p, error %u", hFileMappingObject.value,
               dwDesiredAccess, static_cast<unsigned long long>(offset), dwNumberOfBytesToMap, base, error);
  return base;
}

extern "C" BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress) {
  bool removed = lpBaseAddress != nullptr && views().remove(lpBaseAddress);
  if (!removed) SetLastError(ERROR_INVALID_ADDRESS);
  OMBRIN_TRACE("file", "UnmapViewOfFile(%p) -> %s", lpBaseAddress, removed ? "TRUE" : "FALSE");
  return removed;
}

extern "C" BOOL WINAPI FlushViewOfFile(LPCVOID lpBaseAddress, SIZE_T dwNumberOfBytesToFlush) {
  std::uintptr_t base = 0;
  std::size_t length = 0;
  DWORD error = 0;
  if (lpBaseAddress == nullptr || !views().find(lpBaseAddress, base, length)) {
    error = ERROR_INVALID_ADDRESS;
  } else {
    auto from = reinterpret_cast<std::uintptr_t>(lpBaseAddress);
    std::uintptr_t end = base + length;
    if (dwNumberOfBytesToFlush != 0 && dwNumberOfBytesToFlush < end - from) end = from + dwNumberOfBytesToFlush;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    std::uintptr_t start = from & ~(page - 1);
    if (::msync(reinterpret_cast<void*>(start), end - start, MS_SYNC) != 0) error = files::errorFromErrno(errno);
  }
  if (error != 0) SetLastError(error);
  OMBRIN_TRACE("file", "FlushViewOfFile(%p, %zu) -> %s, error %u", lpBaseAddress, dwNumberOfBytesToFlush,
               error ? "FALSE" : "TRUE", error);
  return error == 0;
}
