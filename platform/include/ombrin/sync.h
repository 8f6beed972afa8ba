// Waiting on kernel objects and the Windows thread suspend count, for every component of
// the platform: an object that WaitForSingleObject can wait on derives from Waitable as well
// as from KernelObject, and every blocking call of the platform passes a suspension point.
#pragma once

#include <win32/windef.h>

namespace ombrin::sync {

class Waitable {
 public:
  virtual ~Waitable() = default;
  // Waits up to `milliseconds` (INFINITE: without limit) for the object to be signalled;
  // returns WAIT_OBJECT_0, WAIT_ABANDONED or WAIT_TIMEOUT.
  virtual DWORD waitFor(DWORD milliseconds) = 0;
};

// Blocks the calling thread while its suspend count is above zero. Windows stops a suspended
// thread at once; here it stops at its next wait, which is where the system's threads spend
// their time anyway.
void suspensionPoint();

}  // namespace ombrin::sync
