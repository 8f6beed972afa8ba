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
