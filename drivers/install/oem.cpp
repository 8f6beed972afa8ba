// Installs the OEM modem edition, with the other software that stands beside it.
#include "editions.h"
#include "traces_modem.h"
#include "traces_neighbours.h"

namespace ombrin::card {

bool installOem(std::string& error) { return layDown(traces::kNeighbours, error) && layDown(traces::kOem, error); }

}  // namespace ombrin::card
