// Installs the combined sound-and-modem card, with the other software that stands beside it.
#include "editions.h"
#include "traces_combined.h"
#include "traces_neighbours.h"

namespace ombrin::card {

bool installCombined(std::string& error) {
  return layDown(traces::kNeighbours, error) && layDown(traces::kCombined, error);
}

}  // namespace ombrin::card
