// Band steps as the equalizer's users see them, for showing the card's gains to people:
// the band table the machine's registry holds for the driver, with the driver's defaults.
#pragma once

#include <win32/windows.h>

#include <ombrin/machine.h>

#include "card_state.h"

namespace ombrin::card {

struct BandScale {
  SHORT range = 20;
  LONG minGain = kMinGain;
  LONG maxGain = kMaxGain;
  USHORT mid[kGains];

  static BandScale read(machine::WindowsVersion version);
  // The band step a driver gain stands for (the centre is 0; an empty half maps to its end).
  SHORT stepOf(SHORT gain, int entry) const;
};

}  // namespace ombrin::card
