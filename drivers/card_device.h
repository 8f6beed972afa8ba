// The card's devices in the machine's \\.\ namespace.
#pragma once

#include <vector>

#include <ombrin/machine.h>

#include "card_requests.h"

namespace ombrin::card {

struct DeviceName {
  const char* name;          // without the \\.\ prefix
  std::vector<Unit> units;   // the card functions that answer through it
};

// The devices a real installation creates on this Windows version (none where it has no driver).
std::vector<DeviceName> deviceNamesFor(machine::WindowsVersion version);

// Registers the card's devices for the current machine.
void registerCardDevices();

// Answers one request of a device that serves `units`, against the shared state, the way the
// driver checks and fails it; for tests and the devices alike.
BOOL answerRequest(CardState& state, const std::vector<Unit>& units, DWORD code, const void* in, DWORD inSize,
                   void* out, DWORD outSize, DWORD& bytesReturned, DWORD& lastError);

}  // namespace ombrin::card
