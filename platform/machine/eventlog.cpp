#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <ombrin/eventlog.h>
#include <ombrin/machine.h>

namespace ombrin::eventlog {
namespace {

std::string escape(std::string_view field) {
  std::string out;
  for (char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    char c = field[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::string now() {
  auto t = std::chrono::system_clock::now();
  auto seconds = std::chrono::system_clock::to_time_t(t);
  auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count() % 1000;
  std::tm tm{};
  ::gmtime_r(&seconds, &tm);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(millis));
  return text;
}

}  // namespace

void write(std::string_view kind, const std::vector<std::string>& fields) {
  std::string line = now() + "\t" + std::to_string(::getpid()) + "\t" + escape(kind);
  for (const auto& field : fields) {
    line += '\t';
    line += escape(field);
  }
  line += "\n";
  auto path = machine::current().logDir() / "events.log";
  // One write() with O_APPEND keeps lines of several processes whole.
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ::flock(fd, LOCK_EX);
  [[maybe_unused]] auto written = ::write(fd, line.data(), line.size());
  ::flock(fd, LOCK_UN);
  ::close(fd);
}

std::vector<Event> readAll() {
  std::vector<Event> events;
  std::ifstream in(machine::current().logDir() / "events.log");
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
      auto tab = line.find('\t', start);
      parts.push_back(unescape(std::string_view(line).substr(start, tab - start)));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (parts.size() < 3) continue;
    Event e;
    e.time = parts[0];
    e.pid = std::atol(parts[1].c_str());
    e.kind = parts[2];
    e.fields.assign(parts.begin() + 3, parts.end());
    events.push_back(std::move(e));
  }
  return events;
}

}  // namespace ombrin::eventlog
