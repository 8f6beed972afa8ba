// Windows command-line splitting, for handing a parameter text to a host process as arguments.
#include <ombrin/shell.h>

namespace ombrin::shell {

std::vector<std::string> splitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size()) {
      char c = line[i];
      if (!quoted && (c == ' ' || c == '\t')) break;
      if (c == '\\') {
        std::size_t slashes = 0;
        while (i < line.size() && line[i] == '\\') ++slashes, ++i;
        if (i < line.size() && line[i] == '"') {
          // 2n backslashes and a quote: n backslashes, the quote delimits; 2n+1: n and a literal quote.
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        // Inside quotes, a doubled quote stands for one quote.
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      arg += c;
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace ombrin::shell
