#include "speaker_device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace ombrin::card {
namespace {

// 0 stands for the first speaker device; other identifiers must be the card's.
bool knownDevice(DWORD id) {
  if (id == 0) return true;
  for (DWORD device : kSpeakerDevices)
    if (device == id) return true;
  return false;
}

// A device identifier in the input, where the request carries one.
bool deviceInInput(Buffers& buffers) {
  return buffers.inSize < 4 || knownDevice(readDword(buffers.in)) || fail(buffers, ERROR_INVALID_PARAMETER);
}

// Write requests carry the device identifier in their output buffer.
bool deviceInOutput(Buffers& buffers) {
  return knownDevice(readDword(buffers.out)) || fail(buffers, ERROR_INVALID_PARAMETER);
}

bool applyConfig(CardState& state, Buffers& buffers, BYTE (&part)[28]) {
  if (!deviceInOutput(buffers)) return false;
  std::memcpy(part, buffers.in, sizeof part);
  ++state.configChanges;
  buffers.bytesReturned = 4;
  return true;
}

void writeText(BYTE* out, std::size_t room, const char* text) {
  std::memset(out, 0, room);
  std::memcpy(out, text, std::min(room - 1, std::strlen(text)));
}

constexpr std::size_t kCoreInfoSize = 268;
constexpr std::size_t kMixerInfoSize = 392;
constexpr std::size_t kAudioInfoSize = kCoreInfoSize + kMixerInfoSize;

}  // namespace

bool setWaveOption(CardState& state, Buffers& buffers) {
  state.waveOption = readDword(buffers.in);
  ++state.configChanges;
  return true;
}

// Flags, then what the core's configuration holds (bytes 4-27), the wave option, the count of
// changes and the device.
bool getStatus(CardState& state, Buffers& buffers) {
  if (!deviceInInput(buffers)) return false;
  std::memset(buffers.out, 0, 40);
  writeDword(buffers.out, kStatusRunning | (state.mixerConfigured ? kStatusMixerStatus : 0));
  std::memcpy(buffers.out + 4, state.coreConfig + 4, 24);
  writeDword(buffers.out + 28, state.waveOption);
  writeDword(buffers.out + 32, state.configChanges);
  writeDword(buffers.out + 36, readDword(buffers.in));
  buffers.bytesReturned = 40;
  return true;
}

bool getNextDeviceId(CardState& /*state*/, Buffers& buffers) {
  DWORD next = kSpeakerDevices[0];
  if (buffers.inSize == 4) {
    const DWORD current = readDword(buffers.in);
    next = 0;
    bool found = false;
    for (std::size_t i = 0; i < std::size(kSpeakerDevices); ++i) {
      if (kSpeakerDevices[i] != current) continue;
      found = true;
      next = i + 1 < std::size(kSpeakerDevices) ? kSpeakerDevices[i + 1] : 0;
    }
    if (!found) return fail(buffers, ERROR_INVALID_PARAMETER);
  }
  writeDword(buffers.out, next);
  buffers.bytesReturned = 4;
  return true;
}

bool setMixerConfig(CardState& state, Buffers& buffers) {
  if (!applyConfig(state, buffers, state.mixerConfig)) return false;
  state.mixerConfigured = 1;
  return true;
}

bool setCoreConfig(CardState& state, Buffers& buffers) { return applyConfig(state, buffers, state.coreConfig); }

bool setMixerConfigEx(CardState& state, Buffers& buffers) {
  if (!applyConfig(state, buffers, state.mixerConfigEx)) return false;
  state.mixerConfigured = 1;
  return true;
}

// The mixer's information: into a mixer record, or into its place in a whole audio information record.
bool getMixerInfo(CardState& /*state*/, Buffers& buffers) {
  if (!deviceInInput(buffers)) return false;
  if (buffers.outSize != kMixerInfoSize && buffers.outSize != kAudioInfoSize) return fail(buffers, ERROR_INVALID_PARAMETER);
  BYTE* mixer = buffers.outSize == kAudioInfoSize ? buffers.out + kCoreInfoSize : buffers.out;
  char text[64];
  std::snprintf(text, sizeof text, "Ombrin QV10 mixer: 2 outputs, device %u", readDword(buffers.in));
  writeText(mixer, kMixerInfoSize, text);
  buffers.bytesReturned = buffers.outSize;
  return true;
}

bool getCoreInfo(CardState& /*state*/, Buffers& buffers) {
  if (!deviceInInput(buffers)) return false;
  writeText(buffers.out, kCoreInfoSize, "Ombrin QV10 core: 10-band stereo equalizer, speaker compensation");
  buffers.bytesReturned = kCoreInfoSize;
  return true;
}

// The mixer's 28 bytes lead the status record: the same flags, then its configuration.
bool getMixerStatus(CardState& state, Buffers& buffers) {
  if (!deviceInInput(buffers)) return false;
  writeDword(buffers.out, kStatusRunning | kStatusMixerStatus);
  std::memcpy(buffers.out + 4, state.mixerConfig + 4, 24);
  buffers.bytesReturned = 28;
  return true;
}

}  // namespace ombrin::card
