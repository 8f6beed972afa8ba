// The machine's event log, log/events.log: one tab-separated line per event
// (time, process id, kind, then the kind's fields) that people and tests read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ombrin::eventlog {

// Appends one event; tabs and newlines inside fields are escaped as \t and \n.
void write(std::string_view kind, const std::vector<std::string>& fields);

struct Event {
  std::string time;
  long pid = 0;
  std::string kind;
  std::vector<std::string> fields;
};

// Every event of the current machine, oldest first (fields unescaped).
std::vector<Event> readAll();

}  // namespace ombrin::eventlog
