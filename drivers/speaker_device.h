// The speaker requests of the card: configuration, status, audio information, device identifiers.
#pragma once

#include "card_requests.h"

namespace ombrin::card {

bool setWaveOption(CardState& state, Buffers& buffers);
bool getStatus(CardState& state, Buffers& buffers);
bool getNextDeviceId(CardState& state, Buffers& buffers);
bool setMixerConfig(CardState& state, Buffers& buffers);
bool setCoreConfig(CardState& state, Buffers& buffers);
bool getMixerInfo(CardState& state, Buffers& buffers);
bool getCoreInfo(CardState& state, Buffers& buffers);
bool getMixerStatus(CardState& state, Buffers& buffers);
bool setMixerConfigEx(CardState& state, Buffers& buffers);

// Bit 5 of the status flags: the mixer has status to add.
constexpr DWORD kStatusMixerStatus = 0x20;
constexpr DWORD kStatusRunning = 0x01;

}  // namespace ombrin::card
