// Band level readings of the driver on the band-step scale of the peak indicators.
#pragma once

#include <win32/windows.h>

namespace qv10dal {

// Nine octaves from 64 (-R) to 32767 (+R); readings of 0 or below give -R.
SHORT LevelToBandStep(SHORT reading, SHORT range);

}  // namespace qv10dal
