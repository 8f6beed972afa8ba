// The equalizer requests of the card: gains, coefficient sets, bypass and band levels.
#pragma once

#include "card_requests.h"

namespace ombrin::card {

bool setBandGain(CardState& state, Buffers& buffers);
bool setAllGains(CardState& state, Buffers& buffers);
bool getAllGains(CardState& state, Buffers& buffers);
bool getBandLevels(CardState& state, Buffers& buffers);
bool setCoeffSetData(CardState& state, Buffers& buffers);
bool getCoeffSetData(CardState& state, Buffers& buffers);
bool setActiveCoeffSet(CardState& state, Buffers& buffers);
bool getActiveCoeffSet(CardState& state, Buffers& buffers);
bool setActiveCoeffSetData(CardState& state, Buffers& buffers);
bool getActiveCoeffSetData(CardState& state, Buffers& buffers);
bool closeClient(CardState& state, Buffers& buffers);
bool setProperty(CardState& state, Buffers& buffers);
bool getProperty(CardState& state, Buffers& buffers);

// The set whose gains the hardware applies now (the speaker compensation set included).
const CoeffSet& activeCoeffSet(const CardState& state);

}  // namespace ombrin::card
