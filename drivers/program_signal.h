// The programme the card plays, as its level meters see it: a steady piece of music with a
// beat, so the peak indicators move. The equalizer shapes it unless it is bypassed.
#pragma once

#include <cstdint>

#include <win32/windows.h>

#include "card_state.h"

namespace ombrin::card {

// The level readings (1 to 32767) of the 20 band meters at a moment (milliseconds since any
// fixed start), after the gains when `equalized`, of the unequalized signal otherwise.
void programLevels(std::uint64_t milliseconds, const SHORT (&gains)[kGains], bool equalized, SHORT (&levels)[kGains]);

// Milliseconds on the machine's steady clock.
std::uint64_t signalClock();

}  // namespace ombrin::card
