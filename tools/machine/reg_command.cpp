// ombrin-machine reg export [KEY] | reg import FILE|-
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include <ombrin/registry.h>

#include "commands.h"

namespace ombrin::tool {
namespace {

constexpr const char* kUsage = "usage: ombrin-machine reg export [KEY] | reg import FILE|-";

int exportCommand(const std::vector<std::string>& args) {
  if (args.size() > 2) return fail(2, kUsage);
  std::string text, error;
  if (!registry::exportText(args.size() == 2 ? args[1] : std::string(), text, error))
    return fail(1, "reg export: " + error);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : fail(1, "reg export: cannot write to standard output");
}

int importCommand(const std::vector<std::string>& args) {
  if (args.size() != 2) return fail(2, kUsage);
  const std::string& file = args[1];
  std::string bytes;
  if (file == "-") {
    std::cin >> std::noskipws;
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(file, std::ios::binary);
    if (!in) return fail(1, "reg import: cannot read " + file);
    std::stringstream s;
    s << in.rdbuf();
    bytes = s.str();
  }
  std::string error;
  if (!registry::importText(bytes, error)) return fail(1, "reg import: " + file + ": " + error);
  return 0;
}

int run(const std::vector<std::string>& args) {
  if (args.empty()) return fail(2, kUsage);
  if (args[0] == "export") return exportCommand(args);
  if (args[0] == "import") return importCommand(args);
  return fail(2, kUsage);
}

}  // namespace

const Command regCommand{"reg", "reg export [KEY] | reg import FILE|-",
                         "write the registry (or one key) as a REGEDIT4 file, or merge such a file", run};

}  // namespace ombrin::tool
