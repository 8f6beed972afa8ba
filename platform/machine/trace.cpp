#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include <ombrin/trace.h>

namespace ombrin::trace {
namespace {

struct Families {
  std::mutex mutex;
  bool loaded = false;
  bool all = false;
  std::vector<std::string> names;
};

Families& families() {
  static Families f;
  return f;
}

void load(Families& f) {
  f.names.clear();
  f.all = false;
  const char* wanted = std::getenv("OMBRIN_TRACE");
  std::string text = wanted ? wanted : "";
  std::size_t start = 0;
  while (start <= text.size()) {
    auto comma = text.find(',', start);
    auto name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (name == "all") f.all = true;
    if (!name.empty()) f.names.push_back(name);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  f.loaded = true;
}

}  // namespace

bool enabled(std::string_view family) {
  auto& f = families();
  std::lock_guard lock(f.mutex);
  if (!f.loaded) load(f);
  if (f.all) return true;
  for (const auto& name : f.names)
    if (name == family) return true;
  return false;
}

void reset() {
  auto& f = families();
  std::lock_guard lock(f.mutex);
  f.loaded = false;
}

void print(std::string_view family, const char* format, ...) {
  char line[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  std::fprintf(stderr, "trace:%.*s:%s\n", static_cast<int>(family.size()), family.data(), line);
}

}  // namespace ombrin::trace
