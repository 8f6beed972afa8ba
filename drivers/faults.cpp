#include "faults.h"

namespace ombrin::card {

bool scriptRequestFault(CardState& state, DWORD code, DWORD count) {
  RequestFault* free = nullptr;
  for (auto& fault : state.requestFaults) {
    if (fault.code == code) {
      fault.remaining = count;
      if (count == 0) fault.code = 0;
      return true;
    }
    if (fault.code == 0 && free == nullptr) free = &fault;
  }
  if (count == 0) return true;
  if (free == nullptr) return false;
  free->code = code;
  free->remaining = count;
  return true;
}

bool takeRequestFault(CardState& state, DWORD code) {
  for (auto& fault : state.requestFaults) {
    if (fault.code != code || fault.remaining == 0) continue;
    if (fault.remaining != kAlways && --fault.remaining == 0) fault.code = 0;
    return true;
  }
  return false;
}

}  // namespace ombrin::card
