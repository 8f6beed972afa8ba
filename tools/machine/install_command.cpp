#include "commands.h"

namespace ombrin::tool {

// Comes with the issue that builds it.
const Command installCommand{"install", "install", "(not built yet)",
                          [](const std::vector<std::string>&) { return fail(1, "install: not built yet"); }};

}  // namespace ombrin::tool
