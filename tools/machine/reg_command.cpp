#include "commands.h"

namespace ombrin::tool {

// Comes with the issue that builds it.
const Command regCommand{"reg", "reg", "(not built yet)",
                          [](const std::vector<std::string>&) { return fail(1, "reg: not built yet"); }};

}  // namespace ombrin::tool
