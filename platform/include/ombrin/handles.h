// Per-process handle tables: what a 32-bit handle value stands for.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <win32/windef.h>

namespace ombrin {

// A kernel object reachable through a HANDLE: files, mappings, mutexes, events, threads,
// find searches, devices, tokens. Objects live as long as a handle refers to them.
class KernelObject {
 public:
  enum class Kind { File, Device, Mapping, Mutex, Event, Thread, Find, Token, Process };
  explicit KernelObject(Kind kind) : kind_(kind) {}
  virtual ~KernelObject() = default;
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// Issues handle values as Windows does (multiples of 4, never 0 or -1) and maps them back.
template <typename Handle, typename Object>
class HandleTable {
 public:
  Handle insert(std::shared_ptr<Object> object) {
    std::lock_guard lock(mutex_);
    do {
      next_ += 4;
      if (next_ >= 0x7FFFFFF0u) next_ = 4;
    } while (objects_.count(next_) != 0);
    objects_.emplace(next_, std::move(object));
    return Handle{next_};
  }
  std::shared_ptr<Object> find(Handle handle) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle.value);
    return it == objects_.end() ? nullptr : it->second;
  }
  std::shared_ptr<Object> remove(Handle handle) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle.value);
    if (it == objects_.end()) return nullptr;
    auto object = std::move(it->second);
    objects_.erase(it);
    return object;
  }
  void clear() {
    std::unordered_map<std::uint32_t, std::shared_ptr<Object>> old;
    {
      std::lock_guard lock(mutex_);
      old.swap(objects_);
      next_ = 0;
    }
  }
  std::size_t size() const {
    std::lock_guard lock(mutex_);
    return objects_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::uint32_t next_ = 0;
  std::unordered_map<std::uint32_t, std::shared_ptr<Object>> objects_;
};

// The process's table of kernel handles (HANDLE).
HandleTable<HANDLE, KernelObject>& kernelHandles();

// The kernel object behind a handle, if it is of the wanted kind; otherwise sets
// ERROR_INVALID_HANDLE and returns null.
template <typename T>
std::shared_ptr<T> kernelObject(HANDLE handle, KernelObject::Kind kind);

}  // namespace ombrin

#include <win32/winbase.h>

template <typename T>
std::shared_ptr<T> ombrin::kernelObject(HANDLE handle, KernelObject::Kind kind) {
  auto object = kernelHandles().find(handle);
  if (!object || object->kind() != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return std::static_pointer_cast<T>(object);
}
