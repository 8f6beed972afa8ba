// Tracing of API calls, as OMBRIN_TRACE=file,ioctl,reg,... asks: one line per call on stderr.
#pragma once

#include <string_view>

namespace ombrin::trace {

// True when OMBRIN_TRACE names the family (or "all"). Read once; reset() re-reads it.
bool enabled(std::string_view family);
void reset();

// Prints "trace:<family>:<text>" to stderr when the family is enabled.
void print(std::string_view family, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace ombrin::trace

#define OMBRIN_TRACE(family, ...)                                     \
  do {                                                                \
    if (::ombrin::trace::enabled(family)) ::ombrin::trace::print(family, __VA_ARGS__); \
  } while (0)
