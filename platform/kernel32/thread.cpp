#include <memory>

#include <pthread.h>
#include <unistd.h>

#include <ombrin/trace.h>

#include "sync_internal.h"

namespace ombrin::sync {
namespace {

thread_local std::shared_ptr<ThreadState> current;

void* threadMain(void* argument) {
  std::shared_ptr<ThreadState> state = *static_cast<std::shared_ptr<ThreadState>*>(argument);
  delete static_cast<std::shared_ptr<ThreadState>*>(argument);
  current = state;
  {
    std::lock_guard lock(state->mutex);
    state->id = static_cast<DWORD>(::gettid());
  }
  state->changed.notify_all();
  suspensionPoint();  // a thread created suspended starts when its count comes down to zero
  DWORD code = state->start(state->parameter);
  abandonOwnedMutexes();  // before anyone waiting for the thread goes on
  {
    std::lock_guard lock(state->mutex);
    state->exitCode = code;
    state->finished = true;
  }
  state->changed.notify_all();
  return nullptr;
}

// The thread behind a handle, the pseudo handle of the calling thread included.
std::shared_ptr<ThreadState> threadOf(HANDLE handle) {
  if (handle.value == kCurrentThreadPseudoHandle) return currentThreadState();
  auto thread = kernelObject<ThreadObject>(handle, KernelObject::Kind::Thread);
  return thread ? thread->state() : nullptr;
}

}  // namespace

const std::shared_ptr<ThreadState>& currentThreadState() {
  if (!current) {
    current = std::make_shared<ThreadState>();
    current->id = static_cast<DWORD>(::gettid());
  }
  return current;
}

void suspensionPoint() {
  const auto& state = currentThreadState();
  std::unique_lock lock(state->mutex);
  state->changed.wait(lock, [&] { return state->suspendCount == 0; });
}

DWORD ThreadObject::waitFor(DWORD milliseconds) {
  std::unique_lock lock(state_->mutex);
  auto ended = [this] { return state_->finished; };
  if (milliseconds == INFINITE) {
    state_->changed.wait(lock, ended);
    return WAIT_OBJECT_0;
  }
  return state_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ended) ? WAIT_OBJECT_0
                                                                                          : WAIT_TIMEOUT;
}

}  // namespace ombrin::sync

using namespace ombrin;
using namespace ombrin::sync;

extern "C" HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                                      LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (lpStartAddress == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    OMBRIN_TRACE("sync", "CreateThread(NULL routine) -> NULL");
    return HANDLE{};
  }
  auto state = std::make_shared<ThreadState>();
  state->start = lpStartAddress;
  state->parameter = lpParameter;
  if (dwCreationFlags & CREATE_SUSPENDED) state->suspendCount = 1;

  pthread_attr_t attributes;
  ::pthread_attr_init(&attributes);
  ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  std::size_t defaultSize = 0;
  ::pthread_attr_getstacksize(&attributes, &defaultSize);
  if (dwStackSize > defaultSize) {  // smaller requests get the host's default, which is plenty
    long page = ::sysconf(_SC_PAGESIZE);
    ::pthread_attr_setstacksize(&attributes, (dwStackSize + page - 1) / page * page);
  }
  auto* argument = new std::shared_ptr<ThreadState>(state);
  pthread_t thread;
  int rc = ::pthread_create(&thread, &attributes, threadMain, argument);
  ::pthread_attr_destroy(&attributes);
  if (rc != 0) {
    delete argument;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    OMBRIN_TRACE("sync", "CreateThread -> NULL, cannot start a thread");
    return HANDLE{};
  }
  DWORD id;
  {
    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->id != 0; });
    id = state->id;
  }
  HANDLE handle = kernelHandles().insert(std::make_shared<ThreadObject>(state));
  if (lpThreadId) *lpThreadId = id;
  OMBRIN_TRACE("sync", "CreateThread(flags %#x) -> %#x, id %u", dwCreationFlags, handle.value, id);
  return handle;
}

extern "C" DWORD WINAPI SuspendThread(HANDLE hThread) {
  auto state = threadOf(hThread);
  if (!state) {
    OMBRIN_TRACE("sync", "SuspendThread(%#x) -> -1, invalid handle", hThread.value);
    return static_cast<DWORD>(-1);
  }
  DWORD previous;
  {
    std::lock_guard lock(state->mutex);
    if (state->finished) {
      SetLastError(ERROR_ACCESS_DENIED);
      OMBRIN_TRACE("sync", "SuspendThread(%#x) -> -1, thread has ended", hThread.value);
      return static_cast<DWORD>(-1);
    }
    if (state->suspendCount >= MAXIMUM_SUSPEND_COUNT) {
      SetLastError(ERROR_SIGNAL_REFUSED);
      OMBRIN_TRACE("sync", "SuspendThread(%#x) -> -1, count at its limit", hThread.value);
      return static_cast<DWORD>(-1);
    }
    previous = state->suspendCount++;
  }
  OMBRIN_TRACE("sync", "SuspendThread(%#x) -> %u", hThread.value, previous);
  // A thread that suspends itself stops right here until another one resumes it.
  if (state == currentThreadState()) suspensionPoint();
  return previous;
}

extern "C" DWORD WINAPI ResumeThread(HANDLE hThread) {
  auto state = threadOf(hThread);
  if (!state) {
    OMBRIN_TRACE("sync", "ResumeThread(%#x) -> -1, invalid handle", hThread.value);
    return static_cast<DWORD>(-1);
  }
  DWORD previous;
  {
    std::lock_guard lock(state->mutex);
    previous = state->suspendCount;
    if (state->suspendCount > 0) --state->suspendCount;
  }
  if (previous == 1) state->changed.notify_all();
  OMBRIN_TRACE("sync", "ResumeThread(%#x) -> %u", hThread.value, previous);
  return previous;
}

extern "C" BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto state = threadOf(hThread);
  if (!state) return FALSE;
  if (lpExitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard lock(state->mutex);
  *lpExitCode = state->finished ? state->exitCode : STILL_ACTIVE;
  return TRUE;
}

extern "C" BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority) {
  auto state = threadOf(hThread);
  if (!state) return FALSE;
  bool known = (nPriority >= THREAD_PRIORITY_LOWEST && nPriority <= THREAD_PRIORITY_HIGHEST) ||
               nPriority == THREAD_PRIORITY_IDLE || nPriority == THREAD_PRIORITY_TIME_CRITICAL;
  if (!known) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The host schedules our threads alike; the priority is accepted and has no effect.
  OMBRIN_TRACE("sync", "SetThreadPriority(%#x, %d) -> TRUE", hThread.value, nPriority);
  return TRUE;
}

extern "C" DWORD WINAPI GetCurrentThreadId() { return static_cast<DWORD>(::gettid()); }

extern "C" HANDLE WINAPI GetCurrentThread() { return HANDLE{kCurrentThreadPseudoHandle}; }
