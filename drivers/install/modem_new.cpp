// Installs the new soft-modem board, with the other software that stands beside it.
#include "editions.h"
#include "traces_modem.h"
#include "traces_neighbours.h"

namespace ombrin::card {

bool installModemNew(std::string& error) {
  return layDown(traces::kNeighbours, error) && layDown(traces::kModemNew, error);
}

}  // namespace ombrin::card
