// The states behind mutex, event and thread handles. A named object's state lives in a
// file of the machine mapped by every process that holds it; an unnamed one on the heap.
// Both are used through the same code, so both behave alike.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include <ctime>

#include <pthread.h>

#include <ombrin/handles.h>
#include <ombrin/sync.h>
#include <win32/winbase.h>

namespace ombrin::sync {

// A robust mutex: when its owner dies the next locker learns of it (EOWNERDEAD), even
// across processes. Windows' recursion count is kept per thread by the owner.
struct MutexState {
  pthread_mutex_t lock;
  std::atomic<std::uint32_t> abandoned;  // set by an owner thread that ended without releasing
  std::uint64_t identity;                // the same in every process, wherever it is mapped
};

struct EventState {
  std::atomic<std::uint32_t> signalled;
  std::atomic<std::uint32_t> sequence;  // futex word, bumped by every SetEvent
  std::uint32_t manualReset;
};

static_assert(std::atomic<std::uint32_t>::is_always_lock_free && sizeof(std::atomic<std::uint32_t>) == 4,
              "the futex word must be a plain 32-bit value");

// Both initialise a state in place, in memory that may be shared between processes.
void initMutexState(MutexState* state);
void initEventState(EventState* state, bool manualReset, bool initialState);

// Leaves the mutexes the calling thread still owns abandoned; for a thread that ends.
void abandonOwnedMutexes();

// The mutex part of a handle. `object` is the handle's hold on the object; `memory` keeps the
// state mapped, and an owning thread keeps it too, so that a mutex closed while owned goes
// away as on Windows but is never unmapped under its owner.
class MutexObject : public KernelObject, public Waitable {
 public:
  MutexObject(MutexState* state, std::shared_ptr<void> object, std::shared_ptr<void> memory)
      : KernelObject(Kind::Mutex), state_(state), object_(std::move(object)), memory_(std::move(memory)) {}
  DWORD waitFor(DWORD milliseconds) override;
  // Takes ownership for a creator that asked for it; the state is fresh, so it never blocks.
  void takeInitialOwnership();
  // Records ownership of a state its creator already locked.
  void adoptLocked();
  // False when the calling thread does not own the mutex.
  bool release();

 private:
  MutexState* state_;
  std::shared_ptr<void> object_;
  std::shared_ptr<void> memory_;
};

class EventObject : public KernelObject, public Waitable {
 public:
  EventObject(EventState* state, std::shared_ptr<void> keepAlive)
      : KernelObject(Kind::Event), state_(state), keepAlive_(std::move(keepAlive)) {}
  DWORD waitFor(DWORD milliseconds) override;
  void set();
  void reset();

 private:
  EventState* state_;
  std::shared_ptr<void> keepAlive_;
};

// One thread, whether CreateThread started it or it came from elsewhere (the main thread).
struct ThreadState {
  std::mutex mutex;
  std::condition_variable changed;
  DWORD id = 0;
  DWORD suspendCount = 0;
  bool finished = false;
  DWORD exitCode = STILL_ACTIVE;
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
};

// The calling thread's state, created on first use for threads the platform did not start.
const std::shared_ptr<ThreadState>& currentThreadState();

class ThreadObject : public KernelObject, public Waitable {
 public:
  explicit ThreadObject(std::shared_ptr<ThreadState> state) : KernelObject(Kind::Thread), state_(std::move(state)) {}
  DWORD waitFor(DWORD milliseconds) override;
  const std::shared_ptr<ThreadState>& state() const { return state_; }

 private:
  std::shared_ptr<ThreadState> state_;
};

// Waits on a futex word while it holds `expected`, up to an absolute CLOCK_MONOTONIC deadline
// (null: without limit). Returns false once the deadline has passed.
struct Deadline {
  explicit Deadline(DWORD milliseconds);
  bool infinite() const { return infinite_; }
  bool passed() const;
  // The deadline as an absolute CLOCK_MONOTONIC time.
  const struct timespec& at() const { return at_; }

 private:
  bool infinite_;
  struct timespec at_;
};
void futexWait(std::atomic<std::uint32_t>* word, std::uint32_t expected, const Deadline& deadline);
void futexWake(std::atomic<std::uint32_t>* word, int count);

// Wait results and pseudo handles in trace lines.
const char* waitResultName(DWORD result);
inline constexpr std::uint32_t kCurrentThreadPseudoHandle = 0xFFFFFFFEu;
inline constexpr std::uint32_t kCurrentProcessPseudoHandle = 0xFFFFFFFFu;

}  // namespace ombrin::sync
