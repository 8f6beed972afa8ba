#include <cerrno>
#include <mutex>
#include <new>
#include <random>
#include <unordered_map>

#include <ombrin/trace.h>

#include "named_objects.h"
#include "sync_internal.h"

namespace ombrin::sync {
namespace {

struct Owned {
  DWORD count;
  MutexState* lockedAt;  // robust locks are released through the address they were taken at
  std::shared_ptr<void> memory;
};

// The mutexes a thread owns, with Windows' recursion counts. A thread that ends while it
// still owns some leaves them abandoned: the next waiter gets WAIT_ABANDONED and ownership.
// (A process that dies is covered by the robust mutex itself.)
struct Ownership {
  std::unordered_map<std::uint64_t, Owned> held;  // by identity
  Ownership() = default;
  Ownership(const Ownership&) = delete;
  Ownership& operator=(const Ownership&) = delete;
  ~Ownership() { abandonAll(); }
  void abandonAll() {
    auto owned = std::move(held);
    held.clear();
    for (auto& [identity, entry] : owned) {
      entry.lockedAt->abandoned.store(1);
      ::pthread_mutex_unlock(&entry.lockedAt->lock);
    }
  }
};

Ownership& ownership() {
  thread_local Ownership mine;
  return mine;
}

void adopt(MutexState* state, const std::shared_ptr<void>& memory) {
  ownership().held.emplace(state->identity, Owned{1, state, memory});
}

std::uint64_t newIdentity() {
  static std::mutex mutex;
  static std::random_device device;
  std::lock_guard lock(mutex);
  return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

}  // namespace

void abandonOwnedMutexes() { ownership().abandonAll(); }

void initMutexState(MutexState* state) {
  pthread_mutexattr_t attributes;
  ::pthread_mutexattr_init(&attributes);
  ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  ::pthread_mutex_init(&state->lock, &attributes);
  ::pthread_mutexattr_destroy(&attributes);
  new (&state->abandoned) std::atomic<std::uint32_t>(0);
  state->identity = newIdentity();
}

DWORD MutexObject::waitFor(DWORD milliseconds) {
  auto& held = ownership().held;
  if (auto it = held.find(state_->identity); it != held.end()) {
    ++it->second.count;
    return WAIT_OBJECT_0;
  }
  int rc;
  if (milliseconds == INFINITE) {
    rc = ::pthread_mutex_lock(&state_->lock);
  } else if (milliseconds == 0) {
    rc = ::pthread_mutex_trylock(&state_->lock);
  } else {
    Deadline deadline(milliseconds);
    rc = ::pthread_mutex_clocklock(&state_->lock, CLOCK_MONOTONIC, &deadline.at());
  }
  if (rc == EBUSY || rc == ETIMEDOUT) return WAIT_TIMEOUT;
  DWORD result = WAIT_OBJECT_0;
  if (rc == EOWNERDEAD) {  // the owner's process died holding it
    ::pthread_mutex_consistent(&state_->lock);
    result = WAIT_ABANDONED;
  } else if (rc != 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (state_->abandoned.exchange(0) != 0) result = WAIT_ABANDONED;
  adopt(state_, memory_);
  return result;
}

void MutexObject::takeInitialOwnership() {
  ::pthread_mutex_lock(&state_->lock);
  adopt(state_, memory_);
}

void MutexObject::adoptLocked() { adopt(state_, memory_); }

bool MutexObject::release() {
  auto& held = ownership().held;
  auto it = held.find(state_->identity);
  if (it == held.end()) return false;
  if (--it->second.count == 0) {
    auto memory = std::move(it->second.memory);  // unmapped only after the unlock
    MutexState* lockedAt = it->second.lockedAt;
    held.erase(it);
    ::pthread_mutex_unlock(&lockedAt->lock);
  }
  return true;
}

}  // namespace ombrin::sync

using namespace ombrin;
using namespace ombrin::sync;

namespace {

const char* text(LPCSTR name) { return name ? name : "(null)"; }

HANDLE publish(std::shared_ptr<KernelObject> object) { return kernelHandles().insert(std::move(object)); }

}  // namespace

extern "C" HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
  if (lpName == nullptr || *lpName == '\0') {
    auto block = std::make_shared<MutexState>();
    initMutexState(block.get());
    auto mutex = std::make_shared<MutexObject>(block.get(), block, block);
    if (bInitialOwner) mutex->takeInitialOwnership();
    HANDLE handle = publish(mutex);
    SetLastError(ERROR_SUCCESS);
    OMBRIN_TRACE("sync", "CreateMutexA(%d, (null)) -> %#x", bInitialOwner, handle.value);
    return handle;
  }
  bool owner = bInitialOwner != FALSE;
  auto opened = openNamed(
      lpName, NamedType::Mutex, true,
      [owner](void* state) {
        initMutexState(static_cast<MutexState*>(state));
        if (owner) ::pthread_mutex_lock(&static_cast<MutexState*>(state)->lock);
      },
      [owner](void* state) {
        if (owner) ::pthread_mutex_unlock(&static_cast<MutexState*>(state)->lock);
      });
  if (!opened.object) {
    SetLastError(opened.error);
    OMBRIN_TRACE("sync", "CreateMutexA(%d, \"%s\") -> NULL, error %u", bInitialOwner, lpName, opened.error);
    return HANDLE{};
  }
  auto mutex = std::make_shared<MutexObject>(static_cast<MutexState*>(opened.state), opened.object, opened.memory);
  // The creator of a new mutex may own it from the start; an existing one is only opened.
  if (owner && !opened.existed) mutex->adoptLocked();
  HANDLE handle = publish(mutex);
  SetLastError(opened.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  OMBRIN_TRACE("sync", "CreateMutexA(%d, \"%s\") -> %#x%s", bInitialOwner, lpName, handle.value,
               opened.existed ? " (already exists)" : "");
  return handle;
}

extern "C" HANDLE WINAPI OpenMutexA(DWORD dwDesiredAccess, BOOL, LPCSTR lpName) {
  if (lpName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    OMBRIN_TRACE("sync", "OpenMutexA(%#x, (null)) -> NULL", dwDesiredAccess);
    return HANDLE{};
  }
  auto opened = openNamed(lpName, NamedType::Mutex, false, [](void*) {}, [](void*) {});
  if (!opened.object) {
    SetLastError(opened.error);
    OMBRIN_TRACE("sync", "OpenMutexA(%#x, \"%s\") -> NULL, error %u", dwDesiredAccess, text(lpName), opened.error);
    return HANDLE{};
  }
  HANDLE handle =
      publish(std::make_shared<MutexObject>(static_cast<MutexState*>(opened.state), opened.object, opened.memory));
  OMBRIN_TRACE("sync", "OpenMutexA(%#x, \"%s\") -> %#x", dwDesiredAccess, lpName, handle.value);
  return handle;
}

extern "C" BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
  auto mutex = kernelObject<MutexObject>(hMutex, KernelObject::Kind::Mutex);
  if (!mutex) {
    OMBRIN_TRACE("sync", "ReleaseMutex(%#x) -> FALSE, invalid handle", hMutex.value);
    return FALSE;
  }
  if (!mutex->release()) {
    SetLastError(ERROR_NOT_OWNER);
    OMBRIN_TRACE("sync", "ReleaseMutex(%#x) -> FALSE, not owner", hMutex.value);
    return FALSE;
  }
  OMBRIN_TRACE("sync", "ReleaseMutex(%#x) -> TRUE", hMutex.value);
  return TRUE;
}
