// Faults scripted through the machine tool, so every error path of a program can be reached.
#pragma once

#include "card_state.h"

namespace ombrin::card {

// Makes a request fail `count` more times (kAlways: until cleared; 0: clears it).
bool scriptRequestFault(CardState& state, DWORD code, DWORD count);

// True when the request is to fail now; uses up one failure.
bool takeRequestFault(CardState& state, DWORD code);

}  // namespace ombrin::card
