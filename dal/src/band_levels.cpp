#include "band_levels.h"

#include <cmath>
#include <cstdint>

namespace qv10dal {

SHORT LevelToBandStep(SHORT reading, SHORT range) {
  if (reading <= 0) return static_cast<SHORT>(-range);
  const long double stepsPerOctave = (2.0L * range + 1.0L) / 9.0L;
  const long double octaves = std::log2(static_cast<long double>(reading) / 16384.0L) + 8.0L;
  const auto level = static_cast<std::int64_t>(std::trunc(stepsPerOctave * octaves)) - range;
  return static_cast<SHORT>(static_cast<std::uint16_t>(static_cast<std::uint64_t>(level)));
}

}  // namespace qv10dal
