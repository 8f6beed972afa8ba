// The equalizer interface's state: one copy per process, as the interface's objects carry nothing.
#pragma once

#include <atomic>

#include <win32/windows.h>

#include "band_table.h"
#include "os_class.h"
#include "property_records.h"

namespace qv10dal {

constexpr ULONG kSpeakerCompensationSet = 0xFFFFFFFF;
constexpr ULONG kHighestOrdinarySet = 0xFFFF;

struct EqModuleState {
  HANDLE equalizer = INVALID_HANDLE_VALUE;
  _propertyRequest* propertyRequest = nullptr;  // on the heap from Init to the destructor
  _propertyReply* propertyReply = nullptr;
  // Single words written only by successful set requests, read from any thread.
  std::atomic<int> bypass{0};
  std::atomic<ULONG> activeSet{0};
  OsClass osClass = OS_UNSUPPORTED;
  BandTable bandTable;
};

EqModuleState& EqModule();

// Back to the state the library has when it is loaded (handles are not closed: the machine's
// reset has already dropped them).
void ResetEqModule();

}  // namespace qv10dal
