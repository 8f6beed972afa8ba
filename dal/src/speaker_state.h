// The speaker interface's process-wide state, shared by all its objects under the named mutex.
#pragma once

#include <win32/windows.h>

#include "client_list.h"
#include "os_class.h"

namespace qv10dal {

constexpr const char* kSpeakerMutexName = "Speaker API DLL Mutex Handle name";

struct SpeakerModuleState {
  HANDLE core = INVALID_HANDLE_VALUE;
  HANDLE mixer = INVALID_HANDLE_VALUE;
  HANDLE wave = INVALID_HANDLE_VALUE;
  OsClass osClass = OS_UNSUPPORTED;
  LONG refCount = 0;
  ULONG speakerDeviceId = 0;
  CClientPoolList clients;  // built when the library loads, emptied when it unloads
};

SpeakerModuleState& SpeakerModule();

// Back to the state at load (the machine's reset has already dropped the handles).
void ResetSpeakerModule();

}  // namespace qv10dal
