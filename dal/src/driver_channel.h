// How the library reaches the card's drivers: which device each interface opens for each
// Windows version, how it is opened, and how a request is sent.
#pragma once

#include <win32/windows.h>

#include "os_class.h"

namespace qv10dal {

enum class DeviceRole { Equalizer, SpeakerCore, SpeakerMixer, SpeakerWave };

struct DeviceRow {
  OsClass osClass;
  const char* equalizer;
  const char* speakerCore;
  const char* speakerMixer;  // null: the core device serves
  const char* speakerWave;
  DWORD flags;
};

// The row of a class; null for OS_UNSUPPORTED, for which nothing is opened.
const DeviceRow* FindDeviceRow(OsClass osClass);

// Opens the role's device with the row's flags; INVALID_HANDLE_VALUE on failure.
HANDLE OpenDriverDevice(OsClass osClass, DeviceRole role);

// One synchronous request; the driver's answer, nonzero on success.
BOOL SendRequest(HANDLE device, DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize);

// Tells the driver the client goes away (result ignored), then closes the handle.
void CloseClient(HANDLE device);

}  // namespace qv10dal
