// The device installer's calls of co-installers for one installation.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include <win32/setupapi.h>

#include "card_device.h"

namespace ombrin::devinst {

// The steps Windows takes for installing a device, and for removing one.
extern const std::span<const DI_FUNCTION> kInstallSequence;
extern const std::span<const DI_FUNCTION> kRemoveSequence;

const char* difName(DI_FUNCTION code);

// Loads the device's co-installers and runs the sequence through them, co-installers before
// the default handling and, for those that ask, again after it with its result. Prints one
// line per call: step, co-installer (or "default"), result in hex. Returns false when a
// co-installer cannot be loaded or a step fails.
bool runSequence(const Device& device, std::span<const DI_FUNCTION> sequence, std::FILE* out);

}  // namespace ombrin::devinst
