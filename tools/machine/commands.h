// The machine tool's commands. Each command lives in its own file and is listed in main.cpp.
// Exit codes: 0 done, 1 failure (with a message on stderr), 2 usage error.
#pragma once

#include <string>
#include <vector>

namespace ombrin::tool {

struct Command {
  const char* name;
  const char* usage;    // one line: "init [--windows V] [--card EDITIONS] [--force]"
  const char* summary;  // one line for --help
  int (*run)(const std::vector<std::string>& args);  // arguments after the command name
};

extern const Command initCommand;
extern const Command windowsCommand;
extern const Command pathCommand;
extern const Command statusCommand;
extern const Command regCommand;
extern const Command cardCommand;
extern const Command installCommand;

// Prints "ombrin-machine: <message>" to stderr and returns the exit code, for one-line failures.
int fail(int exitCode, const std::string& message);

// A usage error: the message and the command's usage line on stderr; returns 2.
int usageError(const Command& command, const std::string& message);

// Makes the selected machine ($OMBRIN_MACHINE, or the per-user default, created on first use)
// the current one. When it cannot be opened, prints one message naming the path and returns
// false; the command then returns 1.
bool openSelectedMachine();

}  // namespace ombrin::tool
