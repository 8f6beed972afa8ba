// ombrin-machine: sets up and inspects the emulated Windows machine.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <ombrin/machine.h>

#include "commands.h"

using namespace ombrin::tool;

namespace {

// Every command of the tool, in the order --help lists them.
const Command* const kCommands[] = {&initCommand, &windowsCommand, &pathCommand, &statusCommand,
                                    &regCommand,  &cardCommand,    &installCommand};

const Command* find(const std::string& name) {
  for (const Command* c : kCommands)
    if (name == c->name) return c;
  return nullptr;
}

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

void printHelp() {
  std::printf("usage: ombrin-machine COMMAND [ARGUMENTS]\n\n"
              "Sets up and inspects the emulated Windows machine in $OMBRIN_MACHINE\n"
              "(now %s).\n\ncommands:\n",
              ombrin::machine::selectedMachineRoot().c_str());
  // Usage on its own line, the summary indented below it: some usages are long.
  for (const Command* c : kCommands) std::printf("  %s\n      %s\n", c->usage, c->summary);
  std::printf("\n'ombrin-machine help COMMAND' or 'ombrin-machine COMMAND --help' shows one command.\n"
              "Exit codes: 0 done, 1 failed, 2 wrong usage.\n");
}

void printCommandHelp(const Command& c) { std::printf("usage: ombrin-machine %s\n\n%s\n", c.usage, c.summary); }

int unknown(const std::string& name) {
  return fail(2, "unknown command '" + name + "' (see ombrin-machine --help)");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    fail(2, "no command given");
    std::fprintf(stderr, "usage: ombrin-machine COMMAND [ARGUMENTS] (see ombrin-machine --help)\n");
    return 2;
  }
  if (isHelp(args[0])) {
    printHelp();
    return 0;
  }
  if (args[0] == "help") {
    if (args.size() == 1) {
      printHelp();
      return 0;
    }
    if (args.size() > 2) return fail(2, "help takes one command name");
    const Command* c = find(args[1]);
    if (c == nullptr) return unknown(args[1]);
    printCommandHelp(*c);
    return 0;
  }
  const Command* c = find(args[0]);
  if (c == nullptr) return unknown(args[0]);
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (rest.size() == 1 && isHelp(rest[0])) {
    printCommandHelp(*c);
    return 0;
  }
  int code = c->run(rest);
  std::fflush(stdout);
  return code;
}
