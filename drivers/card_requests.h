// The requests the card's drivers answer, with the buffers each one takes. A request whose
// buffers do not fit fails as the driver would fail it, before its handler runs.
#pragma once

#include <string_view>

#include <win32/windows.h>

#include "card_state.h"

namespace ombrin::card {

// Which of the card's functions answers a request: on Windows 95/98 each has a device of its
// own; on NT 4.0 and 2000 one device serves all three.
enum class Unit { Core, Mixer, Wave };

struct Buffers {
  const BYTE* in;
  DWORD inSize;
  BYTE* out;
  DWORD outSize;
  DWORD bytesReturned = 0;
  DWORD error = 0;
};

// Fails a request with the error a driver would report.
inline bool fail(Buffers& buffers, DWORD error) {
  buffers.error = error;
  return false;
}

// Little-endian fields of the request buffers.
inline DWORD readDword(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
         static_cast<DWORD>(p[3]) << 24;
}
inline void writeDword(BYTE* p, DWORD value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(value >> (8 * i));
}
inline USHORT readWord(const BYTE* p) { return static_cast<USHORT>(p[0] | p[1] << 8); }
inline void writeWord(BYTE* p, USHORT value) {
  p[0] = static_cast<BYTE>(value & 0xFF);
  p[1] = static_cast<BYTE>(value >> 8);
}

using Handler = bool (*)(CardState& state, Buffers& buffers);

struct RequestRow {
  DWORD code;
  const char* name;
  Unit unit;
  DWORD inputSize;      // what the request must carry
  DWORD otherInputSize; // a second accepted size (the same when there is none)
  DWORD outputSize;     // the least output room it needs
  Handler handler;
};

const RequestRow* findRequest(DWORD code);
// By its name, without case, with or without the IOCTL_ prefix.
const RequestRow* findRequest(std::string_view name);
// The whole table, for listing.
const RequestRow* requestsBegin();
const RequestRow* requestsEnd();


// Failure codes of the drivers.
constexpr DWORD kErrorGenFailure = 31;         // the device does not work
constexpr DWORD kErrorNotConnected = 1167;     // the device is gone

}  // namespace ombrin::card
