// The log sink: every removal is reported as one line to an optional callback.
#include <cstdarg>
#include <cstdio>

#include "engine_internal.h"

int Uninstaller::Log(const char* text) {
  if (logCallback == nullptr) return 0;
  return logCallback(text);
}

LogCallback Uninstaller::SetLogCallback(LogCallback callback) {
  logCallback = callback;
  return callback;
}

namespace unombrin {

int LogLine(Uninstaller& engine, const char* format, ...) {
  char line[kLogLineSize];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  return engine.Log(line);
}

}  // namespace unombrin
