#include <win32/winbase.h>

// Full barriers, as the Windows functions are.
extern "C" LONG WINAPI InterlockedIncrement(LONG volatile* lpAddend) {
  return __atomic_add_fetch(lpAddend, 1, __ATOMIC_SEQ_CST);
}

extern "C" LONG WINAPI InterlockedDecrement(LONG volatile* lpAddend) {
  return __atomic_sub_fetch(lpAddend, 1, __ATOMIC_SEQ_CST);
}

extern "C" LONG WINAPI InterlockedExchange(LONG volatile* Target, LONG Value) {
  return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}

extern "C" LONG WINAPI InterlockedCompareExchange(LONG volatile* Destination, LONG Exchange, LONG Comperand) {
  __atomic_compare_exchange_n(Destination, &Comperand, Exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return Comperand;  // the value found, whether or not it was replaced
}

extern "C" LONG WINAPI InterlockedExchangeAdd(LONG volatile* Addend, LONG Value) {
  return __atomic_fetch_add(Addend, Value, __ATOMIC_SEQ_CST);
}
