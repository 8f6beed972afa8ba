// Running the built machine tool from its tests.
#pragma once

#include <string>
#include <vector>

#include "temp_machine.h"

namespace ombrin::test {

inline RunResult machineTool(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
  args.insert(args.begin(), (buildDir() / "bin" / "ombrin-machine").string());
  return run(args, env);
}

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace ombrin::test
