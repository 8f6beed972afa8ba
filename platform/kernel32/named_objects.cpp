#include "named_objects.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <system_error>
#include <unordered_map>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ombrin/machine.h>
#include <ombrin/paths.h>
#include <win32/winerror.h>

#include "sync_internal.h"

namespace fs = std::filesystem;

namespace ombrin::sync {
namespace {

constexpr std::uint32_t kMagic = 0x4E424D4Fu;  // "OMBN"
constexpr std::size_t kStateOffset = 512;
constexpr std::size_t kFileSize = 4096;
constexpr int kOpenAttempts = 1000;

struct Header {
  std::uint32_t magic;
  std::uint32_t type;
  char name[MAX_PATH + 1];
};
static_assert(sizeof(Header) <= kStateOffset);
static_assert(kStateOffset + sizeof(MutexState) <= kFileSize && kStateOffset + sizeof(EventState) <= kFileSize);
static_assert(kStateOffset % alignof(MutexState) == 0 && kStateOffset % alignof(EventState) == 0);

// The mapped memory of a named object. An owned mutex keeps it mapped for its owner even
// when the object itself is gone, as its robust lock must never be unmapped while held.
class Memory {
 public:
  explicit Memory(void* base) : base_(base) {}
  ~Memory() { ::munmap(base_, kFileSize); }
  Memory(const Memory&) = delete;
  Memory& operator=(const Memory&) = delete;
  void* state() const { return static_cast<char*>(base_) + kStateOffset; }
  const Header* header() const { return static_cast<const Header*>(base_); }

 private:
  void* base_;
};

// This process's hold on a named object, shared by all its handles to it. Destroyed with the
// process's last handle; the last holder of the machine removes the object.
class Mapping {
 public:
  Mapping(int fd, std::shared_ptr<Memory> memory, std::string path, NamedType type)
      : fd_(fd), memory_(std::move(memory)), path_(std::move(path)), type_(type) {}
  ~Mapping() {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      struct stat ours, named;
      if (::fstat(fd_, &ours) == 0 && ::stat(path_.c_str(), &named) == 0 && ours.st_ino == named.st_ino &&
          ours.st_dev == named.st_dev)
        ::unlink(path_.c_str());
    }
    ::close(fd_);
  }
  Mapping(const Mapping&) = delete;
  Mapping& operator=(const Mapping&) = delete;

  const std::shared_ptr<Memory>& memory() const { return memory_; }
  NamedType type() const { return type_; }

 private:
  int fd_;
  std::shared_ptr<Memory> memory_;
  std::string path_;
  NamedType type_;
};

// The process's open named objects, so that every handle to one object shares one mapping.
struct Cache {
  std::mutex mutex;
  std::unordered_map<std::string, std::weak_ptr<Mapping>> entries;
};

Cache& cache() {
  static Cache c;
  static const bool registered = [] {
    machine::onReset([] {
      std::lock_guard lock(cache().mutex);
      cache().entries.clear();
    });
    return true;
  }();
  (void)registered;
  return c;
}

bool sameFile(int fd, const std::string& path) {
  struct stat ours, named;
  return ::fstat(fd, &ours) == 0 && ::stat(path.c_str(), &named) == 0 && ours.st_ino == named.st_ino &&
         ours.st_dev == named.st_dev;
}

DWORD errorOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOSPC:
      return ERROR_DISK_FULL;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_INVALID_HANDLE;
  }
}

// The object's name without the session namespace prefixes, which all mean this machine.
bool normaliseName(std::string_view name, std::string& plain, DWORD& error) {
  if (name.size() > MAX_PATH) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return false;
  }
  for (std::string_view prefix : {"Global\\", "Local\\"}) {
    if (name.size() >= prefix.size() && paths::equalsNoCase(name.substr(0, prefix.size()), prefix)) {
      name.remove_prefix(prefix.size());
      break;
    }
  }
  if (name.find('\\') != std::string_view::npos) {  // no other object directory exists
    error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  plain.assign(name);
  return true;
}

struct Opened {
  std::shared_ptr<Mapping> mapping;
  bool existed = false;
  DWORD error = 0;
};

std::shared_ptr<Mapping> mapFile(int fd, const std::string& path, NamedType type, DWORD& error) {
  void* base = ::mmap(nullptr, kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (base == MAP_FAILED) {
    error = errorOf(errno);
    ::close(fd);
    return nullptr;
  }
  return std::make_shared<Mapping>(fd, std::make_shared<Memory>(base), path, type);
}

// An existing file: take our share of it, unless nobody holds it any more (its last holder
// died), in which case it is stale and removed. Returns false to say "look again".
bool openExisting(int fd, const std::string& path, const std::string& name, NamedType type, Opened& result) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    if (sameFile(fd, path)) ::unlink(path.c_str());
    ::close(fd);
    return false;
  }
  if (::flock(fd, LOCK_SH) != 0 || !sameFile(fd, path)) {  // removed while we waited
    ::close(fd);
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) < kFileSize) {
    ::close(fd);
    result.error = ERROR_INVALID_HANDLE;
    return true;
  }
  auto mapping = mapFile(fd, path, type, result.error);
  if (!mapping) return true;
  const auto* header = mapping->memory()->header();
  if (header->magic != kMagic || std::strncmp(header->name, name.c_str(), sizeof header->name) != 0) {
    result.error = ERROR_INVALID_HANDLE;
    return true;
  }
  if (header->type != static_cast<std::uint32_t>(type)) {
    result.error = ERROR_INVALID_HANDLE;  // the name belongs to an object of another type
    return true;
  }
  result.mapping = std::move(mapping);
  result.existed = true;
  return true;
}

// A new object is prepared in a temporary file and linked under its name only when complete,
// so no process ever sees half an object. Returns false when another process won the race.
bool createNew(const fs::path& dir, const std::string& path, const std::string& name, NamedType type,
               const std::function<void(void*)>& init, const std::function<void(void*)>& discard, Opened& result) {
  std::string temp = (dir / ".new-XXXXXX").string();
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    result.error = errorOf(errno);
    return true;
  }
  if (::ftruncate(fd, kFileSize) != 0 || ::flock(fd, LOCK_SH) != 0) {
    result.error = errorOf(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return true;
  }
  void* base = ::mmap(nullptr, kFileSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (base == MAP_FAILED) {
    result.error = errorOf(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return true;
  }
  auto* header = new (base) Header{kMagic, static_cast<std::uint32_t>(type), {}};
  std::snprintf(header->name, sizeof header->name, "%s", name.c_str());
  void* state = static_cast<char*>(base) + kStateOffset;
  init(state);
  if (::link(temp.c_str(), path.c_str()) != 0) {
    int error = errno;
    discard(state);
    ::munmap(base, kFileSize);
    ::close(fd);
    ::unlink(temp.c_str());
    if (error == EEXIST) return false;
    result.error = errorOf(error);
    return true;
  }
  ::unlink(temp.c_str());
  result.mapping = std::make_shared<Mapping>(fd, std::make_shared<Memory>(base), path, type);
  return true;
}

}  // namespace

std::string namedObjectFileName(std::string_view name) {
  static const char hex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '-' || c == '_') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += hex[u >> 4];
      encoded += hex[u & 15];
    }
  }
  constexpr std::size_t kMaxFileName = 200;
  if (encoded.size() <= kMaxFileName) return encoded;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over the whole name
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char suffix[20];
  std::snprintf(suffix, sizeof suffix, "~%016llx", static_cast<unsigned long long>(hash));
  return encoded.substr(0, kMaxFileName - 20) + suffix;
}

NamedOpen openNamed(std::string_view rawName, NamedType type, bool create, const std::function<void(void*)>& init,
                    const std::function<void(void*)>& discard) {
  NamedOpen out;
  std::string name;
  if (!normaliseName(rawName, name, out.error)) return out;
  fs::path dir = machine::current().runDir() / "objects";
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) {
    out.error = errorOf(ec.value());
    return out;
  }
  std::string path = (dir / namedObjectFileName(name)).string();

  auto& c = cache();
  std::lock_guard lock(c.mutex);
  if (auto it = c.entries.find(path); it != c.entries.end()) {
    if (auto mapping = it->second.lock()) {
      if (mapping->type() != type) {
        out.error = ERROR_INVALID_HANDLE;
        return out;
      }
      out.state = mapping->memory()->state();
      out.memory = mapping->memory();
      out.object = std::move(mapping);
      out.existed = true;
      return out;
    }
  }

  Opened opened;
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) {
      if (openExisting(fd, path, name, type, opened)) break;
      continue;
    }
    if (errno != ENOENT) {
      opened.error = errorOf(errno);
      break;
    }
    if (!create) {
      opened.error = ERROR_FILE_NOT_FOUND;
      break;
    }
    if (createNew(dir, path, name, type, init, discard, opened)) break;
  }
  if (!opened.mapping) {
    out.error = opened.error ? opened.error : ERROR_INVALID_HANDLE;
    return out;
  }
  c.entries[path] = opened.mapping;
  out.state = opened.mapping->memory()->state();
  out.memory = opened.mapping->memory();
  out.existed = opened.existed;
  out.object = std::move(opened.mapping);
  return out;
}

}  // namespace ombrin::sync
