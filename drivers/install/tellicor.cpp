// Installs the modem vendor's own ISA and PCI modems, with the other software beside them.
#include "editions.h"
#include "traces_neighbours.h"
#include "traces_tellicor.h"

namespace ombrin::card {

bool installTellicorIsa(std::string& error) {
  return layDown(traces::kNeighbours, error) && layDown(traces::kTellicorIsa, error);
}

bool installTellicorPci(std::string& error) {
  return layDown(traces::kNeighbours, error) && layDown(traces::kTellicorPci, error);
}

}  // namespace ombrin::card
