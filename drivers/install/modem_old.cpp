// Installs the old soft-modem board, with the other software that stands beside it.
#include "editions.h"
#include "traces_modem.h"
#include "traces_neighbours.h"

namespace ombrin::card {

bool installModemOld(std::string& error) {
  return layDown(traces::kNeighbours, error) && layDown(traces::kModemOld, error);
}

}  // namespace ombrin::card
