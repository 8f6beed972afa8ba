#include "equalizer_device.h"

#include <cstring>

#include "program_signal.h"

namespace ombrin::card {
namespace {

bool compensationActive(const CardState& state) { return state.activeSet == kSpeakerCompensationSet; }

// The compensation set belongs to the card; only ordinary sets can be written.
CoeffSet* writableActiveSet(CardState& state) {
  return compensationActive(state) || state.activeSet >= kOrdinarySets ? nullptr : &state.sets[state.activeSet];
}

// The 20-entry gain record: numGains, then 20 signed 16-bit entries.
void writeGainRecord(BYTE* out, DWORD numGains, const SHORT (&gains)[kGains]) {
  writeDword(out, numGains);
  for (int i = 0; i < kGains; ++i) writeWord(out + 4 + 2 * i, static_cast<USHORT>(gains[i]));
}

// The bypass property's request: kind 1, 0, the selector, size 4, value.
constexpr DWORD kBypassProperty = 0xFFFF0009;
bool isBypassRequest(const BYTE* in) {
  return in[0] == 1 && readDword(in + 1) == 0 && readDword(in + 5) == kBypassProperty && readWord(in + 9) == 4;
}
void writePropertyReply(BYTE* out, DWORD value) {
  writeDword(out, 0);
  writeWord(out + 4, 4);
  writeDword(out + 6, value);
}

}  // namespace

const CoeffSet& activeCoeffSet(const CardState& state) {
  if (compensationActive(state)) return state.compensation;
  return state.sets[state.activeSet < kOrdinarySets ? state.activeSet : 0];
}

bool setBandGain(CardState& state, Buffers& buffers) {
  const USHORT band = readWord(buffers.in);
  const DWORD channel = readDword(buffers.in + 4);
  const auto gain = static_cast<SHORT>(readWord(buffers.in + 8));
  if (band >= kBands) return fail(buffers, ERROR_INVALID_PARAMETER);
  CoeffSet* set = writableActiveSet(state);
  if (set == nullptr) return fail(buffers, ERROR_ACCESS_DENIED);
  setGainOf(*set, channel == 1 ? band + kBands : band, gain);
  return true;
}

bool setAllGains(CardState& state, Buffers& buffers) {
  const DWORD numGains = readDword(buffers.in);
  if (numGains > static_cast<DWORD>(kGains)) return fail(buffers, ERROR_INVALID_PARAMETER);
  CoeffSet* set = writableActiveSet(state);
  if (set == nullptr) return fail(buffers, ERROR_ACCESS_DENIED);
  for (DWORD i = 0; i < numGains; ++i)
    setGainOf(*set, static_cast<int>(i), static_cast<SHORT>(readWord(buffers.in + 4 + 2 * i)));
  return true;
}

bool getAllGains(CardState& state, Buffers& buffers) {
  SHORT gains[kGains];
  const CoeffSet& set = activeCoeffSet(state);
  for (int i = 0; i < kGains; ++i) gains[i] = gainOf(set, i);
  writeGainRecord(buffers.out, kGains, gains);
  buffers.bytesReturned = 44;
  return true;
}

bool getBandLevels(CardState& state, Buffers& buffers) {
  SHORT gains[kGains];
  const CoeffSet& set = activeCoeffSet(state);
  for (int i = 0; i < kGains; ++i) gains[i] = gainOf(set, i);
  SHORT levels[kGains];
  // Bypass takes the equalizer out of the signal path, so the meters see the programme as it is.
  programLevels(signalClock(), gains, state.bypass == 0, levels);
  writeGainRecord(buffers.out, static_cast<DWORD>(state.levelCount), levels);
  buffers.bytesReturned = 44;
  return true;
}

bool setCoeffSetData(CardState& state, Buffers& buffers) {
  const DWORD number = readDword(buffers.in);
  if (number >= kOrdinarySets) return fail(buffers, ERROR_INVALID_PARAMETER);
  std::memcpy(state.sets[number].data, buffers.in + 4, kCoeffDataSize);
  return true;
}

bool getCoeffSetData(CardState& state, Buffers& buffers) {
  // The caller names the set in the output record itself.
  const DWORD number = readDword(buffers.out);
  const CoeffSet* set = nullptr;
  if (number < kOrdinarySets) set = &state.sets[number];
  if (number == kSpeakerCompensationSet && state.noSpeakerCompensation == 0) set = &state.compensation;
  if (set == nullptr) return fail(buffers, ERROR_INVALID_PARAMETER);
  std::memcpy(buffers.out + 4, set->data, kCoeffDataSize);
  buffers.bytesReturned = 248;
  return true;
}

bool setActiveCoeffSet(CardState& state, Buffers& buffers) {
  const DWORD number = readDword(buffers.in);
  if (number == kSpeakerCompensationSet) {
    if (state.noSpeakerCompensation != 0) return fail(buffers, ERROR_NOT_SUPPORTED);
  } else if (number >= kOrdinarySets) {
    return fail(buffers, ERROR_INVALID_PARAMETER);
  }
  state.activeSet = number;
  return true;
}

bool getActiveCoeffSet(CardState& state, Buffers& buffers) {
  writeDword(buffers.out, state.activeSet);
  buffers.bytesReturned = 4;
  return true;
}

bool setActiveCoeffSetData(CardState& state, Buffers& buffers) {
  CoeffSet* set = writableActiveSet(state);
  if (set == nullptr) return fail(buffers, ERROR_ACCESS_DENIED);
  std::memcpy(set->data, buffers.in + 4, kCoeffDataSize);
  return true;
}

bool getActiveCoeffSetData(CardState& state, Buffers& buffers) {
  writeDword(buffers.out, state.activeSet);
  std::memcpy(buffers.out + 4, activeCoeffSet(state).data, kCoeffDataSize);
  buffers.bytesReturned = 248;
  return true;
}

bool closeClient(CardState& /*state*/, Buffers& /*buffers*/) { return true; }

bool setProperty(CardState& state, Buffers& buffers) {
  if (!isBypassRequest(buffers.in)) return fail(buffers, ERROR_INVALID_PARAMETER);
  state.bypass = readDword(buffers.in + 11) != 0 ? 1 : 0;
  writePropertyReply(buffers.out, state.bypass);
  buffers.bytesReturned = 10;
  return true;
}

bool getProperty(CardState& state, Buffers& buffers) {
  if (!isBypassRequest(buffers.in)) return fail(buffers, ERROR_INVALID_PARAMETER);
  writePropertyReply(buffers.out, state.bypass);
  buffers.bytesReturned = 10;
  return true;
}

}  // namespace ombrin::card
