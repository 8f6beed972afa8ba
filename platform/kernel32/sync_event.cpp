#include <climits>
#include <new>

#include <ombrin/trace.h>

#include "named_objects.h"
#include "sync_internal.h"

namespace ombrin::sync {

void initEventState(EventState* state, bool manualReset, bool initialState) {
  new (&state->signalled) std::atomic<std::uint32_t>(initialState ? 1 : 0);
  new (&state->sequence) std::atomic<std::uint32_t>(0);
  state->manualReset = manualReset ? 1 : 0;
}

DWORD EventObject::waitFor(DWORD milliseconds) {
  Deadline deadline(milliseconds);
  for (;;) {
    std::uint32_t seen = state_->sequence.load();
    if (state_->manualReset) {
      if (state_->signalled.load() != 0) return WAIT_OBJECT_0;
    } else {
      std::uint32_t expected = 1;  // an automatic event lets exactly one waiter through
      if (state_->signalled.compare_exchange_strong(expected, 0)) return WAIT_OBJECT_0;
    }
    if (milliseconds == 0 || deadline.passed()) return WAIT_TIMEOUT;
    futexWait(&state_->sequence, seen, deadline);
  }
}

void EventObject::set() {
  state_->signalled.store(1);
  state_->sequence.fetch_add(1);
  futexWake(&state_->sequence, state_->manualReset ? INT_MAX : 1);
}

void EventObject::reset() { state_->signalled.store(0); }

}  // namespace ombrin::sync

using namespace ombrin;
using namespace ombrin::sync;

extern "C" HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName) {
  bool manual = bManualReset != FALSE;
  bool initial = bInitialState != FALSE;
  if (lpName == nullptr || *lpName == '\0') {
    auto block = std::make_shared<EventState>();
    initEventState(block.get(), manual, initial);
    HANDLE handle = kernelHandles().insert(std::make_shared<EventObject>(block.get(), block));
    SetLastError(ERROR_SUCCESS);
    OMBRIN_TRACE("sync", "CreateEventA(%d, %d, (null)) -> %#x", bManualReset, bInitialState, handle.value);
    return handle;
  }
  auto opened = openNamed(
      lpName, NamedType::Event, true,
      [manual, initial](void* state) { initEventState(static_cast<EventState*>(state), manual, initial); },
      [](void*) {});
  if (!opened.object) {
    SetLastError(opened.error);
    OMBRIN_TRACE("sync", "CreateEventA(%d, %d, \"%s\") -> NULL, error %u", bManualReset, bInitialState, lpName,
                 opened.error);
    return HANDLE{};
  }
  // An existing event keeps its own reset mode and state.
  HANDLE handle = kernelHandles().insert(std::make_shared<EventObject>(static_cast<EventState*>(opened.state), opened.object));
  SetLastError(opened.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  OMBRIN_TRACE("sync", "CreateEventA(%d, %d, \"%s\") -> %#x%s", bManualReset, bInitialState, lpName, handle.value,
               opened.existed ? " (already exists)" : "");
  return handle;
}

extern "C" HANDLE WINAPI OpenEventA(DWORD dwDesiredAccess, BOOL, LPCSTR lpName) {
  if (lpName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    OMBRIN_TRACE("sync", "OpenEventA(%#x, (null)) -> NULL", dwDesiredAccess);
    return HANDLE{};
  }
  auto opened = openNamed(lpName, NamedType::Event, false, [](void*) {}, [](void*) {});
  if (!opened.object) {
    SetLastError(opened.error);
    OMBRIN_TRACE("sync", "OpenEventA(%#x, \"%s\") -> NULL, error %u", dwDesiredAccess, lpName, opened.error);
    return HANDLE{};
  }
  HANDLE handle = kernelHandles().insert(std::make_shared<EventObject>(static_cast<EventState*>(opened.state), opened.object));
  OMBRIN_TRACE("sync", "OpenEventA(%#x, \"%s\") -> %#x", dwDesiredAccess, lpName, handle.value);
  return handle;
}

extern "C" BOOL WINAPI SetEvent(HANDLE hEvent) {
  auto event = kernelObject<EventObject>(hEvent, KernelObject::Kind::Event);
  if (event) event->set();
  OMBRIN_TRACE("sync", "SetEvent(%#x) -> %s", hEvent.value, event ? "TRUE" : "FALSE, invalid handle");
  return event ? TRUE : FALSE;
}

extern "C" BOOL WINAPI ResetEvent(HANDLE hEvent) {
  auto event = kernelObject<EventObject>(hEvent, KernelObject::Kind::Event);
  if (event) event->reset();
  OMBRIN_TRACE("sync", "ResetEvent(%#x) -> %s", hEvent.value, event ? "TRUE" : "FALSE, invalid handle");
  return event ? TRUE : FALSE;
}
