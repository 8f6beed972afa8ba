#include <cerrno>
#include <ctime>

#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ombrin/trace.h>

#include "sync_internal.h"

namespace ombrin::sync {
namespace {

timespec now() {
  timespec t;
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return t;
}

}  // namespace

Deadline::Deadline(DWORD milliseconds) : infinite_(milliseconds == INFINITE), at_(now()) {
  if (infinite_) return;
  at_.tv_sec += milliseconds / 1000;
  at_.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (at_.tv_nsec >= 1000000000L) {
    at_.tv_sec += 1;
    at_.tv_nsec -= 1000000000L;
  }
}

bool Deadline::passed() const {
  if (infinite_) return false;
  timespec t = now();
  return t.tv_sec > at_.tv_sec || (t.tv_sec == at_.tv_sec && t.tv_nsec >= at_.tv_nsec);
}

void futexWait(std::atomic<std::uint32_t>* word, std::uint32_t expected, const Deadline& deadline) {
  // The word may sit in memory shared with other processes, so no private futex here.
  // FUTEX_WAIT_BITSET takes an absolute CLOCK_MONOTONIC time.
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAIT_BITSET, expected,
            deadline.infinite() ? nullptr : &deadline.at(), nullptr, FUTEX_BITSET_MATCH_ANY);
}

void futexWake(std::atomic<std::uint32_t>* word, int count) {
  ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAKE, count, nullptr, nullptr, 0);
}

const char* waitResultName(DWORD result) {
  switch (result) {
    case WAIT_OBJECT_0:
      return "WAIT_OBJECT_0";
    case WAIT_ABANDONED:
      return "WAIT_ABANDONED";
    case WAIT_TIMEOUT:
      return "WAIT_TIMEOUT";
    default:
      return "WAIT_FAILED";
  }
}

}  // namespace ombrin::sync

using namespace ombrin;
using namespace ombrin::sync;

extern "C" DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  std::shared_ptr<KernelObject> object;
  if (hHandle.value == kCurrentThreadPseudoHandle)
    object = std::make_shared<ThreadObject>(currentThreadState());
  else
    object = kernelHandles().find(hHandle);
  auto* waitable = dynamic_cast<Waitable*>(object.get());
  if (waitable == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    OMBRIN_TRACE("sync", "WaitForSingleObject(%#x, %u) -> WAIT_FAILED, invalid handle", hHandle.value, dwMilliseconds);
    return WAIT_FAILED;
  }
  suspensionPoint();
  DWORD result = waitable->waitFor(dwMilliseconds);
  suspensionPoint();
  OMBRIN_TRACE("sync", "WaitForSingleObject(%#x, %u) -> %s", hHandle.value, dwMilliseconds, waitResultName(result));
  return result;
}

extern "C" void WINAPI Sleep(DWORD dwMilliseconds) {
  suspensionPoint();
  if (dwMilliseconds == 0) {
    ::sched_yield();
  } else {
    Deadline deadline(dwMilliseconds);
    if (deadline.infinite()) {
      for (;;) ::pause();
    }
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline.at(), nullptr) == EINTR) {
    }
  }
  suspensionPoint();
}

extern "C" DWORD WINAPI GetTickCount() {
  timespec t;
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  // Milliseconds since the host started, wrapping after 49.7 days as on Windows.
  auto ms = static_cast<std::uint64_t>(t.tv_sec) * 1000u + static_cast<std::uint64_t>(t.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}
